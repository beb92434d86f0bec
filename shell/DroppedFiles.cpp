#include "DroppedFiles.h"

#include "PictureFiles.h"

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

// File-manager order: letters without regard to case, runs of digits by their value ("2"
// before "10"), whatever the locale (a collator ignores numbers under the C locale).
bool nameBefore(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype si = i, sj = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            QStringView x = QStringView(a).mid(si, i - si), y = QStringView(b).mid(sj, j - sj);
            while (x.size() > 1 && x.front() == u'0')
                x = x.mid(1);
            while (y.size() > 1 && y.front() == u'0')
                y = y.mid(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int c = x.compare(y); c != 0)
                return c < 0;
            continue;
        }
        const char32_t x = a[i].toCaseFolded().unicode(), y = b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b; // names equal but for case or leading zeros: still one order
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
    std::sort(names.begin(), names.end(), nameBefore);
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
