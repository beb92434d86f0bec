#pragma once

#include <QString>

// Which files may be handed to the desktop to open. Names that lead to these files come
// from content files (animation and media names), so they are data: only documents inside
// the content folder are opened, never anything that could run.
namespace ShellPolicy {

enum class Verdict {
    Allowed,
    EmptyPath,
    NoRoot,          // the content folder does not exist
    ParentReference, // a ".." component, wherever it would lead
    OutsideRoot,     // outside the folder, also through a symbolic link
    Missing,
    NotAFile, // a folder, device, socket…
    // A program or script by its name, by the type its name gives or by its content. Mode
    // bits decide nothing: on FAT and NTFS media every file has all of them.
    Program,
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

// True when the file name's last extension marks a program or a script (case-insensitive).
bool hasProgramExtension(const QString& fileName);

} // namespace ShellPolicy
