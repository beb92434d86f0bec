#include "BmpRectStream.h"
#include "Cp1251.h"
#include "DisplayState.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LessonTarget.h"
#include "LoadDlg.h"
#include "PictureNames.h"
#include "RectShape.h"
#include "ScriptedWindowServices.h"
#include "StoreFixtures.h"
#include "StripFixtures.h"
#include "StripGeometry.h"

#include <QApplication>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <functional>

using stripfixtures::Plate;

namespace {

const QString kCannotOpen = "Не могу открыть файл. Возможно он занят другим приложением.";

// Watches for loading windows being shown, and lets a test act on their progress.
class LoadWindowWatch : public QObject {
public:
    LoadWindowWatch() { qApp->installEventFilter(this); }
    ~LoadWindowWatch() override { qApp->removeEventFilter(this); }

    int shown = 0;
    int lastRangeEnd = -1;
    int lastValue = -1;
    QWindow* above = nullptr;          // the window the loading window stays above
    std::function<void()> onFirstStep; // runs once, inside the load, at the first step

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<LoadDlg*>(watched);
        if (window && event->type() == QEvent::Show) {
            ++shown;
            connect(window->progressBar(), &QProgressBar::valueChanged, this,
                    [this, window](int v) {
                        lastRangeEnd = window->rangeEnd();
                        above = window->windowHandle()->transientParent();
                        lastValue = v;
                        if (v > 0 && onFirstStep)
                            std::exchange(onFirstStep, nullptr)();
                    });
        }
        return false;
    }
};

// Pixels that only the caption's translucent orange or a red frame can give over the blue
// plates and the dark background.
int countPixels(const QImage& image, QRect area, const std::function<bool(QColor)>& test) {
    int n = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool isRed(QColor c) {
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
}
bool isOrangeYellow(QColor c) {
    return c.red() > 200 && c.green() > 150 && c.blue() < 80;
}

QList<Plate> plates(int n, QSize size = {60, 40}) {
    return QList<Plate>(n, Plate{size});
}

} // namespace

Q_DECLARE_METATYPE(Plate)
Q_DECLARE_METATYPE(MsgAnswer)

class TestKovrelView : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    ScriptedWindowServices m_services;

    QString fragment(const QString& name, const QList<Plate>& content) {
        const QString path = m_dir.filePath(name);
        stripfixtures::writeFragment(path, content);
        return path;
    }
    // A shown view whose pane (viewport) is `pane` pixels.
    std::unique_ptr<KovrelView> makeView(QSize pane = {600, 260}) {
        auto view = std::make_unique<KovrelView>();
        view->resize(pane);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("view not exposed");
        const QSize bars = view->size() - view->viewport()->size();
        view->resize(pane + bars);
        return view;
    }
    // showFragment, then the event loop until the load has ended.
    static bool showLoaded(KovrelView& view, const QString& path) {
        view.showFragment(path);
        return QTest::qWaitFor([&] { return !view.isLoading(); }, 20000);
    }
    static void checkFitted(const KovrelView& view) {
        const ViewTransform& vt = view.transform();
        const BmpRect* first = view.scene().firstPicture();
        QVERIFY(first);
        const PointD ul = vt.toPixels(first->corner(3));
        QVERIFY2(std::abs(ul.x) <= 1 && std::abs(ul.y) <= 1, "first plate left the anchor");
        const double d = strip::fitDistance(vt, *first, {0, 0});
        const double h = view.clientSize().height();
        QVERIFY2(d >= h / vt.zoomStep - 1e-9 && d <= h * vt.zoomStep + 1e-9,
                 qPrintable(QString("distance %1 for pane %2").arg(d).arg(h)));
    }

