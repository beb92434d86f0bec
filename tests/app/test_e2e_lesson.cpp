// End to end on a real X display: a teacher composes a lesson with the mouse. A topic link is
// clicked, "Добавить к уроку все" fills the lesson row, the palette is opened from the menu,
// a picture is deleted and the deletion undone, a picture is moved (the palette's button,
// then a click on the right half of the target), the lesson is saved through the real file
// dialog by typing its name, and the program is closed. Started again with the file as its
// one argument, the program shows the same row, which matches what `trevalon-frag ls` reads
// from the file; olefile (strict) and olecfexport read the file without a defect.
//
// Screenshots go to $TM_E2E_SHOTS when set, else to a new folder under the temp dir.

#include "BmpRect.h"
#include "CKovrelApp.h"
#include "CMainFrame.h"
#include "Cp1251.h"
#include "CxSkinButton.h"
#include "E2eShots.h"
#include "HtmlView.h"
#include "Instances.h"
#include "KovrelView.h"
#include "LessDlg.h"
#include "LessView.h"
#include "LoadDlg.h"
#include "PaneViews.h"
#include "QtWindowServices.h"
#include "ResourceIds.h"
#include "UnexpectedBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QtTest>

#include <memory>
#include <optional>

#include <unistd.h>

namespace {

const QString kContent = QStringLiteral(TM_CONTENT_DIR "/");
constexpr int kStartMs = 60000;
constexpr int kLoadMs = 120000;

QVariant evaluate(QWebEnginePage* page, const QString& script) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [answer](const QVariant& v) { *answer = v; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
        return {};
    return answer->value_or(QVariant());
}

// A real pointer move and click at a point of a top-level window.
void clickAt(QWidget* widget, QPoint point, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* top = widget->window();
    QWindow* window = top->windowHandle();
    const QPoint at = widget->mapTo(top, point);
    QTest::mouseMove(window, at);
    QTest::qWait(30);
    QTest::mouseClick(window, button, {}, at);
    QTest::qWait(30);
}

void moveTo(QWidget* widget, QPoint point) {
    QTest::mouseMove(widget->window()->windowHandle(), widget->mapTo(widget->window(), point));
    QTest::qWait(50);
}

QByteArrayList rowNames(const LessView& view) {
    QByteArrayList names;
    for (const ::Shape* s : view.scene().shapes())
        if (const auto* p = dynamic_cast<const BmpRect*>(s))
            names << p->name();
    return names;
}

BmpRect* pictureAt(LessView& view, int index) {
    int i = 0;
    for (::Shape* s : view.scene().shapes())
        if (auto* p = dynamic_cast<BmpRect*>(s); p && i++ == index)
            return p;
    return nullptr;
}

// A point of a lesson picture in the row's viewport: fx, fy are fractions of its box.
QPoint onPicture(const LessView& view, const BmpRect& picture, double fx, double fy = 0.5) {
    const PointD ul = view.transform().toPixels(picture.corner(3));
    const PointD lr = view.transform().toPixels(picture.corner(1));
    return (QPointF(ul.x + (lr.x - ul.x) * fx, ul.y + (lr.y - ul.y) * fy) -
            QPointF(view.scrollPosition()))
        .toPoint();
}

// The program as main() builds it, with the Qt window services: every box and dialog is a
// real one (the test answers them as a user would).
struct Program {
    CKovrelApp app;
    CMainFrame* frame = nullptr;
    LessView* lesson = nullptr;

    explicit Program() : app(kContent) {}

    QString start(const QStringList& arguments) {
        if (!app.initInstance(arguments))
            return QStringLiteral("start-up failed");
        frame = app.mainFrame();
        lesson = app.views()->lessonView();
        if (!lesson)
            return QStringLiteral("no lesson row in the bottom pane");
        QSignalSpy loaded(frame->htmlView(), &HtmlView::loadFinished);
        if (!QTest::qWaitForWindowExposed(frame))
            return QStringLiteral("the main window never appeared");
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame))
            return QStringLiteral("the main window never became active");
        if (!QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kStartMs))
            return QStringLiteral("the start page did not load");
        return {};
    }

    // Chooses a menu command with the mouse: the popup on the menu bar, then its item.
    void choose(QMenu* menu, const QString& item) {
        QMenuBar* bar = frame->menuBar();
        clickAt(bar, bar->actionGeometry(menu->menuAction()).center());
        QTRY_VERIFY(menu->isVisible());
        for (QAction* action : menu->actions()) {
            if (action->text() == item) {
                clickAt(menu, menu->actionGeometry(action).center());
                return;
            }
        }
        QFAIL(qPrintable("no menu item " + item));
    }

    QImage screenShot() {
        QTest::qWait(250);
        return frame->screen()->grabWindow(0).toImage();
    }
};

