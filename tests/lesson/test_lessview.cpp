#include "ActiveViewFocus.h"
#include "BmpRectStream.h"
#include "Cursors.h"
#include "CxSkinButton.h"
#include "DialogUnits.h"
#include "DisplayState.h"
#include "DroppedFiles.h"
#include "Instances.h"
#include "LessDlg.h"
#include "LessView.h"
#include "LoadDlg.h"
#include "PictureDrop.h"
#include "PreviewTarget.h"
#include "ResourceIds.h"
#include "ScriptedWindowServices.h"
#include "StripGeometry.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

#include <sys/stat.h>

namespace {

QByteArray pngBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct RecordingPreview final : PreviewTarget {
    RecordingPreview() { Instances::registerPreview(this); }
    ~RecordingPreview() override { Instances::unregisterPreview(this); }
    void showPicture(std::unique_ptr<BmpRect> picture) override {
        shown.push_back(picture ? picture->name() : QByteArray("(none)"));
    }
    QList<QByteArray> shown;
};

QByteArray order(const LessView& view) {
    QByteArray out;
    for (const ::Shape* s : view.scene().shapes())
        if (const auto* p = dynamic_cast<const BmpRect*>(s))
            out += p->name();
    return out;
}

BmpRect* pictureAt(LessView& view, int index) {
    int i = 0;
    for (::Shape* s : view.scene().shapes())
        if (auto* p = dynamic_cast<BmpRect*>(s); p && i++ == index)
            return p;
    return nullptr;
}

// A point of a picture in the viewport: fx, fy are fractions of its width and height from
// its upper-left corner.
QPoint onPicture(const LessView& view, const BmpRect& picture, double fx, double fy) {
    const PointD ul = view.transform().toPixels(picture.corner(3));
    const PointD lr = view.transform().toPixels(picture.corner(1));
    const QPointF p(ul.x + (lr.x - ul.x) * fx, ul.y + (lr.y - ul.y) * fy);
    return (p - QPointF(view.scrollPosition())).toPoint();
}

} // namespace

class TestLessView : public QObject {
    Q_OBJECT
    ScriptedWindowServices m_services;
    QTemporaryDir m_drops;

    // A shown row whose pane is `pane` pixels, holding one picture per size, named a, b, c…
    std::unique_ptr<LessView> makeView(const QList<QSize>& pictures, QSize pane = {700, 200}) {
        auto view = std::make_unique<LessView>();
        view->resize(pane);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("view not exposed");
        view->resize(pane + (view->size() - view->viewport()->size()));
        char name = 'a';
        for (QSize size : pictures) {
            auto picture = std::make_unique<BmpRectStream>();
            picture->loadFromStream(pngBytes(size), QByteArray(1, name++), {0, 0}, {0, 100});
            view->scene().shapes().append(picture.release());
        }
        view->scene().layoutRow();
        view->fitToHeight();
        view->updateScrollSizes();
        return view;
    }

private slots:
    void init() {
        DisplayState::current() = DisplayState{};
        m_services.messages.clear();
    }

