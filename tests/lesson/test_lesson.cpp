#include "BmpRectStream.h"
#include "FileLock.h"
#include "FrameControl.h"
#include "Instances.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "Pline.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"
#include "ViewTransform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kQuestion = QStringLiteral("Сохранить изменения в уроке?");
const QString kDuplicate = QStringLiteral("Данная изображение уже содержится в уроке. Добавить?");
const QString kUnnamed = QStringLiteral("Без Имени.les");

struct FakeDisplay final : LessonDisplay {
    int fits = 0;
    int scrolls = 0;
    int invalidates = 0;
    int anchors = 0;
    void fitToHeight() override { ++fits; }
    void updateScrollSizes() override { ++scrolls; }
    void invalidate() override { ++invalidates; }
    void resetAnchor() override { ++anchors; }
};

QColor colourOf(char name) {
    return QColor::fromHsv((name * 47) % 360, 200, 200);
}

// A plate copy as the preview hands it over: named by one letter, its image coloured by it.
std::unique_ptr<BmpRectStream> plate(char name, QColor colour = {}, int width = 40) {
    auto p = std::make_unique<BmpRectStream>();
    const QByteArray n(1, name);
    p->loadFromStream(fixtures::pngBytes({width, 30}, colour.isValid() ? colour : colourOf(name)),
                      n, {500, 500}, {500, 600});
    return p;
}

QString order(const Scene& scene) {
    QString out;
    for (const Shape* s : scene.shapes())
        if (const auto* p = dynamic_cast<const BmpRect*>(s))
            out += QString::fromLatin1(p->name());
    return out;
}

BmpRect* named(Scene& scene, char name) {
    for (Shape* s : scene.shapes())
        if (auto* p = dynamic_cast<BmpRect*>(s); p && p->name() == QByteArray(1, name))
            return p;
    return nullptr;
}

// The names a lesson file holds ("" when there is none, "?" when it cannot be read), read from
// a copy: the lesson under test keeps its own file locked, as against another instance.
QString orderInFile(const QString& path) {
    if (!QFile::exists(path))
        return {};
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.les");
    if (!QFile::copy(path, copy))
        return QStringLiteral("?");
    ScriptedWindowServices quiet;
    Scene scene;
    return scene.loadLesson(copy) ? order(scene) : QStringLiteral("?");
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct FakeFrame final : FrameControl {
    QString title;
    void toggleFullScreen() override {}
    void setDocumentTitle(const QString& t) override { title = t; }
};

// A lesson file that goes bad under the reader: every read fails (an I/O error), or the file is
// cut short once it is open (a stick pulled out).
struct FailingRead final : FileLock::System {
    bool cutShort = false;
    QByteArray path;
    int open(const char* p, int flags, mode_t mode) override {
        path = p;
        if (!cutShort)
            flags = (flags & ~O_ACCMODE) | O_WRONLY;
        return FileLock::System::open(p, flags, mode);
    }
    int flock(int fd, int operation) override {
        if (cutShort)
            (void)::truncate(path.constData(), 1536);
        return FileLock::System::flock(fd, operation);
    }
};

// Makes a folder refuse new files, also to root (who ignores permission bits): the
// immutable attribute where the file system has it. False when neither works here.
bool makeReadOnly(const QString& folder, bool on) {
    QFile::setPermissions(folder, on ? QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther
                                     : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (::geteuid() == 0) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            (void)::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }
    if (!on)
        return true;
    QFile probe(folder + "/probe");
    const bool refused = !probe.open(QIODevice::WriteOnly);
    probe.remove();
    return refused;
}

int count(const ScriptedWindowServices& s, const QString& text) {
    return int(s.messageTexts().count(text));
}

} // namespace

class TestLesson : public QObject {
    Q_OBJECT

private slots:
    void rowEditsAndUndo_data();
    void rowEditsAndUndo();
    void addPictureDuplicatesAndPlacement_data();
    void addPictureDuplicatesAndPlacement();
    void saveChangesProcedure_data();
    void saveChangesProcedure();
    void fileCommandsFlow();
    void badLessonFiles_data();
    void badLessonFiles();
    void addPictureFromFile_data();
    void addPictureFromFile();
    void failingSaves_data();
    void failingSaves();
};

