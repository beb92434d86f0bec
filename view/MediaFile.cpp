#include "MediaFile.h"

#include "ShellPolicy.h"

#include <QFileInfo>

namespace {

QString what(MediaKind kind) {
    return kind == MediaKind::Video ? QStringLiteral("видеоролика")
                                    : QStringLiteral("фильма Flash");
}

} // namespace

MediaFile resolveMediaFile(const QString& contentFolder, const QString& name, MediaKind kind) {
    using V = ShellPolicy::Verdict;
    const ShellPolicy::Check c = ShellPolicy::check(contentFolder, name);
    MediaFile out;
    const QString shown = QStringLiteral("«%1»").arg(name.trimmed());
    switch (c.verdict) {
    case V::Allowed:
        out.path = c.resolvedPath;
        return out;
    case V::EmptyPath:
        out.note = QStringLiteral("Не указан файл %1.").arg(what(kind));
        break;
    case V::NoRoot:
        out.note = QStringLiteral("Не найдена папка материалов.");
        break;
    case V::Missing:
        out.note = QStringLiteral("Не найден файл %1 %2.").arg(what(kind), shown);
        break;
    case V::ParentReference:
    case V::OutsideRoot:
        out.note =
            QStringLiteral("Файл %1 лежит вне папки материалов и не открывается.").arg(shown);
        break;
    case V::NotAFile:
    case V::NotADocument:
        out.note = QStringLiteral("%1 — не файл %2, он не открывается.").arg(shown, what(kind));
        break;
    }
    return out;
}
