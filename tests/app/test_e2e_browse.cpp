// End to end on a real X display: the program's own objects (application, main frame, topic
// pane on the browser engine, plate strip) on the generated demo content. A teacher's first
// minute: the start page appears, a topic link is clicked with the mouse, the strip fills and
// fits the pane, a plate is clicked and marked, also after scrolling; a plate link on the topic
// page selects its plate; dragging the pane's splitter re-fits the strip; a second topic
// clicked during a load wins. Damaged or missing fragment files give their message, leave an
// empty strip and the program goes on working.
//
// Screenshots of what the screen showed are kept in a folder printed at the start ($TM_E2E_SHOTS
// when set, else a new folder under the temp dir).

#include "BmpRect.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "Cp1251.h"
#include "E2eShots.h"
#include "FragmentLoading.h"
#include "HtmlView.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LoadDlg.h"
#include "PaneViews.h"
#include "ScriptedWindowServices.h"
#include "UnexpectedBoxes.h"
#include "XmlStorage.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QtTest>

#include <array>
#include <cmath>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");
const QString kCannotOpen =
    QStringLiteral("Не могу открыть файл. Возможно он занят другим приложением.");
constexpr int kStartMs = 60000; // browser engine start and the start page, generous for ASan
constexpr int kLoadMs = 120000; // a 40-plate fragment, generous for ASan
constexpr QRgb kStripBackground = 0xFF424B79;

// A script's answer, waited for; null when none came in time.
QVariant evaluate(QWebEnginePage* page, const QString& script) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [answer](const QVariant& v) { *answer = v; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return answer->value_or(QVariant());
}

// The program as main() builds it, on a given content folder, with recording window services
// so that no modal box can block.
struct Program {
    ScriptedWindowServices services; // first in, last out: every window may still report
    CKovrelApp app;
    CMainFrame* frame = nullptr;
    HtmlView* html = nullptr;
    KovrelView* plate = nullptr;

    explicit Program(const QString& contentFolder) : app(contentFolder) {}

