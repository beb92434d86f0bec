#pragma once

#include <QString>

// Which files may be handed to the desktop to open. Names that lead to these files come
// from content files (animation and media names, links of topic pages), and content folders
// are shared with strangers, so they are data: only files inside the content folder whose
// type is one the content uses (pictures, video and animation, SWF, RTF, HTML, PDF) are
// opened, never anything else.
namespace ShellPolicy {

enum class Verdict {
    Allowed,
    EmptyPath,
    NoRoot,          // the content folder does not exist
    ParentReference, // a ".." component, wherever it would lead
    OutsideRoot,     // outside the folder, also through a symbolic link
    Missing,
    NotAFile, // a folder, device, socket…
    // Not a type the content uses, by its extension, by the type its name gives or by its
    // content, or those disagree (a program named like a clip). Mode bits decide nothing:
    // on FAT and NTFS media every file has all of them.
    NotADocument,
};

struct Check {
    Verdict verdict = Verdict::EmptyPath;
    // The file to open (all links resolved); set only when allowed.
    QString resolvedPath;

    bool allowed() const { return verdict == Verdict::Allowed; }
};

// Decides whether `path` may be opened. `path` is absolute or relative to `root`;
// backslashes count as separators, because content names come from Windows.
Check check(const QString& root, const QString& path);

} // namespace ShellPolicy