// Runs `act` on the first modal dialog of type T once it is up (its exec() runs the loop).
template <typename T> void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (++*tries > 3000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    Run r;
    if (!process.waitForFinished(60000))
        return r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

const char* kOlefileRead = R"PY(
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
for entry in ole.listdir(streams=True, storages=False):
    ole.openstream(entry).read()
    print('/'.join(entry))
ole.close()
)PY";

} // namespace

class TestE2eLesson : public QObject {
    Q_OBJECT
    QString m_shots;
    std::unique_ptr<QTemporaryDir> m_shotDir;
    QTemporaryDir m_work;

    void save(const QImage& image, const QString& name) {
        QVERIFY(image.save(m_shots + name, "PNG"));
        qInfo("screenshot: %s", qPrintable(m_shots + name));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(QFileInfo::exists(kContent + "html/main_naz.htm"),
                 "the demo content has not been generated");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_shots = e2eShotFolder(m_shotDir, "tm_e2e");
        QVERIFY(!m_shots.isEmpty());
    }

    void composeSaveAndReopen() {
        QtWindowServices services; // installs itself: every box and dialog is a real one
        const QString file = m_work.filePath("Урок ПДД.les");
        QByteArrayList saved;
        {
            Program p;
            const QString started = p.start({});
            QVERIFY2(started.isEmpty(), qPrintable(started));
            LessView& row = *p.lesson;
            KovrelView& plate = *p.app.views()->plateView();

            // A topic, clicked on the start page.
            const QVariantList at =
                evaluate(p.frame->htmlView()->page(),
                         "(function(){var a=document.querySelector('a[href=\"znaki1.htm\"]');"
                         "a.scrollIntoView({block:'center'});var r=a.getBoundingClientRect();"
                         "return [r.left+r.width/2,r.top+r.height/2];})()")
                    .toList();
            QCOMPARE(at.size(), 2);
            QTest::qWait(150);
            const double zoom = p.frame->htmlView()->zoomFactor();
            clickAt(p.frame->htmlView(),
                    QPoint(qRound(at[0].toDouble() * zoom), qRound(at[1].toDouble() * zoom)));
            QVERIFY(QTest::qWaitFor(
                [&] { return plate.scene().firstPicture() && !plate.isLoading(); }, kLoadMs));
            int plates = 0;
            for (const ::Shape* s : plate.scene().shapes())
                plates += dynamic_cast<const BmpRect*>(s) != nullptr;
            QVERIFY(plates >= 3);

            // Every plate into the empty lesson: no question, fitted with the 100-unit band.
            p.choose(p.frame->plateMenu(), "Добавить к уроку все");
            QTRY_COMPARE(rowNames(row).size(), plates);
            QVERIFY(row.lesson().isModified()); // a change: closing asks, Ctrl+S writes
            const ViewTransform& vt = row.transform();
            const BmpRect& first = *row.scene().firstPicture();
            const PointD ul = vt.toPixels(first.corner(3));
            QVERIFY(std::abs(ul.x) <= 1 && std::abs(ul.y) <= 1);
            const double band = vt.toPixels(first.corner(0)).y - ul.y + 100 * vt.scale;
            const int paneHeight = row.viewport()->height();
            QVERIFY2(band > paneHeight / vt.zoomStep && band < paneHeight * vt.zoomStep,
                     qPrintable(QString("%1 for %2").arg(band).arg(paneHeight)));
            save(p.screenShot(), "lesson_row.png");

            // The palette, from the menu, beside the preview pane.
            p.choose(p.frame->lessonMenu(), "Редактировать");
            QTRY_VERIFY(Instances::single<LessDlg>() && Instances::single<LessDlg>()->isVisible());
            LessDlg* palette = Instances::single<LessDlg>();
            QVERIFY(QTest::qWaitForWindowExposed(palette));
            QTest::qWait(200);
            auto press = [&](int id) {
                CxSkinButton* b = palette->button(id);
                clickAt(b, b->rect().center());
            };

            // Pick the second picture, delete it, undo.
            const QByteArrayList before = rowNames(row);
            clickAt(row.viewport(), onPicture(row, *pictureAt(row, 1), 0.5));
            QVERIFY(pictureAt(row, 1)->isSelected());
            save(p.screenShot(), "lesson_selected_palette.png");
            press(ResId::kIdcDeletePicture);
            QTRY_COMPARE(rowNames(row).size(), plates - 1);
            QVERIFY(row.lesson().isModified());
            QCOMPARE(row.scene().firstPicture()->corner(0).x, 0.0); // closed up from x = 0
            press(ResId::kIdcUndo);
            QTRY_COMPARE(rowNames(row), before);

            // Move the first picture after the third: the button, then the right half.
            clickAt(row.viewport(), onPicture(row, *pictureAt(row, 0), 0.5));
            press(ResId::kIdcMovePicture);
            QTRY_VERIFY(palette->isMovePressed());
            QVERIFY(palette->button(ResId::kIdcMovePicture)->state());
            const QPoint target = onPicture(row, *pictureAt(row, 2), 0.8);
            moveTo(row.viewport(), target - QPoint(4, 0));
            moveTo(row.viewport(), target);
            QVERIFY(pictureAt(row, 2)->rightMark());
            save(p.screenShot(), "lesson_move_mode.png");
            clickAt(row.viewport(), target);
            QByteArrayList expected = before;
            expected.move(0, 2);
            QTRY_COMPARE(rowNames(row), expected);
            QVERIFY(!palette->isMovePressed());
            QVERIFY(!palette->button(ResId::kIdcMovePicture)->state());

            // Save: the real dialog, its name typed.
            QString dialogTitle;
            whenModal<QFileDialog>([&](QFileDialog* d) {
                dialogTitle = d->windowTitle();
                d->setDirectory(m_work.path());
                auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(edit);
                edit->setFocus();
                edit->clear();
                // Key by key, as a keyboard with a Russian layout types it.
                for (const QChar c : QFileInfo(file).fileName()) {
                    QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(c), {});
                    QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(c), {});
                }
                QTest::keyClick(edit, Qt::Key_Return);
            });
            press(ResId::kIdcSaveLesson);
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file), 30000);
            QCOMPARE(dialogTitle, QStringLiteral("Сохранение файла урока"));
            QTRY_VERIFY(!row.lesson().isModified());
            saved = rowNames(row);

            // Closing asks nothing: the lesson is saved.
            QSignalSpy closed(p.frame, &CMainFrame::closed);
            QVERIFY(p.frame->close());
            QCOMPARE(closed.size(), 1);
        }

        // Started again with the file as its one argument: the same row, fitted.
        {
            Program p;
            const QString started = p.start({file});
            QVERIFY2(started.isEmpty(), qPrintable(started));
            QTRY_VERIFY(!p.lesson->lesson().isLoading()); // the lesson loads from the event loop
            QCOMPARE(rowNames(*p.lesson), saved);
            QCOMPARE(p.lesson->scene().filePath(), file);
            const PointD ul =
                p.lesson->transform().toPixels(p.lesson->scene().firstPicture()->corner(3));
            QVERIFY(std::abs(ul.x) <= 1 && std::abs(ul.y) <= 1);
            save(p.screenShot(), "lesson_reopened.png");
            p.frame->close();
        }

        // The file as others read it.
        const Run ls = run(QStringLiteral(TM_FRAG_TOOL), {"ls", file, "--lesson"});
        QCOMPARE(ls.exitCode, 0);
        QStringList listed, names;
        for (const QByteArray& line : ls.out.split('\n'))
            if (const QByteArrayList cols = line.split('\t'); cols.size() > 3)
                listed << QString::fromUtf8(cols[3]);
        for (const QByteArray& name : saved)
            names << cp1251::toUnicode(name);
        QCOMPARE(listed, names);
        const Run ole = run("/usr/bin/python3", {"-c", kOlefileRead, file});
        QVERIFY2(ole.exitCode == 0, ole.err.constData());
        QVERIFY(ole.out.contains("xml"));
        if (!QStandardPaths::findExecutable("olecfexport").isEmpty()) {
            const Run exp = run("olecfexport", {"-t", m_work.filePath("x"), file});
            QVERIFY2(exp.exitCode == 0, (exp.out + exp.err).constData());
            QVERIFY2(!(exp.out + exp.err).contains("rror"), (exp.out + exp.err).constData());
        }
    }
};

int main(int argc, char** argv) {
    // The real window system (xvfb-run in CTest), never the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: no X display; run under xvfb-run");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (geteuid() == 0) // the browser engine refuses its sandbox as root
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    UnexpectedBoxes::failOnEveryBox();
    QApplication::setApplicationName(QStringLiteral("TrevalonMedia"));
    TestE2eLesson tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_e2e_lesson.moc"