    // Starts the program and waits until the start page is shown. Empty when all went well.
    QString start() {
        if (!app.initInstance({}))
            return QStringLiteral("start-up failed");
        frame = app.mainFrame();
        html = frame->htmlView();
        plate = app.views()->plateView();
        if (!plate)
            return QStringLiteral("no plate view in the top pane");
        QSignalSpy loaded(html, &HtmlView::loadFinished);
        if (!QTest::qWaitForWindowExposed(frame))
            return QStringLiteral("the main window never appeared");
        // Keys go to the active window; without a window manager nobody activates it.
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame))
            return QStringLiteral("the main window never became active");
        if (!QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kStartMs))
            return QStringLiteral("the start page did not load");
        if (!loaded.first().first().toBool())
            return QStringLiteral("the start page failed to load");
        if (!html->url().path().endsWith(QLatin1String("/html/main_naz.htm")))
            return QStringLiteral("unexpected start page ") + html->url().toString();
        return {};
    }

    // Clicks the start page's link to `href` with the mouse, at the link's place on the screen
    // (scrolled into sight first), so the browser itself raises the navigation.
    QString clickLink(const QString& href) {
        const QString script =
            QStringLiteral("(function(){var a=document.querySelector('a[href=\"%1\"]');"
                           "if(!a)return null;a.scrollIntoView({block:'center'});"
                           "var r=a.getBoundingClientRect();"
                           "return [r.left+r.width/2,r.top+r.height/2];})()")
                .arg(href);
        const QVariantList at = evaluate(html->page(), script).toList();
        if (at.size() != 2)
            return QStringLiteral("no link to %1 on the page").arg(href);
        QTest::qWait(150); // let the scrolled page reach the screen before pointing at it
        const QPoint inPane(qRound(at[0].toDouble() * html->zoomFactor()),
                            qRound(at[1].toDouble() * html->zoomFactor()));
        if (!html->rect().contains(inPane))
            return QStringLiteral("the link to %1 is outside the pane").arg(href);
        clickAt(html->mapTo(frame, inPane));
        return {};
    }

    // A real pointer move and left click at a point of the main window, delivered through the
    // window system layer, so the widget under the point receives it as from the mouse.
    void clickAt(QPoint framePoint) {
        QWindow* window = frame->windowHandle();
        QTest::mouseMove(window, framePoint);
        QTest::qWait(30);
        QTest::mouseClick(window, Qt::LeftButton, {}, framePoint);
    }

    int pictureCount() const {
        int n = 0;
        for (const ::Shape* s : plate->scene().shapes())
            n += dynamic_cast<const BmpRect*>(s) != nullptr;
        return n;
    }

    // Index of the one marked picture; -1 when none, -2 when more than one.
    int selectedIndex() const {
        int index = -1, i = 0;
        for (const ::Shape* s : plate->scene().shapes()) {
            const auto* picture = dynamic_cast<const BmpRect*>(s);
            if (!picture)
                continue;
            if (picture->isSelected())
                index = index == -1 ? i : -2;
            ++i;
        }
        return index;
    }

    BmpRect* pictureAt(int index) const {
        int i = 0;
        for (::Shape* s : plate->scene().shapes()) {
            if (auto* p = dynamic_cast<BmpRect*>(s); p && i++ == index)
                return p;
        }
        return nullptr;
    }

    // A corner of a picture in the strip pane's viewport coordinates.
    QPointF inViewport(const BmpRect& picture, int corner) const {
        const PointD p = plate->transform().toPixels(picture.corner(corner));
        return QPointF(p.x, p.y) - QPointF(plate->scrollPosition());
    }

    // Counts link decisions whose actions have run: the pane queues a decision's actions
    // before it reports the decision, so a queued note of the report runs after them (or
    // inside the load they start, which isLoading() then tells).
    void watchDecisions() {
        QObject::connect(
            html, &HtmlView::linkDecided, frame, [this] { ++decisionsDone; }, Qt::QueuedConnection);
    }

    // Waits until the actions of the decision after the first `before` ones have run and no
    // fragment load is under way.
    bool waitForStrip(int before) {
        return QTest::qWaitFor(
            [&] {
                return decisionsDone > before && !plate->isLoading() &&
                       !Instances::single<LoadDlg>();
            },
            kLoadMs);
    }

    // What the screen shows now, once pending paints are done.
    QImage screenShot() {
        QTest::qWait(250);
        QApplication::processEvents();
        return frame->screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    }

    int decisionsDone = 0;
};

// Share of points along a picture's outline that have a red frame pixel within 3 px across the
// edge, on a screen image. Corners in global screen coordinates.
double redOutlineShare(const QImage& shot, const std::array<QPointF, 4>& corners) {
    int samples = 0, red = 0;
    for (int e = 0; e < 4; ++e) {
        const QPointF a = corners[e], b = corners[(e + 1) % 4];
        const QPointF along = b - a;
        const double length = std::hypot(along.x(), along.y());
        if (length < 1)
            continue;
        const QPointF across(-along.y() / length, along.x() / length);
        for (int k = 1; k < 20; ++k) {
            const QPointF p = a + along * (k / 20.0);
            bool hit = false;
            for (int d = -3; d <= 3 && !hit; ++d) {
                const QPoint q = (p + across * d).toPoint();
                if (!shot.rect().contains(q))
                    continue;
                const QRgb c = shot.pixel(q);
                hit = qRed(c) >= 200 && qGreen(c) <= 70 && qBlue(c) <= 70;
            }
            ++samples;
            red += hit;
        }
    }
    return samples ? double(red) / samples : 0.0;
}