private slots:
    void init() {
        DisplayState::current() = DisplayState{};
        m_services.messages.clear();
        m_services.answers.clear();
    }

    void fitToHeight_data() {
        QTest::addColumn<QList<Plate>>("before"); // fragment shown first (transform kept)
        QTest::addColumn<Plate>("first");
        QTest::addColumn<QString>("limit");
        QTest::newRow("small plate zooms in") << QList<Plate>{} << Plate{{60, 40}} << "";
        QTest::newRow("large plate zooms out") << QList<Plate>{} << Plate{{1600, 1200}} << "";
        QTest::newRow("small after large") << plates(1, {1600, 1200}) << Plate{{60, 40}} << "";
        QTest::newRow("tiny plate stops at max scale") << QList<Plate>{} << Plate{{4, 2}} << "in";
        QTest::newRow("huge plate stops at level limit")
            << QList<Plate>{} << Plate{{100, 100}, Qt::blue, 1e5} << "out";
    }
    void fitToHeight() {
        QFETCH(QList<Plate>, before);
        QFETCH(Plate, first);
        QFETCH(QString, limit);
        auto view = makeView();
        if (!before.isEmpty())
            QVERIFY(showLoaded(*view, fragment("before.frag", before)));
        QVERIFY(showLoaded(*view, fragment("fit.frag", {first, Plate{{60, 40}}})));
        QCOMPARE(view->scene().shapes().size(), std::size_t(2));
        const ViewTransform& vt = view->transform();
        if (limit == "in") {
            QVERIFY(vt.scale >= vt.maxScale && vt.scale < vt.maxScale * vt.zoomStep);
        } else if (limit == "out") {
            QCOMPARE(vt.zoomLevel, vt.minZoomLevel - 1);
            QVERIFY(strip::fitDistance(vt, *view->scene().firstPicture(), {0, 0}) >
                    view->clientSize().height());
        } else {
            checkFitted(*view);
        }
    }

    void resize_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("refits");
        QTest::newRow("20 px keeps the zoom") << 20 << false;
        QTest::newRow("50 px keeps the zoom") << 50 << false;
        QTest::newRow("51 px re-fits") << 51 << true;
        QTest::newRow("400 px re-fits") << 400 << true;
    }
    void resize() {
        QFETCH(int, height);
        QFETCH(bool, refits);
        auto view = makeView();
        QVERIFY(showLoaded(*view, fragment("resize.frag", plates(3))));
        const double scale = view->transform().scale;
        const QSize bars = view->size() - view->viewport()->size();
        view->resize(QSize(600, height) + bars);
        QCOMPARE(view->clientSize(), QSize(600, height));
        QCOMPARE(view->transform().viewHeight, double(height));
        if (refits)
            checkFitted(*view);
        else
            QCOMPARE(view->transform().scale, scale);
    }

    void scrollExtent_data() {
        QTest::addColumn<int>("plateCount");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("narrower than the pane") << 1 << false << false;
        QTest::newRow("wider than the pane") << 12 << false << true;
        QTest::newRow("wider, full screen") << 12 << true << false;
    }
    void scrollExtent() {
        QFETCH(int, plateCount);
        QFETCH(bool, fullScreen);
        QFETCH(bool, scrolls);
        DisplayState::current().fullScreen = fullScreen;
        auto view = makeView();
        QVERIFY(showLoaded(*view, fragment("extent.frag", plates(plateCount))));
        QCOMPARE(view->scene().shapes().size(), std::size_t(plateCount));
        QScrollBar* bar = view->horizontalScrollBar();
        if (!scrolls) {
            QCOMPARE(view->scrollExtent(), view->clientSize());
            QCOMPARE(bar->maximum(), 0);
            return;
        }
        const double right =
            view->transform().toPixels(view->scene().shapes().back()->points()[1]).x;
        QCOMPARE(view->scrollExtent(), QSize(int(right), view->clientSize().height()));
        QCOMPARE(bar->maximum(), int(right) - view->clientSize().width());
        // The keys reach both ends and note where scrolling stopped.
        QTest::keyClick(view.get(), Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(view.get(), Qt::Key_Left);
        QCOMPARE(bar->value(), bar->maximum() - KovrelView::kLineStep);
        QCOMPARE(view->savedScrollPosition().x(), bar->value());
        bar->setValue(0); // as when full-screen mode squeezes the pane: not a user scroll
        view->restoreScrollPosition();
        QCOMPARE(bar->value(), bar->maximum() - KovrelView::kLineStep);
        QTest::keyClick(view.get(), Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
    }

    void sceneWithoutPointsKeepsPaneExtent() {
        auto view = makeView();
        view->scene().shapes().append(new RectShape);
        view->updateScrollSizes(); // the bounds error means width 0, not a failure
        QCOMPARE(view->scrollExtent(), view->clientSize());
        view->grab();
    }

    void pictureNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("normalised");
        QTest::newRow("jpg") << QByteArray("road01.jpg") << QByteArray("road01");
        QTest::newRow("GIF") << QByteArray("anim.GIF") << QByteArray("anim");
        QTest::newRow("gif") << QByteArray("anim.gif") << QByteArray("anim");
        QTest::newRow("rsc") << QByteArray("plate.rsc") << QByteArray("plate");
        QTest::newRow("only the first dot") << QByteArray("a.b.jpg") << QByteArray("ab.");
        QTest::newRow("each part once") << QByteArray("jpgjpg") << QByteArray("jpg");
        QTest::newRow("GIF before gif") << QByteArray("GIFgif.GIF") << QByteArray("GIF");
        QTest::newRow("inside the name") << QByteArray("gifts.png") << QByteArray("tspng");
        QTest::newRow("cp1251 untouched")
            << cp1251::fromUnicodeLossy("Знак.jpg") << cp1251::fromUnicodeLossy("Знак");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void pictureNames() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, normalised);
        QCOMPARE(normalisedPictureName(name), normalised);
    }

    void selectPicture_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("by file name") << QByteArray("road5.jpg") << 5;
        QTest::newRow("cp1251 name") << cp1251::fromUnicodeLossy("Знак.GIF") << 6;
        QTest::newRow("letter case differs") << QByteArray("ROAD5.jpg") << -1;
        QTest::newRow("no such plate") << QByteArray("road9.jpg") << -1;
    }
    void selectPicture() {
        QFETCH(QByteArray, name);
        QFETCH(int, index);
        QList<Plate> content = plates(8);
        for (int i = 0; i < 8; ++i)
            content[i].picName = "road" + QByteArray::number(i);
        content[6].picName = cp1251::fromUnicodeLossy("Знак");
        auto view = makeView();
        QVERIFY(showLoaded(*view, fragment("select.frag", content)));
        view->horizontalScrollBar()->setValue(100);
        QSignalSpy chosen(view.get(), &KovrelView::pictureChosen);
        view->selectPicture(name);

        std::vector<BmpRect*> pictures;
        for (Shape* s : view->scene().shapes())
            pictures.push_back(dynamic_cast<BmpRect*>(s));
        for (int i = 0; i < 8; ++i)
            QCOMPARE(pictures[i]->isSelected(), i == index);
        if (index < 0) {
            QTest::keyClick(view.get(), Qt::Key_Return); // nothing marked: nothing to send
            QCOMPARE(chosen.size(), 0);
            QCOMPARE(view->horizontalScrollBar()->value(), 100);
            return;
        }
        QCOMPARE(chosen.size(), 1);
        const double left = view->transform().toPixels(pictures[index]->corner(0)).x;
        QCOMPARE(view->savedScrollPosition().x(), int(left - KovrelView::kSelectMargin));
        QCOMPARE(view->horizontalScrollBar()->value(), int(left - KovrelView::kSelectMargin));
        QTest::keyClick(view.get(), Qt::Key_Return); // Enter hands the marked plate over again
        QCOMPARE(chosen.size(), 2);
    }

    void click_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("selects"); // plate index, -1 for none
        QTest::newRow("on the second plate") << "plate" << 1;
        QTest::newRow("between plates") << "gap" << -1;
        QTest::newRow("below the plates") << "below" << -1;
        QTest::newRow("during a lesson move") << "lesson move" << -1;
        QTest::newRow("on a shape over the plate") << "shape" << -1;
        QTest::newRow("right button on a plate") << "right" << -1;
    }
    void click() {
        QFETCH(QString, where);
        QFETCH(int, selects);
        auto view = makeView();
        QVERIFY(showLoaded(*view, fragment("click.frag", plates(3, {40, 60}))));
        QSignalSpy chosen(view.get(), &KovrelView::pictureChosen);
        std::vector<BmpRect*> pictures;
        for (Shape* s : view->scene().shapes())
            pictures.push_back(dynamic_cast<BmpRect*>(s));
        const ViewTransform& vt = view->transform();
        auto pixel = [&](int i, double fx, double fy) { // a point of plate i's box, in pixels
            const PointD a = vt.toPixels(pictures[i]->corner(3));
            const PointD b = vt.toPixels(pictures[i]->corner(1));
            return QPoint(int(a.x + (b.x - a.x) * fx), int(a.y + (b.y - a.y) * fy));
        };
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pixel(0, 0.5, 0.5));
        QCOMPARE(chosen.size(), 1); // plate 0 marked to start with

        QPoint at = pixel(1, 0.5, 0.5);
        if (where == "gap")
            at = (pixel(0, 1, 0.5) + pixel(1, 0, 0.5)) / 2;
        else if (where == "below")
            at = pixel(1, 0.5, 1) + QPoint(0, 12);
        else if (where == "lesson move")
            DisplayState::current().interactionMode = DisplayState::kModeLessonMove;
        else if (where == "shape") {
            struct Cover : RectShape { // hit wherever the pointer is
                bool hitTest(const ViewTransform&) override { return true; }
            };
            view->scene().shapes().prepend(new Cover);
        }
        QTest::mouseMove(view->viewport(), at);
        QSignalSpy menu(view.get(), &KovrelView::contextMenuRequested);
        const Qt::MouseButton button = where == "right" ? Qt::RightButton : Qt::LeftButton;
        QTest::mouseClick(view->viewport(), button, {}, at);
        QCOMPARE(menu.size(), where == "right" ? 1 : 0); // the frame's popup, in view coordinates
        if (!menu.isEmpty())
            QCOMPARE(menu.first().at(0).toPoint(), view->viewport()->mapTo(view.get(), at));

        const int marked = selects < 0 ? 0 : selects;
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pictures[i]->state(), i == marked ? 3 : 1);
        QCOMPARE(chosen.size(), selects < 0 ? 1 : 2);
        const QImage shot = view->grab().toImage();
        const QPoint top = pixel(marked, 0.5, 0);
        const QRect edge(top.x() - 3, top.y() - 2, 7, 5);
        QVERIFY(countPixels(shot, edge, isRed) > 0);
        if (selects >= 0)
            QVERIFY(countPixels(shot, edge.translated(pixel(0, 0.5, 0) - top), isOrangeYellow) > 0);

        // The copy is the preview's own: it outlives the strip and changes nothing there.
        auto copy = chosen.last().at(0).value<std::shared_ptr<BmpRect>>();
        QVERIFY(copy && copy.get() != pictures[marked]);
        QCOMPARE(copy->state(), 1);
        QCOMPARE(copy->picName(), pictures[marked]->picName());
        const PointD corner = pictures[marked]->corner(0);
        copy->placeByVector({5000, 5000}, {5000, 5100});
        QCOMPARE(pictures[marked]->corner(0), corner);
        view->showFragment(QString());
        QImage target(200, 200, QImage::Format_ARGB32_Premultiplied);
        QPainter g(&target);
        copy->draw(g, vt);
    }

    void loadShowsProgressAndEmptyPathDoesNot() {
        auto view = makeView();
        LoadWindowWatch watch;
        QVERIFY(showLoaded(*view, fragment("three.frag", plates(3))));
        QCOMPARE(watch.shown, 1);
        QCOMPARE(watch.lastRangeEnd, 4); // records + 1: the bar never reaches its end
        QCOMPARE(watch.lastValue, 3);
        QCOMPARE(watch.above, view->windowHandle()); // a click on the frame cannot bury it
        QVERIFY(!LoadDlg::instance());
        QVERIFY(!view->isLoading());

        const ViewTransform before = view->transform();
        view->showFragment(QString());
        QCOMPARE(watch.shown, 1);
        QVERIFY(view->scene().shapes().empty());
        QCOMPARE(view->transform().scale, before.scale);
        QCOMPARE(view->transform().zoomLevel, before.zoomLevel);
        QCOMPARE(view->scrollExtent(), view->clientSize());
    }

    void damagedFragment_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << "no-such.frag" << kCannotOpen;
        QTest::newRow("not a compound file") << "malformed/not-a-compound-file.frag" << kCannotOpen;
        QTest::newRow("directory loop") << "malformed/directory-loop.frag" << kCannotOpen;
        QTest::newRow("no xml stream") << "malformed/no-xml-stream.frag"
                                       << "Failed OpenStream";
        QTest::newRow("pictures that do not decode: told once, at the end")
            << "broken"
            << "Не удалось прочитать 3 рисунка из 3: «X»."; // written here
    }
    void damagedFragment() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        auto view = makeView();
        QVERIFY(showLoaded(*view, fragment("good.frag", plates(2))));
        QVERIFY(m_services.messages.isEmpty());
        QString path = qEnvironmentVariable("TM_TEST_DATA") + "/" + file;
        if (file == "broken") {
            path = m_dir.filePath("broken.frag");
            fixtures::writeContainer(
                path,
                fixtures::documentXml({fixtures::recordXml("X"), fixtures::recordXml("X", 30),
                                       fixtures::recordXml("X", 60)}),
                {{"X", "not a picture"}});
        }
        QVERIFY(showLoaded(*view, path));
        QCOMPARE(m_services.messageTexts(), QStringList{message});
        QCOMPARE(m_services.messages.first().title, kAppName);
        QVERIFY(view->scene().shapes().empty());
        QVERIFY(!LoadDlg::instance());
        QCOMPARE(view->scrollExtent(), view->clientSize());
        view->grab();
    }

    // What a command does when it arrives (from the event loop) while a load runs: the
    // pictures read so far are in the scene, the load goes on or is cancelled, and nothing of
    // a cancelled load reaches the strip afterwards.
    void commandDuringLoad_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("another topic cancels and replaces it") << "topic";
        QTest::newRow("clearing the view cancels it") << "clear";
        QTest::newRow("the view's end cancels it") << "destroy";
        QTest::newRow("a plate picked by name waits for the load") << "select";
        QTest::newRow("the loading window's Отмена ends it, what was read stays") << "cancel";
    }
    void commandDuringLoad() {
        QFETCH(QString, command);
        // Enough large plates that the load surely outlasts a few turns of the event loop
        // (it reads and decodes ahead for several milliseconds a turn).
        constexpr int kFirstPlates = 40;
        const QString first = fragment("first.frag", plates(kFirstPlates, {1200, 900}));
        const QString second = fragment("second.frag", plates(2, {30, 80}));
        auto view = makeView();
        QSignalSpy chosen(view.get(), &KovrelView::pictureChosen);
        LoadWindowWatch watch;
        std::size_t seenMeanwhile = 0;
        bool ran = false;
        watch.onFirstStep = [&] {
            QTimer::singleShot(0, [&] {
                ran = true;
                QVERIFY(view->isLoading());
                seenMeanwhile = view->scene().shapes().size();
                if (command == "topic")
                    view->showFragment(second);
                else if (command == "clear")
                    view->showFragment(QString());
                else if (command == "destroy")
                    view.reset();
                else if (command == "cancel")
                    QTest::mouseClick(LoadDlg::instance()->cancelButton(), Qt::LeftButton);
                else
                    view->selectPicture("p11");
            });
        };
        view->showFragment(first);
        QVERIFY(view->isLoading()); // showFragment returned at once
        QTRY_VERIFY(ran);
        QVERIFY(seenMeanwhile >= 1);
        QTRY_VERIFY(!LoadDlg::instance());
        QVERIFY(m_services.messages.isEmpty());
        if (command == "destroy") {
            QVERIFY(!Instances::plateScene()); // the view and its scene are gone
            return;
        }
        QTRY_VERIFY(!view->isLoading());
        QTest::qWait(50); // a cancelled load would deliver by now
        const std::size_t expected = command == "topic" ? 2 : command == "clear" ? 0 : kFirstPlates;
        if (command == "cancel") {
            QVERIFY(view->scene().shapes().size() >= seenMeanwhile);
            QVERIFY(view->scene().shapes().size() < expected);
            checkFitted(*view);
        } else {
            QCOMPARE(view->scene().shapes().size(), expected);
        }
        if (command == "topic") {
            for (Shape* s : view->scene().shapes())
                QCOMPARE(dynamic_cast<BmpRect*>(s)->width(), 30);
            checkFitted(*view);
        }
        QCOMPARE(chosen.size(), command == "select" ? 1 : 0);
    }

    void addAllToLesson_data() {
        QTest::addColumn<bool>("lessonHasPictures");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("appends");
        QTest::newRow("empty lesson: no question") << false << MsgAnswer::No << true;
        QTest::newRow("lesson with pictures, Yes") << true << MsgAnswer::Yes << true;
        QTest::newRow("lesson with pictures, No") << true << MsgAnswer::No << false;
    }
    void addAllToLesson() {
        QFETCH(bool, lessonHasPictures);
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, appends);
        struct Lesson final : LessonTarget {
            Scene scene;
            const Scene* appendedFrom = nullptr;
            void addPicture(std::unique_ptr<BmpRect>) override {}
            void appendAllPictures(Scene& source) override { appendedFrom = &source; }
            Scene& lessonScene() override { return scene; }
        } lesson;
        if (lessonHasPictures)
            lesson.scene.shapes().append(new BmpRectStream);
        auto view = makeView();
        view->showFragment(fragment("all.frag", plates(2)));
        view->addAllToLesson(); // no lesson registered: nothing, no question
        Instances::registerLesson(&lesson);
        m_services.answers.enqueue(answer);
        view->addAllToLesson();
        Instances::unregisterLesson(&lesson);
        QCOMPARE(lesson.appendedFrom, appends ? &view->scene() : nullptr);
        if (!lessonHasPictures) {
            QVERIFY(m_services.messages.isEmpty());
            return;
        }
        QCOMPARE(m_services.messageTexts(),
                 QStringList{"\"Урок\" уже содержит плакаты\nВсе равно добавить все плакаты?"});
        QCOMPARE(m_services.messages.first().title, kViewTitle);
        QCOMPARE(m_services.messages.first().buttons, MsgButtons::YesNo);
    }

    void captionScrollsAway() {
        auto view = makeView();
        QVERIFY(showLoaded(*view, fragment("caption.frag", plates(6))));
        const QRect area(5, 5, 90, 14); // under the caption, inside the first plate
        auto captionPixels = [&] {
            return countPixels(view->grab().toImage(), area, [](QColor c) {
                return c.red() > 120 && c.blue() < 120; // orange over blue or the background
            });
        };
        QVERIFY(captionPixels() > 20);
        const int buffers = view->backBufferGeneration();
        view->horizontalScrollBar()->setValue(150);
        QCOMPARE(captionPixels(), 0);
        QCOMPARE(view->backBufferGeneration(), buffers); // paints and scrolls re-use it
    }
};

QTEST_MAIN(TestKovrelView)
#include "test_kovrelview.moc"