    void fit_data() {
        QTest::addColumn<QSize>("first");
        QTest::addColumn<int>("paneHeight");
        QTest::addColumn<bool>("fitted"); // false: the pane is too low to re-fit
        QTest::newRow("small picture zooms in") << QSize(40, 30) << 200 << true;
        QTest::newRow("large picture zooms out") << QSize(1600, 1200) << 200 << true;
        QTest::newRow("51 px pane re-fits") << QSize(400, 300) << 51 << true;
        QTest::newRow("50 px pane keeps the zoom") << QSize(400, 300) << 50 << false;
    }
    void fit() {
        QFETCH(QSize, first);
        QFETCH(int, paneHeight);
        QFETCH(bool, fitted);
        auto view = makeView({first, {60, 40}});
        const double scale = view->transform().scale;
        view->resize(QSize(700, paneHeight) + (view->size() - view->viewport()->size()));
        const ViewTransform& vt = view->transform();
        if (!fitted) {
            QCOMPARE(vt.scale, scale);
            return;
        }
        const BmpRect& picture = *view->scene().firstPicture();
        const PointD ul = vt.toPixels(picture.corner(3));
        QVERIFY2(std::abs(ul.x) <= 1 && std::abs(ul.y) <= 1, "first picture left the anchor");
        // The band below the picture is 100 plate units, not the strip's 25 pixels.
        const double d = strip::fitDistance(vt, picture, {0, 0}, strip::kLessonBand);
        QVERIFY2(d >= paneHeight / vt.zoomStep - 1e-9 && d <= paneHeight * vt.zoomStep + 1e-9,
                 qPrintable(QString::number(d)));
        const double band = vt.toPixels({0, -100}).y - vt.toPixels({0, 0}).y;
        QVERIFY(std::abs(band - 100 * vt.scale) < 1e-6);

        // Whatever heights the pane passed through (a window manager maximising the window),
        // the same height gives the same fit.
        const double fittedScale = vt.scale;
        for (int height : {paneHeight * 3, paneHeight / 2 + 1, paneHeight * 2, paneHeight})
            view->resize(QSize(700, height) + (view->size() - view->viewport()->size()));
        QCOMPARE(vt.scale, fittedScale);
    }

    // Every refusal of the palette's picture commands, and what stays unchanged.
    void refusals_data() {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("selected"); // -1: none
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("delete in an empty lesson") << 0 << -1 << "delete"
                                                   << "Урок отсуствует.";
        QTest::newRow("delete, nothing selected") << 2 << -1 << "delete"
                                                  << "Укажите иллюстрацию.";
        QTest::newRow("move, one picture") << 1 << 0 << "move"
                                           << "Нет иллюстрации для переноса";
        QTest::newRow("move, nothing selected") << 3 << -1 << "move"
                                                << "Укажите иллюстрацию.";
    }
    void refusals() {
        QFETCH(int, pictures);
        QFETCH(int, selected);
        QFETCH(QString, command);
        QFETCH(QString, message);
        auto view = makeView(QList<QSize>(pictures, QSize(60, 40)));
        if (selected >= 0)
            pictureAt(*view, selected)->setState(BmpRect::kStateSelected);
        const QByteArray before = order(*view);
        if (command == "delete")
            view->deletePicture();
        else
            QVERIFY(!view->beginMovePicture());
        QCOMPARE(m_services.messageTexts(), QStringList{message});
        QCOMPARE(m_services.messages.first().title, kAppName);
        QCOMPARE(order(*view), before);
        QCOMPARE(DisplayState::current().interactionMode, DisplayState::kModeNormal);
        QVERIFY(!view->lesson().isModified());
    }

    // A teacher's round: pick a picture (the preview gets a copy), press "move", point at the
    // right half of the last picture (its right edge is marked), click: the picture moves
    // there and the palette's button comes up; a second press pair cancels without a change.
    void pickAndMove() {
        RecordingPreview preview;
        auto view = makeView({{60, 40}, {60, 40}, {60, 40}});
        LessDlg palette(*view);
        palette.show();
        QVERIFY(QTest::qWaitForWindowExposed(&palette));
        CxSkinButton* move = palette.button(ResId::kIdcMovePicture);

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          onPicture(*view, *pictureAt(*view, 0), 0.5, 0.5));
        QVERIFY(pictureAt(*view, 0)->isSelected());
        QCOMPARE(preview.shown, QList<QByteArray>{"a"});
        // The band below the pictures is an empty part of the row: nothing changes.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          {2, view->viewport()->height() - 3});
        QVERIFY(pictureAt(*view, 0)->isSelected());
        QCOMPARE(preview.shown.size(), 1);

