#include "ShellPolicy.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QMimeType>

namespace {

// The kinds of file the content opens. A file is opened only when its extension, the type
// its name gives and the type its content gives all name the same kind.
enum class Kind { None, Picture, Video, Flash, Rtf, Html, Pdf };

Kind kindOfExtension(const QString& fileName) {
    static const QHash<QString, Kind> kinds{
        {"jpg", Kind::Picture}, {"jpeg", Kind::Picture}, {"jpe", Kind::Picture},
        {"png", Kind::Picture}, {"bmp", Kind::Picture},  {"gif", Kind::Picture},
        {"tif", Kind::Picture}, {"tiff", Kind::Picture}, {"avi", Kind::Video},
        {"mpg", Kind::Video},   {"mpeg", Kind::Video},   {"mp4", Kind::Video},
        {"m4v", Kind::Video},   {"mov", Kind::Video},    {"wmv", Kind::Video},
        {"asf", Kind::Video},   {"mkv", Kind::Video},    {"webm", Kind::Video},
        {"flv", Kind::Video},   {"swf", Kind::Flash},    {"rtf", Kind::Rtf},
        {"htm", Kind::Html},    {"html", Kind::Html},    {"pdf", Kind::Pdf}};
    return kinds.value(QFileInfo(fileName).suffix().toLower(), Kind::None);
}

Kind kindOfType(const QMimeType& type) {
    const QString name = type.name();
    // Vector pictures may carry scripts; they are not among the content's pictures.
    if (name.startsWith(QLatin1String("image/")) && !type.inherits("image/svg+xml"))
        return Kind::Picture;
    if (name.startsWith(QLatin1String("video/")) || type.inherits("application/vnd.ms-asf"))
        return Kind::Video;
    if (type.inherits("application/vnd.adobe.flash.movie"))
        return Kind::Flash;
    if (type.inherits("text/rtf"))
        return Kind::Rtf;
    if (type.inherits("text/html"))
        return Kind::Html;
    if (type.inherits("application/pdf"))
        return Kind::Pdf;
    return Kind::None;
}

// The kind the file's name and content agree on, or None. Only the file itself counts (what
// the desktop is given), not the name of a link that leads to it.
Kind kindOfFile(const QString& file) {
    const Kind kind = kindOfExtension(file);
    if (kind == Kind::None)
        return Kind::None;
    const QMimeDatabase types;
    if (kindOfType(types.mimeTypeForFile(file, QMimeDatabase::MatchExtension)) != kind)
        return Kind::None;
    const QMimeType content = types.mimeTypeForFile(file, QMimeDatabase::MatchContent);
    // A page need not begin with anything that marks it as HTML; as plain text it is
    // harmless all the same.
    if (kind == Kind::Html && content.name() == QLatin1String("text/plain"))
        return kind;
    return kindOfType(content) == kind ? kind : Kind::None;
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
    if (kindOfFile(target) == Kind::None) {
        result.verdict = Verdict::NotADocument;
        return result;
    }
    result.verdict = Verdict::Allowed;
    result.resolvedPath = target;
    return result;
}

} // namespace ShellPolicy
