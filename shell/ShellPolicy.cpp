#include "ShellPolicy.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

namespace {

// Extensions that launch something when "opened" on Windows or on a Linux desktop.
const QStringList& programExtensions() {
    static const QStringList list{// Windows programs and scripts
                                  "exe", "com", "bat", "cmd", "scr", "pif", "cpl", "msi", "msp",
                                  "msc", "dll", "sys", "vbs", "vbe", "js", "jse", "wsf", "wsh",
                                  "ps1", "psm1", "hta", "reg", "lnk", "url", "inf", "gadget",
                                  "application",
                                  // Unix scripts, launchers and packages
                                  "sh", "bash", "zsh", "csh", "ksh", "fish", "command", "desktop",
                                  "run", "bin", "appimage", "deb", "rpm", "so", "out", "elf", "ko",
                                  // interpreters
                                  "py", "pyc", "pyw", "pl", "pm", "rb", "php", "lua", "tcl", "awk",
                                  "jar", "class", "mjs", "cjs"};
    return list;
}

// MIME types (and their descendants) that are programs whatever the file is called.
bool isProgramType(const QMimeType& type) {
    static const QStringList types{"application/x-executable",
                                   "application/x-sharedlib",
                                   "application/x-pie-executable",
                                   "application/x-shellscript",
                                   "application/x-desktop",
                                   "application/x-msdownload",
                                   "application/x-ms-dos-executable",
                                   "application/x-msi",
                                   "application/x-java-archive",
                                   "application/x-perl",
                                   "text/x-python",
                                   "text/x-python3",
                                   "application/x-ruby",
                                   "application/javascript",
                                   "text/javascript",
                                   "application/x-php"};
    for (const QString& t : types)
        if (type.inherits(t))
            return true;
    return false;
}

bool hasParentReference(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    return parts.contains(QStringLiteral(".."));
}

// True when `path` is `root` itself or lies below it; both are clean absolute paths.
bool isInside(const QString& root, const QString& path) {
    if (path == root || root == QLatin1String("/"))
        return path.startsWith(root);
    return path.startsWith(root + QLatin1Char('/'));
}

} // namespace

namespace ShellPolicy {

bool hasProgramExtension(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return !suffix.isEmpty() && programExtensions().contains(suffix);
}

Check check(const QString& root, const QString& path) {
    Check result;
    QString name = path.trimmed();
    if (name.isEmpty())
        return result;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (hasParentReference(name)) {
        result.verdict = Verdict::ParentReference;
        return result;
    }

    QString rootName = root;
    rootName.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo rootInfo(rootName);
    const QString canonicalRoot = rootInfo.canonicalFilePath();
    if (rootName.isEmpty() || canonicalRoot.isEmpty() || !rootInfo.isDir()) {
        result.verdict = Verdict::NoRoot;
        return result;
    }

    // First as written (the folder as given), then with every link resolved.
    const QString lexicalRoot = QDir::cleanPath(rootInfo.absoluteFilePath());
    const QString full = QDir::cleanPath(QDir(lexicalRoot).absoluteFilePath(name));
    if (!isInside(lexicalRoot, full) && !isInside(canonicalRoot, full)) {
        result.verdict = Verdict::OutsideRoot;
        return result;
    }
    const QFileInfo info(full);
    if (!info.exists()) {
        // A dangling link is as good as missing.
        result.verdict = Verdict::Missing;
        return result;
    }
    const QString target = info.canonicalFilePath();
    if (target.isEmpty() || !isInside(canonicalRoot, target)) {
        result.verdict = Verdict::OutsideRoot;
        return result;
    }
    const QFileInfo targetInfo(target);
    if (!targetInfo.isFile()) {
        result.verdict = Verdict::NotAFile;
        return result;
    }
    // By name and by content separately: a program named like a clip is still a program.
    const QMimeDatabase types;
    if (hasProgramExtension(full) || hasProgramExtension(target) ||
        isProgramType(types.mimeTypeForFile(target, QMimeDatabase::MatchExtension)) ||
        isProgramType(types.mimeTypeForFile(target, QMimeDatabase::MatchContent))) {
        result.verdict = Verdict::Program;
        return result;
    }
    result.verdict = Verdict::Allowed;
    result.resolvedPath = target;
    return result;
}

} // namespace ShellPolicy