bool copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QDir(from).relativeFilePath(file);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(file, target))
            return false;
    }
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestE2eBrowse : public QObject {
    Q_OBJECT

    QString m_shots;
    std::unique_ptr<QTemporaryDir> m_shotDir;

    void save(const QImage& image, const QString& name) {
        const QString path = m_shots + name;
        QVERIFY2(image.save(path, "PNG"), qPrintable(path));
        qInfo("screenshot: %s", qPrintable(path));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true); // the profile stays out of the user's
        QVERIFY2(QFileInfo::exists(kContent + "html/main_naz.htm"),
                 "the demo content has not been generated");
        m_shots = e2eShotFolder(m_shotDir, "tm_e2e");
        QVERIFY(!m_shots.isEmpty());
        qInfo("screenshots go to %s", qPrintable(m_shots));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    void browseTopicAndPickPlate_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<int>("plates");     // 0: as many as the file's records
        QTest::addColumn<bool>("pageShown"); // the browser also goes to the linked page
        QTest::newRow("40 large plates") << "def1.htm"
                                         << "def1.frag" << 40 << true;
        QTest::newRow("signs, decision goes on") << "znaki1.htm"
                                                 << "znaki1.frag" << 0 << true;
        QTest::newRow("lorry, page stays") << "gruz1.htm"
                                           << "gruz1.frag" << 0 << false;
    }

    void browseTopicAndPickPlate() {
        QFETCH(QString, link);
        QFETCH(QString, fragment);
        QFETCH(int, plates);
        QFETCH(bool, pageShown);

        Program p(kContent);
        const QString started = p.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        p.watchDecisions();
        // The start page's own decision emptied the strip.
        QCOMPARE(p.pictureCount(), 0);
        const QString tag = QFileInfo(fragment).baseName();
        save(p.screenShot(), QStringLiteral("start_%1.png").arg(tag));

        QSignalSpy decided(p.html, &HtmlView::linkDecided);
        QSignalSpy pageLoads(p.html, &HtmlView::loadFinished);
        const QString clicked = p.clickLink(link);
        QVERIFY2(clicked.isEmpty(), qPrintable(clicked));
        QVERIFY2(p.waitForStrip(0), "the strip never loaded");
        QVERIFY(!decided.isEmpty());
        QVERIFY2(decided.first().at(0).toString().endsWith("/" + link),
                 qPrintable(decided.first().at(0).toString()));
        QCOMPARE(decided.first().at(1).toBool(), !pageShown);
        if (pageShown) {
            QVERIFY(QTest::qWaitFor([&] { return !pageLoads.isEmpty(); }, kStartMs));
            QVERIFY2(p.html->url().path().endsWith("/html/" + link),
                     qPrintable(p.html->url().toString()));
        } else {
            QTest::qWait(200);
            QVERIFY(p.html->url().path().endsWith("/html/main_naz.htm"));
        }

        // Every record of the file is a plate of the strip, and nobody was told anything.
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.messageTexts().join(" / ")));
        QVERIFY(p.plate->scene().storage().isOpen());
        const int count = p.pictureCount();
        QCOMPARE(count, plates ? plates : store::countPictures(p.plate->scene().storage()));
        QVERIFY(count >= 2);

        // Fitted: the first plate's upper-left corner on the anchor, its height plus 25 px
        // within one zoom step of the pane's real height.
        const ViewTransform& vt = p.plate->transform();
        const BmpRect* first = p.plate->scene().firstPicture();
        QVERIFY(first);
        const int paneHeight = p.plate->viewport()->height();
        QCOMPARE(p.plate->clientSize(), p.plate->viewport()->size());
        QVERIFY2(paneHeight > 50, "the strip pane is too low to fit into");
        const PointD upperLeft = vt.toPixels(first->corner(3));
        const PointD lowerLeft = vt.toPixels(first->corner(0));
        QVERIFY(std::abs(upperLeft.x) <= 1 && std::abs(upperLeft.y) <= 1);
        const double fit = std::hypot(lowerLeft.x - upperLeft.x, lowerLeft.y - upperLeft.y) + 25;
        QVERIFY2(
            fit > paneHeight / vt.zoomStep && fit < paneHeight * vt.zoomStep,
            qPrintable(QStringLiteral("height + 25 = %1 px, pane %2 px").arg(fit).arg(paneHeight)));

        // The whole strip can be scrolled into sight: the last plate's right edge is reachable.
        double right = 0;
        for (const PointD& c : p.pictureAt(count - 1)->corners())
            right = std::max(right, vt.toPixels(c).x);
        const QScrollBar* bar = p.plate->horizontalScrollBar();
        QVERIFY2(bar->maximum() + p.plate->viewport()->width() >= right - 1,
                 qPrintable(QStringLiteral("strip %1 px, reach %2 px")
                                .arg(right)
                                .arg(bar->maximum() + p.plate->viewport()->width())));

        // The second plate, in sight at the strip's start.
        QCOMPARE(bar->value(), 0);
        BmpRect* target = p.pictureAt(1);
        const QRectF pane = p.plate->viewport()->rect();
        const QPointF ul = p.inViewport(*target, 3), lr = p.inViewport(*target, 1);
        const QPointF centre = (ul + lr) / 2;
        QVERIFY2(pane.contains(centre), "the second plate is out of sight");
        QVERIFY(!target->isSelected());

        auto globalCorners = [&] {
            std::array<QPointF, 4> out;
            const QPointF origin = p.plate->viewport()->mapToGlobal(QPointF(0, 0)) -
                                   p.frame->screen()->geometry().topLeft();
            for (int i = 0; i < 4; ++i)
                out[i] = p.inViewport(*target, i) + origin;
            return out;
        };
        const QImage before = p.screenShot();
        save(before, QStringLiteral("strip_%1.png").arg(tag));
        QVERIFY2(redOutlineShare(before, globalCorners()) < 0.3, "red frame before any click");
        // The strip is painted: the plate's middle is not the pane's background.
        const QPoint middle =
            (p.plate->viewport()->mapToGlobal(centre) - p.frame->screen()->geometry().topLeft())
                .toPoint();
        QVERIFY(before.pixel(middle) != kStripBackground);

        std::vector<std::shared_ptr<BmpRect>> chosen;
        connect(p.plate, &KovrelView::pictureChosen, this,
                [&chosen](std::shared_ptr<BmpRect> copy) { chosen.push_back(std::move(copy)); });
        p.clickAt(p.plate->viewport()->mapTo(p.frame, centre.toPoint()));
        QTRY_COMPARE(int(chosen.size()), 1);
        QCOMPARE(target->state(), BmpRect::kStateSelected);
        QCOMPARE(p.selectedIndex(), 1);
        // The preview gets its own copy, not the strip's plate.
        const std::shared_ptr<BmpRect> copy = chosen.front();
        QVERIFY(copy && copy.get() != target);
        QCOMPARE(copy->picName(), target->picName());

        const QImage after = p.screenShot();
        save(after, QStringLiteral("picked_%1.png").arg(tag));
        save(p.frame->grab().toImage(), QStringLiteral("frame_%1.png").arg(tag));
        const double share = redOutlineShare(after, globalCorners());
        QVERIFY2(share > 0.9, qPrintable(QStringLiteral("red on %1 of the outline").arg(share)));

        // Scrolled to the strip's end with the keyboard, a click on the last plate marks it and
        // only it: the pointer counts in strip pixels, the scroll included.
        if (bar->maximum() > 0) {
            QTest::keyClick(p.frame->windowHandle(), Qt::Key_End);
            QTRY_COMPARE(bar->value(), bar->maximum());
            BmpRect* last = p.pictureAt(count - 1);
            const QPointF lastCentre = (p.inViewport(*last, 3) + p.inViewport(*last, 1)) / 2;
            QVERIFY2(pane.contains(lastCentre), "the last plate is out of sight at the end");
            p.clickAt(p.plate->viewport()->mapTo(p.frame, lastCentre.toPoint()));
            QTRY_COMPARE(int(chosen.size()), 2);
            QCOMPARE(p.selectedIndex(), count - 1);
            QCOMPARE(chosen.back()->picName(), last->picName());
            save(p.screenShot(), QStringLiteral("picked_last_%1.png").arg(tag));
        }

        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.messageTexts().join(" / ")));
        QVERIFY(p.frame->isVisible());
    }

    void pictureLinkSelectsPlate_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<int>("plate"); // -1: nothing is selected and the strip stays put
        // Picture names are "picName" (also the caption), code page 1251 in the file, UTF-8
        // and percent-encoded in the link's URL.
        QTest::newRow("by the picture's name") << QStringLiteral("***Запрещающие знаки") << 1;
        QTest::newRow("by its file name: no such picture")
            << QStringLiteral("***znaki1_02.png") << -1;
    }

    // A topic page shown beside its strip links to single plates ("***name"): the plate is
    // marked, handed on and scrolled to 10 px from the pane's left edge.
    void pictureLinkSelectsPlate() {
        QFETCH(QString, href);
        QFETCH(int, plate);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString content = dir.path() + "/source/";
        QVERIFY(copyTree(kContent + "html", content + "html/"));
        QVERIFY(QFile::copy(kContent + "znaki1.frag", content + "znaki1.frag"));
        const QString page =
            QStringLiteral("<html><head><meta charset=\"windows-1251\"></head><body><p>"
                           "<a href=\"%1\">the plate</a></p></body></html>")
                .arg(href.toHtmlEscaped());
        QVERIFY(writeFile(content + "html/znaki1.htm", *cp1251::fromUnicode(page)));

        Program p(content);
        const QString started = p.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        p.watchDecisions();
        QSignalSpy pageLoads(p.html, &HtmlView::loadFinished);
        QString clicked = p.clickLink("znaki1.htm");
        QVERIFY2(clicked.isEmpty(), qPrintable(clicked));
        QVERIFY2(p.waitForStrip(0), "the strip never loaded");
        QVERIFY(QTest::qWaitFor([&] { return !pageLoads.isEmpty(); }, kStartMs));
        QVERIFY(p.pictureCount() > plate);

        // From the strip's end, so that a scroll (or none) shows.
        QScrollBar* bar = p.plate->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        const int scrolledTo = bar->value();
        std::vector<std::shared_ptr<BmpRect>> chosen;
        connect(p.plate, &KovrelView::pictureChosen, this,
                [&chosen](std::shared_ptr<BmpRect> copy) { chosen.push_back(std::move(copy)); });

        pageLoads.clear();
        clicked = p.clickLink(href);
        QVERIFY2(clicked.isEmpty(), qPrintable(clicked));
        QVERIFY2(p.waitForStrip(1), "the link was not decided");
        QCOMPARE(p.selectedIndex(), plate);
        if (plate < 0) {
            QVERIFY(chosen.empty());
            QCOMPARE(bar->value(), scrolledTo);
        } else {
            QCOMPARE(int(chosen.size()), 1);
            QCOMPARE(chosen.front()->picName(), p.pictureAt(plate)->picName());
            const double x = p.plate->transform().toPixels(p.pictureAt(plate)->corner(0)).x;
            QCOMPARE(p.plate->savedScrollPosition().x(), int(x - 10));
            QCOMPARE(bar->value(), std::min(int(x - 10), bar->maximum()));
        }
        save(p.screenShot(),
             QStringLiteral("picture_link_%1.png").arg(plate < 0 ? "none" : "found"));
        // The browser stays on the topic page, and nobody was told anything.
        QTest::qWait(200);
        QVERIFY(pageLoads.isEmpty() || !pageLoads.last().first().toBool());
        QVERIFY(p.html->url().path().endsWith("/html/znaki1.htm"));
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.messageTexts().join(" / ")));
    }

    void stripRefitsWhenPaneResized_data() {
        QTest::addColumn<int>("dragBy"); // px the handle under the strip is dragged down
        QTest::newRow("taller") << 140;
        QTest::newRow("lower") << -60;
        QTest::newRow("down to 50 px or less: zoom kept") << -1000;
    }

    // Dragging the splitter handle under the strip with the mouse re-fits the first plate to
    // the new pane height; a pane 50 px high or lower keeps the zoom.
    void stripRefitsWhenPaneResized() {
        QFETCH(int, dragBy);
        Program p(kContent);
        const QString started = p.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        p.watchDecisions();
        const QString clicked = p.clickLink("gruz1.htm");
        QVERIFY2(clicked.isEmpty(), qPrintable(clicked));
        QVERIFY2(p.waitForStrip(0), "the strip never loaded");

        QSplitter* inner = p.frame->innerSplitter();
        QSplitterHandle* handle = inner->handle(1);
        QVERIFY(handle && handle->isVisible());
        const QPoint from = handle->mapTo(p.frame, handle->rect().center());
        const QPoint to = from + QPoint(0, dragBy);
        const double scaleBefore = p.plate->transform().scale;
        QWindow* window = p.frame->windowHandle();
        QTest::mouseMove(window, from);
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        // One move: the pane goes straight to its new height (each move resizes it).
        QTest::mouseMove(window, to, 30);
        QTest::mouseRelease(window, Qt::LeftButton, {}, to);
        QTest::qWait(200);

        const int pane = p.plate->viewport()->height();
        const ViewTransform& vt = p.plate->transform();
        QCOMPARE(p.plate->clientSize().height(), pane);
        if (pane <= 50) {
            QCOMPARE(vt.scale, scaleBefore);
        } else {
            const BmpRect* first = p.plate->scene().firstPicture();
            const double fit =
                std::abs(vt.toPixels(first->corner(0)).y - vt.toPixels(first->corner(3)).y) + 25;
            QVERIFY2(
                fit > pane / vt.zoomStep && fit < pane * vt.zoomStep,
                qPrintable(QStringLiteral("height + 25 = %1 px, pane %2 px").arg(fit).arg(pane)));
            QVERIFY((dragBy > 0) == (vt.scale > scaleBefore));
        }
        save(p.screenShot(), QStringLiteral("resized_%1.png").arg(dragBy));
        QVERIFY(p.services.messages.isEmpty());
    }

    // A second topic clicked while the first still loads (the load lets events run): the later
    // topic is what the strip shows, fitted, with no message and no loading window left over.
    void secondTopicWhileLoading() {
        Program p(kContent);
        const QString started = p.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        p.watchDecisions();
        bool overlapped = false;
        connect(p.html, &HtmlView::linkDecided, this, [&](const QString& text, bool) {
            if (text.endsWith("/gruz1.htm"))
                overlapped = p.plate->isLoading();
        });
        // The 40-plate topic first; the second click comes while its plates decode.
        evaluate(p.html->page(),
                 QStringLiteral("document.querySelector('a[href=\"def1.htm\"]').click();"
                                "setTimeout(function(){"
                                "document.querySelector('a[href=\"gruz1.htm\"]').click();},"
                                "60);true"));
        QVERIFY2(p.waitForStrip(1), "the loads never ended");
        qInfo("the second click %s the first load", overlapped ? "arrived during" : "came after");
        QVERIFY(p.services.messages.isEmpty());
        const int count = p.pictureCount();
        QCOMPARE(count, store::countPictures(p.plate->scene().storage()));
        QVERIFY(count > 0 && count != 40);
        const BmpRect* first = p.plate->scene().firstPicture();
        const ViewTransform& vt = p.plate->transform();
        const double height =
            std::abs(vt.toPixels(first->corner(0)).y - vt.toPixels(first->corner(3)).y) + 25;
        const int pane = p.plate->viewport()->height();
        QVERIFY2(height > pane / vt.zoomStep && height < pane * vt.zoomStep,
                 qPrintable(QString::number(height)));
        save(p.screenShot(), QStringLiteral("second_topic.png"));
    }

    // Closing the main window while the 40 plates load: the plates read so far are there, the
    // load is cancelled with the views, its decodes are waited for, and the program ends
    // without a message (the ASan build checks that nothing is used after it went).
    void closeWhileLoading() {
        auto p = std::make_unique<Program>(kContent);
        const QString started = p->start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        QSignalSpy closed(p->frame, &CMainFrame::closed);
        evaluate(p->html->page(),
                 QStringLiteral("document.querySelector('a[href=\"def1.htm\"]').click();true"));
        QVERIFY(QTest::qWaitFor([&] { return p->plate->isLoading() && p->pictureCount() > 0; },
                                kLoadMs));
        QVERIFY(p->frame->close());
        QCOMPARE(closed.size(), 1);
        QVERIFY(p->pictureCount() < 40); // still loading
        QVERIFY(p->services.messages.isEmpty());
        p.reset();
        QVERIFY(!Instances::plateScene()); // the view and its scene are gone
        QVERIFY(!Instances::single<LoadDlg>());
    }

    void damagedFragment_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing" << kCannotOpen;
        QTest::newRow("empty file") << "empty" << kCannotOpen;
        QTest::newRow("not a compound file") << "text" << kCannotOpen;
        QTest::newRow("cut after the header") << "header" << kCannotOpen;
        QTest::newRow("cut in half") << "half" << kCannotOpen;
        QTest::newRow("held by another program") << "locked" << kCannotOpen;
        QTest::newRow("no xml stream") << "no-xml-stream"
                                       << "Failed OpenStream";
    }

    // A damaged topic (vaz1, whose link keeps the browser on the start page): its message once,
    // with the application's title; no plates; the loading window gone; and the next topic
    // (gruz1) loads as usual.
    void damagedFragment() {
        QFETCH(QString, damage);
        QFETCH(QString, message);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString content = dir.path() + "/source/";
        QVERIFY(copyTree(kContent + "html", content + "html/"));
        QVERIFY(QFile::copy(kContent + "gruz1.frag", content + "gruz1.frag"));
        const QByteArray sound = readFile(kContent + "vaz1.frag");
        QVERIFY(sound.size() > 4096);
        const QString broken = content + "vaz1.frag";
        int lockFd = -1;
        if (damage == "empty")
            QVERIFY(writeFile(broken, {}));
        else if (damage == "text")
            QVERIFY(writeFile(broken, "<html><body>not a fragment</body></html>\n"));
        else if (damage == "header")
            QVERIFY(writeFile(broken, sound.left(512)));
        else if (damage == "half")
            QVERIFY(writeFile(broken, sound.left(sound.size() / 2)));
        else if (damage == "locked") {
            QVERIFY(writeFile(broken, sound));
            lockFd = ::open(QFile::encodeName(broken).constData(), O_RDONLY | O_CLOEXEC);
            QVERIFY(lockFd >= 0);
            QCOMPARE(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
        } else if (damage != "missing") {
            const QString data = qEnvironmentVariable("TM_TEST_DATA");
            const QByteArray bytes = readFile(data + "/malformed/" + damage + ".frag");
            QVERIFY2(!bytes.isEmpty(), qPrintable(damage));
            QVERIFY(writeFile(broken, bytes));
        }
        const auto unlock = qScopeGuard([&] {
            if (lockFd >= 0)
                ::close(lockFd);
        });

        Program p(content);
        const QString started = p.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        p.watchDecisions();

        QString clicked = p.clickLink("vaz1.htm");
        QVERIFY2(clicked.isEmpty(), qPrintable(clicked));
        QVERIFY2(p.waitForStrip(0), "the load never ended");
        QCOMPARE(p.services.messageTexts(), QStringList{message});
        QCOMPARE(p.services.messages.first().title, kAppName);
        QCOMPARE(p.services.messages.first().buttons, MsgButtons::Ok);
        QCOMPARE(p.pictureCount(), 0);
        QVERIFY(p.frame->isVisible());
        QCOMPARE(p.plate->horizontalScrollBar()->maximum(), 0);

        // What the teacher sees: an empty strip pane, its background and caption only.
        const QImage shot = p.screenShot();
        save(shot, QStringLiteral("damaged_%1.png").arg(damage));
        const QRect strip(p.plate->viewport()->mapToGlobal(QPoint(0, 0)) -
                              p.frame->screen()->geometry().topLeft(),
                          p.plate->viewport()->size());
        int background = 0;
        for (int y = strip.top() + 30; y < strip.bottom() - 5; y += 4)
            for (int x = strip.left() + 5; x < strip.right() - 5; x += 4)
                background += shot.pixel(x, y) == kStripBackground;
        const int samples = ((strip.height() - 35 + 3) / 4) * ((strip.width() - 10 + 3) / 4);
        QVERIFY2(background > samples * 95 / 100,
                 qPrintable(QStringLiteral("%1 of %2 background").arg(background).arg(samples)));

        // The program goes on: the next topic loads and nothing more is said.
        clicked = p.clickLink("gruz1.htm");
        QVERIFY2(clicked.isEmpty(), qPrintable(clicked));
        QVERIFY2(p.waitForStrip(1), "the next topic never loaded");
        QVERIFY(p.pictureCount() > 0);
        QCOMPARE(p.services.messages.size(), 1);
    }
};

int main(int argc, char** argv) {
    // The real window system: an X display (xvfb-run in CTest), never the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: no X display; run under xvfb-run");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // As the program does: the browser engine refuses its sandbox as root.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    UnexpectedBoxes::failOnEveryBox();
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    TestE2eBrowse tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_e2e_browse.moc"