// Steps: "del X" selects X and deletes it; "move X>Y" / "move X<Y" drops X on the right / left
// half of Y; "move X" drops it on nothing; "undo".
void TestLesson::rowEditsAndUndo_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("nothingToUndo");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<double>("firstX"); // 30 while the row is as added, 0 once laid out again

    using L = QStringList;
    QTest::newRow("delete middle, undo")
        << "ABC" << L{"del B", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("delete first, undo") << "ABC" << L{"del A", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("delete last, undo") << "ABC" << L{"del C", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("only picture, undo") << "A" << L{"del A", "undo"} << "A" << 0 << true << 0.0;
    QTest::newRow("move A after C") << "ABC" << L{"move A>C"} << "BCA" << 0 << true << 0.0;
    QTest::newRow("move A after C, undo")
        << "ABC" << L{"move A>C", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("move B before C") << "ABCD" << L{"move B<D"} << "ACBD" << 0 << true << 0.0;
    QTest::newRow("two deletes, two undos")
        << "ABC" << L{"del B", "del C", "undo", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("two deletes, one undo")
        << "ABC" << L{"del B", "del C", "undo"} << "AC" << 0 << true << 0.0;
    QTest::newRow("delete, undo, the same again")
        << "ABC" << L{"del B", "undo", "del B", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("move, delete, two undos")
        << "ABC" << L{"move A>C", "del C", "undo", "undo"} << "ABC" << 0 << true << 0.0;
    QTest::newRow("undo, empty history") << "AB" << L{"undo", "undo"} << "AB" << 2 << false << 30.0;
    QTest::newRow("undo past the history")
        << "AB" << L{"del A", "undo", "undo"} << "AB" << 1 << true << 0.0;
    // A drop on no picture, or on itself, leaves the row and the history alone.
    QTest::newRow("drop on nothing") << "ABC" << L{"move A"} << "ABC" << 0 << false << 30.0;
    QTest::newRow("drop on nothing, undo")
        << "ABC" << L{"move A", "undo"} << "ABC" << 1 << false << 30.0;
    QTest::newRow("drop on itself") << "ABC" << L{"move B>B"} << "ABC" << 0 << false << 30.0;
    // The same plate twice ("Добавить к уроку все" copies names as they are): a picture comes
    // back beside its own neighbour, not the first of that name.
    QTest::newRow("neighbour's name twice, undo")
        << "ABA" << L{"del 2", "undo"} << "ABA" << 0 << true << 0.0;
    QTest::newRow("a name twice, move, undo")
        << "ABCA" << L{"move 3<2", "undo"} << "ABCA" << 0 << true << 0.0;
    // A change after a save is a change: closing must ask, Ctrl+S must write.
    QTest::newRow("undo after a save")
        << "ABC" << L{"del B", "saved", "undo"} << "ABC" << 0 << true << 0.0;
}

void TestLesson::rowEditsAndUndo() {
    QFETCH(QString, start);
    QFETCH(QStringList, steps);
    ScriptedWindowServices services;
    FakeDisplay display;
    Lesson lesson(display);
    if (QSet<QChar>(start.begin(), start.end()).size() == start.size()) {
        for (QChar c : start)
            lesson.addPicture(plate(c.toLatin1()));
    } else {
        // Names repeat: added together, as the plates of a topic are, they keep them.
        Scene source;
        for (QChar c : start)
            source.shapes().append(plate(c.toLatin1()).release());
        lesson.appendAllPictures(source);
    }
    lesson.setModified(false);
    Scene& scene = lesson.scene();
    // A picture by its letter, or by its place in the row (1 is the first).
    auto picture = [&scene](QChar c) -> BmpRect* {
        if (!c.isDigit())
            return named(scene, c.toLatin1());
        auto it = scene.shapes().begin();
        std::advance(it, c.digitValue() - 1);
        return static_cast<BmpRect*>(*it);
    };

    for (const QString& step : steps) {
        scene.clearSelection();
        if (step == "undo") {
            lesson.undoLessonEdit();
            continue;
        }
        if (step == "saved") {
            lesson.setModified(false);
            continue;
        }
        picture(step.split(' ')[1].at(0))->setState(BmpRect::kStateSelected);
        if (step.startsWith("del")) {
            QVERIFY(lesson.deleteSelected());
            continue;
        }
        if (step.size() > 6) {
            BmpRect* target = picture(step.at(7));
            ViewTransform vt;
            const double quarter = (target->corner(1).x - target->corner(0).x) / 4;
            vt.pointer = {step.at(6) == '>' ? target->corner(1).x - quarter
                                            : target->corner(0).x + quarter,
                          target->corner(0).y + 10};
            scene.updateEdgeMarksAll(vt);
        }
        lesson.moveSelected();
        for (Shape* s : scene.shapes())
            static_cast<BmpRect*>(s)->clearEdgeMarks();
    }

    QTEST(order(scene), "order");
    QTEST(count(services, "Нет действий для отмены"), "nothingToUndo");
    QCOMPARE(services.messages.size(), count(services, "Нет действий для отмены"));
    QTEST(lesson.isModified(), "modified");
    QTEST(scene.firstPicture()->corner(0).x, "firstX");
    for (Shape* s : scene.shapes()) {
        const auto* p = static_cast<BmpRect*>(s);
        QCOMPARE(p->corner(0).y, 0.0);
        if (steps.last() == "undo")
            QVERIFY(!p->isSelected());
    }
}

void TestLesson::addPictureDuplicatesAndPlacement_data() {
    QTest::addColumn<char>("secondName");
    QTest::addColumn<QColor>("secondColour");
    QTest::addColumn<int>("answer"); // MsgAnswer to the duplicate question
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("expected");

    const QColor a = colourOf('A');
    const auto yes = int(MsgAnswer::Yes);
    const auto no = int(MsgAnswer::No);
    QTest::newRow("same plate, Yes") << 'A' << a << yes << true << "AA";
    QTest::newRow("same plate, No") << 'A' << a << no << true << "A";
    QTest::newRow("other plate") << 'B' << QColor(Qt::blue) << no << false << "AB";
    QTest::newRow("other plate, same image") << 'B' << a << no << false << "AB";
    // Another image under a taken name is another picture: no question, a name of its own.
    QTest::newRow("other image, same name") << 'A' << QColor(Qt::blue) << no << false << "AA~2";
}

void TestLesson::addPictureDuplicatesAndPlacement() {
    QFETCH(char, secondName);
    QFETCH(QColor, secondColour);
    QFETCH(QString, expected);
    ScriptedWindowServices services;
    QFETCH(int, answer);
    services.answers.enqueue(MsgAnswer(answer));
    FakeDisplay display;
    Lesson lesson(display);

    lesson.addPicture(plate('A'));
    const BmpRect* first = lesson.scene().firstPicture();
    QCOMPARE(first->corner(0), PointD(30, 0));
    QCOMPARE(first->corner(1), PointD(70, 0));
    QVERIFY(lesson.isModified());
    QCOMPARE(display.fits, 1);
    QCOMPARE(display.scrolls, 1);

    lesson.setModified(false);
    lesson.addPicture(plate(secondName, secondColour));
    QTEST(count(services, kDuplicate) == 1, "asked");
    QCOMPARE(services.messages.size(), count(services, kDuplicate));
    QCOMPARE(order(lesson.scene()), expected);
    QCOMPARE(lesson.isModified(), expected.size() > 1);
    if (expected.size() > 1) {
        const auto* second = static_cast<const BmpRect*>(lesson.scene().shapes().back());
        QCOMPARE(second->corner(0), PointD(100, 0));
        QVERIFY(second->isComplete());
    }
    if (!services.messages.isEmpty()) {
        QCOMPARE(services.messages[0].title, kAppName);
        QCOMPARE(services.messages[0].buttons, MsgButtons::YesNo);
    }
}

// Files chosen in the dialogs: $save a new file, $bad one in a missing folder (the save
// fails), $other another lesson (Z), "" cancels. "gone" states were saved into a folder that
// has since vanished, so their save fails.
void TestLesson::saveChangesProcedure_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("dialogs");
    QTest::addColumn<QString>("after"); // the lesson's pictures afterwards
    QTest::addColumn<bool>("modified"); // afterwards
    QTest::addColumn<QString>("saved"); // what the file saved to holds ("" none)
    QTest::addColumn<bool>("closes");   // mayCloseLesson's answer

    using L = QStringList;
    const L none;
    // clang-format off
    QTest::newRow("new, empty")              << "new" << "empty" << "" << none << false << "" << "" << false << "" << true;
    QTest::newRow("new, unnamed, Yes")       << "new" << "unnamed" << "Y" << L{"$save"} << true << "save" << "" << false << "AB" << true;
    QTest::newRow("new, unnamed, Yes, cancel") << "new" << "unnamed" << "Y" << L{""} << true << "save" << "AB" << true << "" << true;
    QTest::newRow("new, unnamed, Yes, fails") << "new" << "unnamed" << "Y" << L{"$bad"} << true << "save" << "AB" << true << "" << true;
    QTest::newRow("new, unnamed, No")        << "new" << "unnamed" << "N" << none << true << "" << "" << false << "" << true;
    QTest::newRow("new, unnamed, Cancel")    << "new" << "unnamed" << "C" << none << true << "" << "AB" << true << "" << true;
    QTest::newRow("new, unnamed unchanged, Yes, cancel") << "new" << "unnamedClean" << "Y" << L{""} << true << "save" << "AB" << false << "" << true;
    QTest::newRow("new, named")              << "new" << "named" << "" << none << false << "" << "" << false << "AB" << true;
    QTest::newRow("new, named changed, Yes") << "new" << "namedModified" << "Y" << none << true << "" << "" << false << "ABC" << true;
    QTest::newRow("new, named changed, No")  << "new" << "namedModified" << "N" << none << true << "" << "" << false << "AB" << true;
    QTest::newRow("new, named changed, Cancel") << "new" << "namedModified" << "C" << none << true << "" << "ABC" << true << "AB" << true;
    QTest::newRow("new, named changed, Yes, fails") << "new" << "goneModified" << "Y" << none << true << "save" << "ABC" << true << "" << true;

    QTest::newRow("open, empty")             << "open" << "empty" << "" << L{"$other"} << false << "open" << "Z" << false << "" << true;
    QTest::newRow("open, named")             << "open" << "named" << "" << L{"$other"} << false << "open" << "Z" << false << "AB" << true;
    QTest::newRow("open, unnamed, No")       << "open" << "unnamed" << "N" << L{"$other"} << true << "open" << "Z" << false << "" << true;
    QTest::newRow("open, unnamed, Yes")      << "open" << "unnamed" << "Y" << L{"$save", "$other"} << true << "save,open" << "Z" << false << "AB" << true;
    QTest::newRow("open, unnamed, Yes, cancel") << "open" << "unnamed" << "Y" << L{"", "$other"} << true << "save,open" << "Z" << false << "" << true;
    QTest::newRow("open, unnamed, Yes, fails") << "open" << "unnamed" << "Y" << L{"$bad", "$other"} << true << "save" << "AB" << true << "" << true;
    QTest::newRow("open, unnamed, Cancel")   << "open" << "unnamed" << "C" << L{"$other"} << true << "" << "AB" << true << "" << true;
    QTest::newRow("open, named changed, No") << "open" << "namedModified" << "N" << L{"$other"} << true << "open" << "Z" << false << "AB" << true;
    QTest::newRow("open, named changed, Yes") << "open" << "namedModified" << "Y" << L{"$other"} << true << "open" << "Z" << false << "ABC" << true;
    QTest::newRow("open, named changed, Yes, fails") << "open" << "goneModified" << "Y" << L{""} << true << "save" << "ABC" << true << "" << true;
    QTest::newRow("open, named changed, Cancel") << "open" << "namedModified" << "C" << L{"$other"} << true << "" << "ABC" << true << "AB" << true;

    QTest::newRow("close, empty")            << "close" << "empty" << "" << none << false << "" << "" << false << "" << true;
    QTest::newRow("close, named")            << "close" << "named" << "" << none << false << "" << "AB" << false << "AB" << true;
    QTest::newRow("close, unnamed, Yes")     << "close" << "unnamed" << "Y" << L{"$save"} << true << "save" << "AB" << false << "AB" << true;
    QTest::newRow("close, unnamed, Yes, cancel") << "close" << "unnamed" << "Y" << L{""} << true << "save" << "AB" << true << "" << false;
    QTest::newRow("close, unnamed, Yes, fails") << "close" << "unnamed" << "Y" << L{"$bad"} << true << "save" << "AB" << true << "" << false;
    QTest::newRow("close, unnamed, No")      << "close" << "unnamed" << "N" << none << true << "" << "AB" << true << "" << true;
    QTest::newRow("close, unnamed, Cancel")  << "close" << "unnamed" << "C" << none << true << "" << "AB" << true << "" << false;
    QTest::newRow("close, named changed, Yes") << "close" << "namedModified" << "Y" << none << true << "" << "ABC" << false << "ABC" << true;
    QTest::newRow("close, named changed, Yes, fails") << "close" << "goneModified" << "Y" << none << true << "save" << "ABC" << true << "" << false;
    QTest::newRow("close, named changed, No") << "close" << "namedModified" << "N" << none << true << "" << "ABC" << true << "AB" << true;
    QTest::newRow("close, named changed, Cancel") << "close" << "namedModified" << "C" << none << true << "" << "ABC" << true << "AB" << false;
    // clang-format on
}

void TestLesson::saveChangesProcedure() {
    QFETCH(QString, command);
    QFETCH(QString, state);
    QFETCH(QString, answer);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const QString newFile = dir.filePath("new.les");
    const QString bad = dir.filePath("missing/new.les");
    const QString other = dir.filePath("other.les");
    {
        FakeDisplay d;
        Lesson z(d);
        z.addPicture(plate('Z'));
        QVERIFY(z.scene().saveLesson(other));
    }
    ScriptedWindowServices services;
    FakeDisplay display;
    Lesson lesson(display);

    QString target = newFile;
    if (state != "empty") {
        lesson.addPicture(plate('A'));
        lesson.addPicture(plate('B'));
    }
    if (state == "unnamedClean")
        lesson.setModified(false);
    if (state == "named" || state == "namedModified" || state == "goneModified") {
        QVERIFY(QDir(dir.path()).mkpath("gone"));
        target = dir.filePath(state == "goneModified" ? "gone/named.les" : "named.les");
        services.chosenFiles.enqueue(target);
        lesson.saveLessonFile();
        QVERIFY(!lesson.isModified());
        if (state != "named")
            lesson.addPicture(plate('C'));
        if (state == "goneModified")
            QVERIFY(QDir(dir.filePath("gone")).removeRecursively());
        services.fileDialogs.clear();
    }
    for (QString f : files)
        services.chosenFiles.enqueue(
            f.replace("$save", newFile).replace("$bad", bad).replace("$other", other));
    if (!answer.isEmpty())
        services.answers.enqueue(answer == "Y"   ? MsgAnswer::Yes
                                 : answer == "N" ? MsgAnswer::No
                                                 : MsgAnswer::Cancel);
    services.messages.clear();

    bool closes = true;
    if (command == "new") {
        lesson.newLesson();
    } else if (command == "open") {
        lesson.openLesson();
        lesson.finishLoad();
    } else {
        closes = lesson.mayCloseLesson();
    }

    QTEST(count(services, kQuestion) == 1, "asked");
    for (const auto& m : services.messages) {
        if (m.text == kQuestion) {
            QCOMPARE(m.title, kViewTitle);
            QCOMPARE(m.buttons, MsgButtons::YesNoCancel);
            QCOMPARE(m.icon, MsgIcon::Exclamation);
        }
    }
    QStringList dialogs;
    for (const FileDialogRequest& r : services.fileDialogs) {
        dialogs << (r.save ? "save" : "open");
        QCOMPARE(r.title, r.save ? QStringLiteral("Сохранение файла урока")
                                 : QStringLiteral("Укажите файл урока"));
        QCOMPARE(r.filter, QStringLiteral("*.les (*.les)"));
        QCOMPARE(r.defaultSuffix, QStringLiteral("les"));
        QVERIFY(r.overwritePrompt);
    }
    QTEST(dialogs.join(','), "dialogs");
    QTEST(order(lesson.scene()), "after");
    QTEST(lesson.isModified(), "modified");
    QTEST(orderInFile(target), "saved");
    if (command == "close")
        QTEST(closes, "closes");
    // A failed save never leaves its path behind as the lesson's file.
    QVERIFY(lesson.scene().filePath() != bad);
    if (lesson.scene().filePath().isEmpty())
        QCOMPARE(lesson.documentTitle(), kUnnamed);
}

// A saved lesson, then an edit, a reload and the commands that must leave the file alone.
void TestLesson::fileCommandsFlow() {
    QTemporaryDir dir;
    ScriptedWindowServices services;
    FakeDisplay display;
    Lesson lesson(display);
    FakeFrame frame;
    Instances::registerFrame(&frame);
    const auto unregister = qScopeGuard([&] { Instances::unregisterFrame(&frame); });
    QCOMPARE(lesson.documentTitle(), kUnnamed);

    lesson.saveLessonFile();
    QCOMPARE(services.messageTexts(), QStringList{"Урок пуст"});
    QVERIFY(services.fileDialogs.isEmpty());

    lesson.addPicture(plate('A'));
    lesson.addPicture(plate('B'));
    // A first save that fails leaves the lesson unnamed: the next save asks for a file again.
    services.chosenFiles.enqueue(dir.filePath("missing/x.les"));
    lesson.saveLessonFile();
    QCOMPARE(lesson.scene().filePath(), QString());
    QCOMPARE(lesson.documentTitle(), kUnnamed);
    QVERIFY(lesson.isModified());
    const QString file = dir.filePath("x.les");
    services.chosenFiles.enqueue(file);
    lesson.saveLessonFile();
    QCOMPARE(services.fileDialogs.size(), 2);
    QCOMPARE(lesson.scene().filePath(), file);
    QCOMPARE(lesson.documentTitle(), QStringLiteral("x.les"));
    QCOMPARE(frame.title, QStringLiteral("x.les"));
    QVERIFY(!lesson.isModified());
    QCOMPARE(orderInFile(file), QStringLiteral("AB"));

    // Named and unchanged: saving writes nothing. Adding all plates is a change: the save
    // writes them.
    QVERIFY(QFile::remove(file));
    lesson.saveLessonFile();
    QVERIFY(!QFile::exists(file));
    Scene plates;
    plates.shapes().append(plate('P').release());
    plates.shapes().append(new Pline);
    plates.shapes().append(plate('Q').release());
    lesson.appendAllPictures(plates);
    QCOMPARE(order(lesson.scene()), QStringLiteral("ABPQ"));
    QCOMPARE(plates.shapes().size(), std::size_t(3));
    const auto* q = static_cast<const BmpRect*>(lesson.scene().shapes().back());
    QCOMPARE(
        q->corner(0).x,
        static_cast<const BmpRect*>(*std::prev(lesson.scene().shapes().end(), 2))->corner(1).x +
            30);
    QVERIFY(lesson.isModified());
    lesson.saveLessonFile();
    QVERIFY(!lesson.isModified());
    QCOMPARE(orderInFile(file), QStringLiteral("ABPQ"));

    // A delete marks it changed; the save writes it; an undo after the save is a change
    // again; reloading clears it and keeps the window text.
    named(lesson.scene(), 'P')->setState(BmpRect::kStateSelected);
    QVERIFY(lesson.deleteSelected());
    QVERIFY(lesson.isModified());
    lesson.saveLessonFile();
    QVERIFY(!lesson.isModified());
    QCOMPARE(orderInFile(file), QStringLiteral("ABQ"));
    lesson.undoLessonEdit();
    QCOMPARE(order(lesson.scene()), QStringLiteral("ABPQ"));
    QVERIFY(lesson.isModified());
    const int fits = display.fits;
    const int paints = display.invalidates;
    lesson.setModified(true);
    lesson.loadLessonFile(file);
    lesson.finishLoad();
    QCOMPARE(order(lesson.scene()), QStringLiteral("ABQ"));
    QVERIFY(!lesson.isModified());
    QVERIFY(display.fits > fits);          // also once the first picture is in, as the row fills
    QVERIFY(display.invalidates > paints); // the whole row repaints, as on every other path
    QCOMPARE(lesson.documentTitle(), QStringLiteral("x.les"));
    QCOMPARE(lesson.scene().lessonHistory().count(), 0);

    // Cancelling the open dialog changes nothing.
    lesson.setModified(true);
    services.chosenFiles.enqueue(QString());
    lesson.chooseAndLoadLesson();
    lesson.finishLoad();
    QCOMPARE(order(lesson.scene()), QStringLiteral("ABQ"));
    QVERIFY(lesson.isModified());

    // The open lesson keeps another opener out, through its own saves, until it is replaced.
    FileLock otherInstance;
    QVERIFY(!otherInstance.acquire(file, FileLock::Access::Read));
    lesson.saveLessonFile();
    QVERIFY(!lesson.isModified());
    QVERIFY(!otherInstance.acquire(file, FileLock::Access::Read));
    lesson.resetLesson();
    QVERIFY(otherInstance.acquire(file, FileLock::Access::Read));
}

void TestLesson::badLessonFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("named"); // the lesson takes the file's path and title

    const QString cannotOpen = QStringLiteral("Файл открыт другим приложением или поврежден.");
    QTest::newRow("missing") << "missing" << QStringList{cannotOpen} << "" << false;
    QTest::newRow("locked") << "locked" << QStringList{cannotOpen} << "" << false;
    QTest::newRow("not a compound file")
        << "not-a-compound-file.frag" << QStringList{cannotOpen} << "" << false;
    QTest::newRow("no xml stream")
        << "no-xml-stream.frag" << QStringList{"Failed OpenWXmlStream"} << "" << false;
    QTest::newRow("only BmpRect records") << "bmprect" << QStringList{} << "" << true;
    QTest::newRow("other record types") << "mixed" << QStringList{} << "P" << true;
    QTest::newRow("picture that does not decode")
        << "undecodable" << QStringList{"Failed to load picture."} << "P" << true;
    QTest::newRow("many records naming one broken stream: told once")
        << "undecodable x3"
        << QStringList{QStringLiteral("Не удалось прочитать 3 рисунка из 4: «X».")} << "P" << true;
    QTest::newRow("every read fails") << "read error" << QStringList{cannotOpen} << "" << false;
    QTest::newRow("cut short once open") << "cut short" << QStringList{cannotOpen} << "" << false;
}

void TestLesson::badLessonFiles() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.les");
    const QByteArray png = fixtures::pngBytes({40, 30}, Qt::red);
    QByteArray bmpRect = fixtures::recordXml("R");
    bmpRect.replace("BmpRectStream", "BmpRect");
    QByteArray vector = fixtures::recordXml("V");
    vector.replace("BmpRectStream", "VectorLine");
    if (kind.endsWith(".frag"))
        QVERIFY(QFile::copy(QStringLiteral(TM_MALFORMED_DIR "/") + kind, path));
    else if (kind == "locked" || kind == "read error" || kind == "cut short")
        fixtures::writeContainer(path, fixtures::documentXml({fixtures::recordXml("P")}),
                                 {{"P", png}});
    else if (kind == "bmprect")
        fixtures::writeContainer(path, fixtures::documentXml({bmpRect}), {{"R", png}});
    else if (kind == "mixed")
        fixtures::writeContainer(
            path, fixtures::documentXml({bmpRect, vector, fixtures::recordXml("P", 30)}),
            {{"R", png}, {"V", png}, {"P", png}});
    else if (kind == "undecodable")
        fixtures::writeContainer(
            path, fixtures::documentXml({fixtures::recordXml("X"), fixtures::recordXml("P", 30)}),
            {{"X", "not an image"}, {"P", png}});
    else if (kind == "undecodable x3")
        fixtures::writeContainer(
            path,
            fixtures::documentXml({fixtures::recordXml("X"), fixtures::recordXml("P", 30),
                                   fixtures::recordXml("X", 60), fixtures::recordXml("X", 90)}),
            {{"X", "not an image"}, {"P", png}});
    const QByteArray onDisk = contentOf(path);
    FileLock otherInstance;
    if (kind == "locked")
        QVERIFY(otherInstance.acquire(path, FileLock::Access::Read));

    ScriptedWindowServices services;
    FakeDisplay display;
    Lesson lesson(display);
    lesson.addPicture(plate('A'));
    services.chosenFiles.enqueue(path);
    FailingRead failing;
    failing.cutShort = kind == "cut short";
    if (kind == "read error" || kind == "cut short")
        FileLock::setSystem(&failing);
    lesson.chooseAndLoadLesson();
    lesson.finishLoad();
    FileLock::setSystem(nullptr);
    if (kind == "cut short")
        return; // the file is what the cut left of it

    QTEST(services.messageTexts(), "messages");
    QTEST(order(lesson.scene()), "after");
    QVERIFY(!lesson.isModified());
    QFETCH(bool, named);
    QCOMPARE(lesson.scene().filePath(), named ? path : QString());
    QCOMPARE(lesson.documentTitle(), named ? QStringLiteral("bad.les") : kUnnamed);
    QCOMPARE(contentOf(path), onDisk);
    otherInstance.release();
    if (kind == "locked")
        QCOMPARE(orderInFile(path), QStringLiteral("P"));
}

// Files: png, png2 (another image with the same modification second), text (not an
// image), huge (200 MB), "" cancels. Decoding limits are the pictures' own tests.
void TestLesson::addPictureFromFile_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("pictures");

    const QString failed = QStringLiteral("Failed to load picture.");
    QTest::newRow("picture") << QStringList{"png"} << QStringList{} << 1;
    QTest::newRow("cancelled") << QStringList{""} << QStringList{} << 0;
    QTest::newRow("not an image") << QStringList{"text"} << QStringList{failed} << 0;
    QTest::newRow("200 MB") << QStringList{"huge"} << QStringList{failed} << 0;
    QTest::newRow("same file twice") << QStringList{"png", "png"} << QStringList{kDuplicate} << 2;
    QTest::newRow("two files, same second") << QStringList{"png", "png2"} << QStringList{} << 2;
}

void TestLesson::addPictureFromFile() {
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1700000000);
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.flush();
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    write("Cat.PNG", fixtures::pngBytes({40, 30}, Qt::red));
    write("Dog.png", fixtures::pngBytes({40, 30}, Qt::blue));
    write("notes.png", "not an image at all");
    {
        QFile f(dir.filePath("huge.jpg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(200) * 1024 * 1024)); // sparse: costs no disk
    }
    const QMap<QString, QString> paths{
        {"png", dir.filePath("Cat.PNG")},    {"png2", dir.filePath("Dog.png")},
        {"text", dir.filePath("notes.png")}, {"huge", dir.filePath("huge.jpg")},
        {"bomb", dir.filePath("bomb.png")},  {"", QString()}};

    ScriptedWindowServices services;
    services.answers.enqueue(MsgAnswer::Yes);
    FakeDisplay display;
    Lesson lesson(display);
    for (const QString& f : files) {
        services.chosenFiles.enqueue(paths.value(f));
        lesson.addPictureFromFile();
    }

    QTEST(services.messageTexts(), "messages");
    QFETCH(int, pictures);
    QCOMPARE(int(lesson.scene().shapes().size()), pictures);
    QCOMPARE(lesson.isModified(), pictures > 0);
    QSet<QByteArray> names;
    for (const Shape* s : lesson.scene().shapes()) {
        const auto* p = dynamic_cast<const BmpRectStream*>(s);
        QVERIFY(p && p->hasImage() && p->bFrame());
        QVERIFY(p->name().startsWith("*1700000000"));
        names.insert(p->name());
    }
    // The same file twice is one picture standing twice; two files are two pictures.
    QCOMPARE(int(names.size()), files.contains("png2") ? 2 : qMin(pictures, 1));
    if (pictures > 0)
        QCOMPARE(static_cast<const BmpRect*>(lesson.scene().firstPicture())->caption(),
                 QByteArray("Cat"));
}

QTEST_MAIN(TestLesson)
// A named lesson whose file cannot be written: the old file stays whole, the message says
// why, the lesson stays modified and the save dialog follows; cancelled, nothing changes,
// and the next save can put the lesson elsewhere.
void TestLesson::failingSaves_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("full disk") << "full"
                               << "Failed Commit";
    QTest::newRow("read-only folder") << "read-only"
                                      << "Failed StgCreateStorageEx";
    QTest::newRow("held by another instance") << "held"
                                              << "Failed StgCreateStorageEx";
}

void TestLesson::failingSaves() {
    QFETCH(QString, fault);
    QTemporaryDir stick;
    QTemporaryDir elsewhere;
    const QString file = stick.filePath("lesson.les");
    ScriptedWindowServices services;
    FakeDisplay display;
    Lesson lesson(display);
    lesson.addPicture(plate('A'));
    lesson.addPicture(plate('B', {}, 400));
    services.chosenFiles.enqueue(file);
    lesson.saveLessonFile();
    QCOMPARE(orderInFile(file), QStringLiteral("AB"));
    WindowServices::install(&services); // orderInFile's own services are gone
    const QByteArray onDisk = contentOf(file);
    lesson.addPicture(plate('C', {}, 400));

    FileLock otherInstance;
    rlimit unlimited{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    const auto lift = qScopeGuard([&] {
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        makeReadOnly(stick.path(), false);
        otherInstance.release();
    });
    if (fault == "full") {
        // Room for less than the new lesson; writes past it fail instead of killing us.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = unlimited;
        full.rlim_cur = rlim_t(onDisk.size()) + 512;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
    } else if (fault == "read-only") {
        if (!makeReadOnly(stick.path(), true))
            QSKIP("this file system lets every writer create files");
    } else {
        // The lesson keeps its own file locked; a copy put in its place (a file manager's)
        // is what another instance can hold.
        QFile copy(file + ".copy");
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(onDisk) == onDisk.size());
        copy.close();
        QCOMPARE(std::rename(qPrintable(copy.fileName()), qPrintable(file)), 0);
        QVERIFY(otherInstance.acquire(file, FileLock::Access::Read));
    }

    services.chosenFiles.enqueue(QString()); // the offered dialog is cancelled
    lesson.saveLessonFile();
    QFETCH(QString, message);
    QCOMPARE(services.messageTexts(), QStringList{message});
    QCOMPARE(services.fileDialogs.size(), 2);
    QVERIFY(lesson.isModified());
    QCOMPARE(lesson.scene().filePath(), file);
    QCOMPARE(lesson.documentTitle(), QStringLiteral("lesson.les"));
    QCOMPARE(contentOf(file), onDisk);
    QCOMPARE(QDir(stick.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"lesson.les"});

    // Closing asks; Yes tries the file again and, while it still fails, the dialog puts the
    // lesson elsewhere. Once the full disk has room, the file itself takes it.
    if (fault == "full")
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
    const QString saved = fault == "full" ? file : elsewhere.filePath("copy.les");
    services.answers.enqueue(MsgAnswer::Yes);
    services.chosenFiles.enqueue(saved);
    QVERIFY(lesson.mayCloseLesson());
    QVERIFY(!lesson.isModified());
    QCOMPARE(lesson.scene().filePath(), saved);
    QCOMPARE(lesson.documentTitle(), QFileInfo(saved).fileName());
    QCOMPARE(orderInFile(saved), QStringLiteral("ABC"));
    if (fault != "full")
        QCOMPARE(contentOf(file), onDisk);
}

#include "test_lesson.moc"
