#include "BmpRectStream.h"
#include "DisplayState.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "Playback.h"
#include "ScriptedWindowServices.h"
#include "ViewTransform.h"

#include "../model/ImageBytes.h"

#include <QKeySequence>
#include <QTest>

namespace {

class FakeLesson : public LessonTarget {
public:
    Scene scene;
    void addPicture(std::unique_ptr<BmpRect> p) override { scene.shapes().append(p.release()); }
    void appendAllPictures(Scene&) override {}
    Scene& lessonScene() override { return scene; }
};

// A lesson of four pictures "a".."d" played without windows: full screen is granted at once,
// each handed-out copy is taken as the preview takes it.
struct PlayedLesson {
    ScriptedWindowServices services;
    FakeLesson lesson;
    Playback playback;
    std::unique_ptr<BmpRectStream> shown;

    PlayedLesson() {
        DisplayState::current() = DisplayState();
        Instances::registerLesson(&lesson);
        for (const char* name : {"a", "b", "c", "d"}) {
            auto p = std::make_unique<BmpRectStream>();
            p->loadFromStream(imagebytes::solidPng(8, 6, Qt::gray), name, {0, 0}, {0, 100});
            lesson.scene.shapes().append(p.release());
        }
        QObject::connect(&playback, &Playback::fullScreenWanted, [this] {
            DisplayState::current().fullScreen = true;
            playback.fullScreenChanged(true);
        });
        QObject::connect(&playback, &Playback::pictureWanted,
                         [this] { shown = playback.takePicture(); });
    }
    ~PlayedLesson() {
        Instances::unregisterLesson(&lesson);
        DisplayState::current() = DisplayState();
    }
    QByteArray shownName() const { return shown ? shown->name() : QByteArray(); }
};

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT
private slots:
    // Keys pressed after the lesson started at "a" (as QKeySequence names them): where
    // playback stands and what the screen shows. "!" marks a key that must not be taken.
    void keys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("screen");
        QTest::newRow("forward keys") << "Right Down PgDown" << 3 << "picture";
        QTest::newRow("space and return") << "Space Return" << 2 << "picture";
        QTest::newRow("forward from the last wraps") << "End Right" << 0 << "picture";
        QTest::newRow("back from the first wraps") << "Left" << 3 << "picture";
        QTest::newRow("back keys") << "End Up PgUp Backspace" << 0 << "picture";
        QTest::newRow("home and end") << "Right Right Home" << 0 << "picture";
        QTest::newRow("end") << "End" << 3 << "picture";
        QTest::newRow("B blanks") << "Right B" << 1 << "black";
        QTest::newRow("period blanks and unblanks") << ". ." << 0 << "picture";
        QTest::newRow("a step shows the picture") << "B Right" << 1 << "picture";
        QTest::newRow("W whites") << "Right W" << 1 << "white";
        QTest::newRow("W again shows the picture") << "W W" << 0 << "picture";
        QTest::newRow("a step leaves the white board") << "W Left" << 3 << "picture";
        QTest::newRow("B over white") << "W B" << 0 << "black";
        QTest::newRow("W over black") << "B W" << 0 << "white";
        QTest::newRow("a number, then Return") << "3 Return" << 2 << "picture";
        QTest::newRow("two digits, then Enter") << "End 0 2 Enter" << 1 << "picture";
        QTest::newRow("out of range: nothing") << "9 Return 0 Return" << 0 << "picture";
        QTest::newRow("a number leaves the board") << "W 4 Return" << 3 << "picture";
        QTest::newRow("another key forgets the number") << "3 Right Return" << 2 << "picture";
        QTest::newRow("G and Tab ask for the overview") << "Right G Tab" << 1 << "picture";
        QTest::newRow("with Ctrl nothing") << "!Ctrl+Right !Ctrl+B" << 0 << "picture";
        QTest::newRow("other keys nothing") << "!X !Esc" << 0 << "picture";
    }
    void keys() {
        QFETCH(QString, keys);
        QFETCH(int, position);
        QFETCH(QString, screen);
        PlayedLesson run;
        run.playback.startLesson();
        QVERIFY(run.playback.isPlaying());
        QCOMPARE(run.shownName(), QByteArray("a"));
        for (QString key : keys.split(' ')) {
            const bool refused = key.startsWith('!');
            const QKeyCombination pressed = QKeySequence(key.remove('!'))[0];
            QVERIFY2(pressed.key() != Qt::Key_unknown, qPrintable(key));
            QCOMPARE(run.playback.key(pressed.key(), pressed.keyboardModifiers()), !refused);
        }
        QCOMPARE(run.playback.position(), position);
        QCOMPARE(run.shownName(), QByteArray(1, char('a' + position)));
        QCOMPARE(run.playback.isBlank(), screen == "black");
        QCOMPARE(run.playback.isWhite(), screen == "white");
    }

    // A lesson played, left and resumed: strokes kept per picture while it lasts, resuming
    // where it was left (the first again once the lesson shrank below it), the message when
    // there is nothing to play.
    void leaveAndResume() {
        PlayedLesson run;
        run.playback.startLesson();
        // An arrow on "a"; "b" shown has none; back on "a" it is there again.
        auto strokes = run.playback.exchangeStrokes(nullptr, run.shown.get());
        ViewTransform from, to;
        from.setPointer({10, 10});
        to.setPointer({200, 150});
        strokes->begin(PictureStrokes::Tool::Arrow, from);
        QVERIFY(strokes->end(to));
        for (auto [key, count] : {std::pair{Qt::Key_Right, 0}, std::pair{Qt::Key_Left, 1}}) {
            run.playback.key(key, {});
            strokes = run.playback.exchangeStrokes(std::move(strokes), run.shown.get());
            QCOMPARE(strokes->count(), count);
        }
        // The white board has strokes of its own, kept while the playback lasts.
        auto board = [&] { strokes = run.playback.swapBoardStrokes(std::move(strokes)); };
        run.playback.key(Qt::Key_W, {});
        board();
        QCOMPARE(strokes->count(), 0);
        strokes->begin(PictureStrokes::Tool::Arrow, from);
        QVERIFY(strokes->end(to));
        for (int count : {1, 1, 1}) { // the picture's, the board's, the picture's again
            run.playback.key(Qt::Key_W, {});
            board();
            QCOMPARE(strokes->count(), count);
        }
        // A picture from elsewhere is no sequence picture: its strokes are its own.
        BmpRectStream other;
        QCOMPARE(run.playback.exchangeStrokes(std::move(strokes), &other)->count(), 0);
        QVERIFY(!run.playback.playedCopy());

        run.playback.key(Qt::Key_End, {});
        run.playback.fullScreenChanged(false);
        DisplayState::current().fullScreen = false;
        QVERIFY(!run.playback.isPlaying());
        QVERIFY(!run.playback.key(Qt::Key_Right, {}));
        run.playback.continueLesson();
        QCOMPARE(run.shownName(), QByteArray("d"));

        run.playback.fullScreenChanged(false);
        DisplayState::current().fullScreen = false;
        Shape* last = run.lesson.scene.shapes().back();
        run.lesson.scene.shapes().erase(last->node());
        run.lesson.scene.shapes().retire(last);
        run.playback.continueLesson();
        QCOMPARE(run.playback.position(), 0);
        QCOMPARE(run.shownName(), QByteArray("a"));

        run.lesson.scene.clear();
        run.playback.startLesson();
        QCOMPARE(run.services.messageTexts(), QStringList{"Укажите картинку из готового урока."});
    }
};

QTEST_MAIN(TestPlayback)
#include "test_playback.moc"
