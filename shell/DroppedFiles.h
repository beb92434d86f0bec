#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <vector>

class QDropEvent;
class QMimeData;

// Files dragged from a file manager onto a view: what the drop asks for, decided from the
// names and the file system before anything is read.
//
// On the lesson row: the first lesson file (".les") among the dropped ones opens, and
// nothing else of that drop is done; otherwise every dropped file is added as a picture, in
// the order given, and a folder adds the pictures directly in it (by their extension), in
// name order, numbers by value ("2" before "10"). On the plate strip: the first fragment
// file (".frag") is shown. Only local files count: any other URL is ignored.
namespace drops {

enum class Target { LessonRow, PlateStrip };

struct Action {
    enum class Kind { AddPicture, OpenLesson, ShowFragment };
    Kind kind = Kind::AddPicture;
    QString path;
    friend bool operator==(const Action&, const Action&) = default;
};

std::vector<Action> plan(const QList<QUrl>& urls, Target target);
// The same for a drag's data (none without URLs).
std::vector<Action> plan(const QMimeData* data, Target target);

// Accepts the drag or drop as a copy (a link when the source offers no copy); false, leaving
// the event alone, when it offers neither. Never a move: a file manager deletes what a drop
// accepted as moved.
bool acceptAsCopy(QDropEvent* event);

// The local path a URL names, or an empty string for one that is not on this machine.
QString localPath(const QUrl& url);

// The pictures directly inside a folder (regular files and links, by extension), in the
// order the lesson row adds them.
QStringList picturesIn(const QString& folder);

} // namespace drops
