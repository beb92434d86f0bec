#include "DroppedFiles.h"

#include "PictureFiles.h"

#include <QCollator>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include <algorithm>

namespace drops {

namespace {

bool hasSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) == 0;
}

// A name that is a file of the kind, or a link to anything (what it leads to is checked when
// the file is read); never a folder.
bool isFileOfKind(const QString& path, const QString& suffix) {
    return hasSuffix(path, suffix) && !QFileInfo(path).isDir();
}

} // namespace

bool acceptAsCopy(QDropEvent* event) {
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

QString localPath(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // "file://host/…" names a file on another machine.
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return {};
    return url.toLocalFile();
}

QStringList picturesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& n) { return !picturefiles::hasPictureSuffix(n); }),
                names.end());
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b; // a stable order for names the collator finds equal
    });
    QStringList paths;
    const QDir dir(folder);
    for (const QString& n : names)
        paths << dir.filePath(n);
    return paths;
}

std::vector<Action> plan(const QList<QUrl>& urls, Target target) {
    QStringList paths;
    for (const QUrl& url : urls)
        if (const QString p = localPath(url); !p.isEmpty())
            paths << p;

    std::vector<Action> actions;
    if (target == Target::PlateStrip) {
        for (const QString& p : paths)
            if (isFileOfKind(p, QStringLiteral("frag")))
                return {{Action::Kind::ShowFragment, p}};
        return {};
    }
    for (const QString& p : paths)
        if (isFileOfKind(p, QStringLiteral("les")))
            return {{Action::Kind::OpenLesson, p}};
    for (const QString& p : paths) {
        if (QFileInfo(p).isDir()) {
            for (const QString& picture : picturesIn(p))
                actions.push_back({Action::Kind::AddPicture, picture});
        } else {
            actions.push_back({Action::Kind::AddPicture, p});
        }
    }
    return actions;
}

std::vector<Action> plan(const QMimeData* data, Target target) {
    if (!data || !data->hasUrls())
        return {};
    return plan(data->urls(), target);
}

} // namespace drops