        QTest::mouseClick(move, Qt::LeftButton);
        QVERIFY(palette.isMovePressed() && move->state());
        QCOMPARE(DisplayState::current().interactionMode, DisplayState::kModeLessonMove);
        QCOMPARE(view->viewport()->cursor().pixmap().toImage(),
                 Cursors::cursor(ResId::kCurMovePicture).pixmap().toImage());

        const QPoint target = onPicture(*view, *pictureAt(*view, 2), 0.75, 0.5);
        QTest::mouseMove(view->viewport(), target);
        QVERIFY(pictureAt(*view, 2)->rightMark() && !pictureAt(*view, 2)->leftMark());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, target);
        QCOMPARE(order(*view), QByteArray("bca"));
        QCOMPARE(DisplayState::current().interactionMode, DisplayState::kModeNormal);
        QVERIFY(!palette.isMovePressed() && !move->state());
        QVERIFY(view->lesson().isModified());
        QCOMPARE(view->scene().firstPicture()->corner(0).x, 0.0); // laid out again from 0

        view->lesson().setModified(false);
        pictureAt(*view, 1)->setState(BmpRect::kStateSelected);
        QTest::mouseClick(move, Qt::LeftButton);
        QVERIFY(move->state());
        QTest::mouseClick(move, Qt::LeftButton);
        QVERIFY(!palette.isMovePressed() && !move->state());
        QCOMPARE(DisplayState::current().interactionMode, DisplayState::kModeNormal);
        QCOMPARE(order(*view), QByteArray("bca"));
        QVERIFY(!view->lesson().isModified());
        QVERIFY(m_services.messages.isEmpty());
    }

    // The palette's template: seven buttons where the dialog units put them, labels under
    // them; Enter gives the focus back; the close box destroys it.
    void palette() {
        auto view = makeView({});
        QPointer<LessDlg> palette = new LessDlg(*view);
        QCOMPARE(Instances::single<LessDlg>(), palette.data());
        QCOMPARE(palette->windowTitle(), QStringLiteral("Редактирование урока"));
        const DialogUnits du(palette->font());
        QCOMPARE(palette->size(), du.size(160, 94));
        QCOMPARE(palette->button(ResId::kIdcNewLesson)->geometry(), du.rect(4, 2, 32, 20));
        QCOMPARE(palette->button(ResId::kIdcOpenLesson)->geometry(), du.rect(40, 2, 34, 20));
        QCOMPARE(palette->button(ResId::kIdcMovePicture)->geometry(), du.rect(108, 52, 48, 21));
        palette->show();
        QVERIFY(QTest::qWaitForWindowExposed(palette.data()));

        int restored = 0;
        ActiveViewFocus::setHandler([&] { ++restored; });
        QTest::keyClick(palette.data(), Qt::Key_Return);
        QTest::keyClick(palette.data(), Qt::Key_Escape);
        ActiveViewFocus::setHandler({});
        QCOMPARE(restored, 2);
        QVERIFY(palette->isVisible()); // Esc does not close it

        palette->close();
        QTRY_VERIFY(!palette);
        QCOMPARE(Instances::single<LessDlg>(), nullptr);
    }

    // Files dragged from a file manager: pictures in the order given, a folder's pictures in
    // name order, the duplicate question, one message per file that gives no picture, a
    // lesson file opened after the save-changes question; fragments go to the plate strip;
    // nothing from another machine.
    void droppedFiles_data() {
        QTest::addColumn<bool>("onPlateStrip");
        QTest::addColumn<QStringList>("before"); // added to the lesson first
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QList<MsgAnswer>>("answers");
        QTest::addColumn<QStringList>("row"); // captions; for the strip, the fragment shown
        QTest::addColumn<QStringList>("messages");
        const QString failed = "Failed to load picture.";
        const QString unreadable = "Не удалось прочитать файл рисунка.";
        const QString duplicate = "Данная изображение уже содержится в уроке. Добавить?";
        const QString saveChanges = "Сохранить изменения в уроке?";
        const QStringList none;
        QTest::newRow("pictures in the order given")
            << false << none << QStringList{"b.jpg", "a.png"} << QList<MsgAnswer>{}
            << QStringList{"b", "a"} << none;
        QTest::newRow("a folder: its pictures by name, numbers by value, nothing deeper")
            << false << none << QStringList{"pics", "a.png"} << QList<MsgAnswer>{}
            << QStringList{"1", "2", "10", "a"} << none;
        QTest::newRow("the same picture twice: asked, No")
            << false << none << QStringList{"a.png", "a.png"} << QList<MsgAnswer>{MsgAnswer::No}
            << QStringList{"a"} << QStringList{duplicate};
        QTest::newRow("what does not decode is told once, at the end; the rest go on")
            << false << none << QStringList{"bad.png", "topic.frag", "a.png"} << QList<MsgAnswer>{}
            << QStringList{"a"}
            << QStringList{"Не удалось прочитать 2 рисунка из 3: «bad.png», «topic.frag»."};
        QTest::newRow("one file that gives no picture: its own message")
            << false << none << QStringList{"bad.png", "a.png"} << QList<MsgAnswer>{}
            << QStringList{"a"} << QStringList{failed};
        QTest::newRow("a link to a picture counts; a dangling link and a pipe are not read")
            << false << none << QStringList{"link.png", "dangling.png", "pipe.png"}
            << QList<MsgAnswer>{} << QStringList{"link"}
            << QStringList{"Не удалось прочитать 2 рисунка из 3: «dangling.png», «pipe.png»."};
        QTest::newRow("a dangling link alone: its own message")
            << false << none << QStringList{"dangling.png"} << QList<MsgAnswer>{} << none
            << QStringList{unreadable};
        QTest::newRow("a lesson opens after the question; the rest of the drop is left")
            << false << QStringList{"a.png"} << QStringList{"b.jpg", "lesson.les"}
            << QList<MsgAnswer>{MsgAnswer::No} << QStringList{"L"} << QStringList{saveChanges};
        QTest::newRow("Cancel keeps the lesson")
            << false << QStringList{"a.png"} << QStringList{"lesson.les"}
            << QList<MsgAnswer>{MsgAnswer::Cancel} << QStringList{"a"} << QStringList{saveChanges};
        QTest::newRow("nothing from another machine")
            << false << none << QStringList{"http://example.org/a.png", "file://far/a.png"}
            << QList<MsgAnswer>{} << none << none;
        QTest::newRow("strip: the first fragment")
            << true << none << QStringList{"a.png", "pics", "topic.frag", "other.frag"}
            << QList<MsgAnswer>{} << QStringList{"topic.frag"} << none;
        QTest::newRow("strip: no fragment, no drop")
            << true << none << QStringList{"a.png", "lesson.les"} << QList<MsgAnswer>{} << none
            << none;
    }
    void droppedFiles() {
        QFETCH(bool, onPlateStrip);
        QFETCH(QStringList, before);
        QFETCH(QStringList, dropped);
        QFETCH(QList<MsgAnswer>, answers);
        QFETCH(QStringList, row);
        QFETCH(QStringList, messages);
        QVERIFY(m_drops.isValid());
        const QDir dir(m_drops.path());
        if (!dir.exists("a.png")) {
            auto write = [&](const QString& name, const QByteArray& bytes) {
                QFile f(dir.filePath(name));
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
            };
            QVERIFY(dir.mkpath("pics/sub"));
            int width = 60; // different images: files of one second share a name
            for (const char* name :
                 {"a.png", "pics/10.png", "pics/2.png", "pics/1.PNG", "pics/sub/0.png"})
                write(name, pngBytes({width++, 40}));
            QImage jpeg(50, 50, QImage::Format_RGB32);
            jpeg.fill(Qt::yellow);
            QByteArray jpegBytes;
            QBuffer buffer(&jpegBytes);
            buffer.open(QIODevice::WriteOnly);
            jpeg.save(&buffer, "JPG");
            write("b.jpg", jpegBytes);
            write("bad.png", "not a picture");
            write("pics/notes.txt", "not a picture either");
            write("topic.frag", "a fragment only by name");
            QVERIFY(QFile::link(dir.filePath("a.png"), dir.filePath("link.png")));
            QVERIFY(QFile::link(dir.filePath("gone.png"), dir.filePath("dangling.png")));
            QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe.png")).constData(), 0600), 0);
            Scene lesson;
            auto picture = std::make_unique<BmpRectStream>();
            picture->loadFromStream(pngBytes({30, 30}), "L", {0, 0}, {0, 100});
            picture->setPicName("L");
            lesson.shapes().append(picture.release());
            QVERIFY(lesson.saveLesson(dir.filePath("lesson.les")));
        }
        QList<QUrl> urls;
        for (const QString& d : dropped)
            urls << (d.contains(':') ? QUrl(d) : QUrl::fromLocalFile(dir.filePath(d)));

        if (onPlateStrip) {
            QStringList shown;
            for (const drops::Action& a : drops::plan(urls, drops::Target::PlateStrip))
                shown << (a.kind == drops::Action::Kind::ShowFragment ? QFileInfo(a.path).fileName()
                                                                      : QStringLiteral("?"));
            QCOMPARE(shown, row);
            return;
        }
        auto view = makeView({});
        for (const QString& b : before)
            view->lesson().addPictureFile(dir.filePath(b));
        m_services.messages.clear();
        m_services.answers.clear();
        for (MsgAnswer a : answers)
            m_services.answers.enqueue(a);

        QMimeData data;
        data.setUrls(urls);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter({40, 40}, offered, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view->viewport(), &enter);
        QCOMPARE(enter.isAccepted(), !row.isEmpty() || !messages.isEmpty());
        if (enter.isAccepted()) {
            QDropEvent drop({40, 40}, offered, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(view->viewport(), &drop);
            QVERIFY(drop.isAccepted());
            QCOMPARE(drop.dropAction(), Qt::CopyAction); // a move would delete the files
            QTest::qWait(20);                            // the files are taken after the drop
        }
        const auto captions = [&view] {
            QStringList out;
            for (const ::Shape* shape : view->scene().shapes())
                if (const auto* p = dynamic_cast<const BmpRect*>(shape))
                    out << QString::fromLatin1(p->picName());
            return out;
        };
        QTRY_COMPARE(captions(), row); // a dropped lesson loads from the event loop
        QCOMPARE(m_services.messageTexts(), messages);
    }

    // A drop of many files runs in steps under the loading window: run to its end it tells
    // its failures once; "Отмена" stops it with nothing told, and a second drop meanwhile is
    // refused.
    void longDropShowsProgressAndCancels() {
        QTemporaryDir dir;
        const int files = 20 * PictureDrop::kFilesPerStep;
        for (int i = 0; i < files; ++i) {
            QFile f(dir.filePath(QString("%1.png").arg(i)));
            QVERIFY(f.open(QIODevice::WriteOnly)); // empty: no picture
        }
        auto view = makeView({});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir.path())});
        const auto drop = [&] {
            QDragEnterEvent enter({40, 40}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(view->viewport(), &enter);
            if (!enter.isAccepted())
                return false;
            QDropEvent event({40, 40}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(view->viewport(), &event);
            return true;
        };
        m_services.messages.clear();
        QVERIFY(drop());
        QCoreApplication::processEvents(); // the drop's first step, which outlasts no drop
        QVERIFY(view->isDropping() && Instances::single<LoadDlg>());
        QCOMPARE(Instances::single<LoadDlg>()->rangeEnd(), files);
        QVERIFY(!drop()); // one drop at a time
        QTRY_VERIFY(!view->isDropping());
        QCOMPARE(Instances::single<LoadDlg>(), nullptr);
        QCOMPARE(m_services.messageTexts(),
                 QStringList{QString("Не удалось прочитать %1 рисунков из %1: «0.png», «1.png», "
                                     "«2.png», «3.png», «4.png» и другие.")
                                 .arg(files)});

        m_services.messages.clear();
        QVERIFY(drop());
        QCoreApplication::processEvents();
        PictureDrop* running = view->pictureDrop();
        QVERIFY(running && Instances::single<LoadDlg>());
        int tried = -1;
        connect(running, &PictureDrop::finished, this, [&] { tried = running->filesTried(); });
        QTest::mouseClick(Instances::single<LoadDlg>()->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!view->isDropping());
        QCOMPARE(Instances::single<LoadDlg>(), nullptr);
        QVERIFY(tried > 0 && tried < files);
        QVERIFY(m_services.messages.isEmpty());
    }

    // A long lesson load runs from the event loop (a timer fires meanwhile) and ends named
    // with every picture; under the loading window a save does nothing and "Отмена" leaves an
    // empty unnamed lesson, nothing told.
    void longLessonLoadKeepsTheLoopTurningAndCancels() {
        QTemporaryDir dir;
        const QString file = dir.filePath("long.les");
        constexpr int kPictures = 6000;
        {
            Scene lesson;
            const QByteArray png = pngBytes({8, 8});
            for (int i = 0; i < kPictures; ++i) {
                auto picture = std::make_unique<BmpRectStream>();
                picture->loadFromStream(png, "p" + QByteArray::number(i), {0, 0}, {0, 100});
                lesson.shapes().append(picture.release());
            }
            QVERIFY(lesson.saveLesson(file));
        }
        const QDateTime written = QFileInfo(file).lastModified();
        auto view = makeView({});
        Lesson& lesson = view->lesson();
        m_services.fileDialogs.clear();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ticks += lesson.isLoading(); });
        ticker.start(1);

        lesson.loadLessonFile(file);
        QVERIFY(lesson.isLoading());
        QTRY_VERIFY_WITH_TIMEOUT(!lesson.isLoading(), 60000);
        QVERIFY(ticks > 0);
        QCOMPARE(int(view->scene().shapes().size()), kPictures);
        QCOMPARE(view->scene().filePath(), file);
        QVERIFY(!lesson.isModified());
        QVERIFY(m_services.messages.isEmpty());

        lesson.setModified(true);
        lesson.loadLessonFile(file);
        QTRY_VERIFY(lesson.loadingWindow() &&
                    Instances::single<LoadDlg>() == lesson.loadingWindow());
        QVERIFY(lesson.isLoading() && !lesson.isModified());
        QCOMPARE(view->scene().filePath(), QString()); // nothing to save over
        lesson.saveLessonFile();
        QTest::mouseClick(lesson.loadingWindow()->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!lesson.isLoading());
        QCOMPARE(Instances::single<LoadDlg>(), nullptr);
        QVERIFY(view->scene().shapes().empty());
        QCOMPARE(view->scene().filePath(), QString());
        QCOMPARE(lesson.documentTitle(), QStringLiteral("Без Имени.les"));
        QVERIFY(!lesson.isModified());
        QVERIFY(m_services.messages.isEmpty());
        QVERIFY(m_services.fileDialogs.isEmpty());
        QCOMPARE(QFileInfo(file).lastModified(), written);
    }

    void endDrag() {
        auto view = makeView({{60, 40}, {60, 40}});
        QTest::mouseClick(view->viewport(), Qt::MiddleButton, {}, {5, 5});
        const double x = view->transform().toPixels(view->scene().firstPicture()->corner(0)).x;
        QCOMPARE(view->anchorPoint().x, x);
        QCOMPARE(view->anchorPoint().y, 0.0);
        QCOMPARE(view->transform().previousShift.x, view->transform().shift.x);
    }
};

QTEST_MAIN(TestLessView)
#include "test_lessview.moc"
