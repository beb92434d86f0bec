#include "BmpRectFile.h"
#include "BmpRectStream.h"
#include "Cp1251.h"
#include "Err.h"
#include "GifBytes.h"
#include "HostileImages.h"
#include "ImageBytes.h"
#include "LessFile.h"
#include "PictureFiles.h"
#include "PictureImage.h"
#include "PngBounds.h"
#include "ScriptedWindowServices.h"
#include "ViewTransform.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QString loadError(const QByteArray& bytes) {
    BmpRectStream p;
    try {
        p.loadFromStream(bytes, "x", {0, 0}, {0, 10});
    } catch (const Err& e) {
        return e.text();
    }
    return {};
}

quint32 crc32(const char* data, int n) {
    quint32 c = 0xffffffffu;
    for (int i = 0; i < n; ++i) {
        c ^= quint8(data[i]);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A PNG whose header claims w x h pixels over a tiny body: a decompression bomb.
QByteArray pngClaiming(quint32 w, quint32 h) {
    QByteArray png = imagebytes::solidPng(1, 1, Qt::red);
    // IHDR data starts at 16: width, height, then the chunk's CRC over type + data at 29.
    qToBigEndian(w, png.data() + 16);
    qToBigEndian(h, png.data() + 20);
    const quint32 crc = crc32(png.constData() + 12, 17);
    qToBigEndian(crc, png.data() + 29);
    return png;
}

QByteArray bmpOf(int w, int h) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImage(w, h, QImage::Format_RGB32).save(&buffer, "bmp");
    return buffer.data();
}

// A bitmap whose header promises w x h pixels that the file does not hold.
QByteArray bmpClaiming(qint32 w, qint32 h) {
    QByteArray bmp = bmpOf(2, 2);
    qToLittleEndian(w, bmp.data() + 18);
    qToLittleEndian(h, bmp.data() + 22);
    return bmp;
}

QList<gifbytes::Frame> frames(int n, int firstDelayCs, bool withDelay = true) {
    QList<gifbytes::Frame> out;
    for (int i = 0; i < n; ++i)
        out << gifbytes::Frame{i % 4, i == 0 ? firstDelayCs : 50, withDelay};
    return out;
}

std::unique_ptr<BmpRectStream> gifPicture(int frameCount, int firstDelayCs = 10) {
    auto p = std::make_unique<BmpRectStream>();
    p->setBGif(true);
    p->loadFromStream(gifbytes::build(4, 3, frames(frameCount, firstDelayCs)), "gif", {0, 0},
                      {0, 10});
    return p;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes,
                  qint64 mtime = 1700000000) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(bytes);
    f.flush(); // before the time is set, or closing would set it again
    f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime);
    return path;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void loadAppliesStoredScale();
    void loadRejects_data();
    void loadRejects();
    void gifInfo_data();
    void gifInfo();
    void gifFlagOnStillImage();
    void truncatedAnimationKeepsFrames();
    void cloneIsIndependent();
    void cloneWithoutImageSaysSo();
    void reloadKeepsFrameIndex();
    void picNameFromTitle_data();
    void picNameFromTitle();
    void lessFileReadsChosenFile();
    void hostileTitleCannotBreakRecord();
    void lessFileCancelled();
    void lessFileUnreadable();
    void lessFileNotAPicture();
    void lessFileSingleFrameGifIsStill();
    void lessFilesOfSameSecondShareName();
    void bmpRectFileNameKeepsLast31();
    void bmpRectFileLoadsAnimation();
    void decodesEveryFormat_data();
    void decodesEveryFormat();
    void readWholeHoldsJustTheFile_data();
    void readWholeHoldsJustTheFile();
    void overlongPngChunks_data();
    void overlongPngChunks();
    void untrustedPictures_data();
    void untrustedPictures();
};

void TestPictures::loadAppliesStoredScale() {
    BmpRectStream p;
    p.setStoredScale(0.5);
    p.loadFromStream(imagebytes::solidPng(400, 300, Qt::blue), "name1", {10, 10}, {10, 50});
    QCOMPARE(p.width(), 200);
    QCOMPARE(p.height(), 150);
    QCOMPARE(p.name(), QByteArray("name1"));
    QCOMPARE(p.corner(2), (PointD{210, 160}));
    QCOMPARE(p.referenceLength(), 10.0);
    QVERIFY(p.hasImage());
    QCOMPARE(p.image()->size(), QSize(400, 300));
}

void TestPictures::loadRejects_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not an image") << QByteArray("hello, this is text and not a picture");
    QTest::newRow("truncated PNG") << imagebytes::solidPng(50, 50, Qt::red).left(40);
    QTest::newRow("PNG claiming 60000 x 60000") << pngClaiming(60000, 60000);
    QTest::newRow("PNG claiming 0 x 10") << pngClaiming(0, 10);
    QTest::newRow("PNG of 8192 x 8192 blank pixels") << [] {
        QImage blank(8192, 8192, QImage::Format_Mono);
        blank.fill(0);
        return imagebytes::encode(blank, "PNG");
    }();
    QTest::newRow("GIF screen of 65535 x 65535") << [] {
        QByteArray g = gifbytes::build(2, 2, frames(2, 5));
        g[6] = g[7] = g[8] = g[9] = char(0xff);
        return g;
    }();
    QTest::newRow("format outside the five") << QByteArray("P1\n2 2\n0 1\n1 0\n");
}

void TestPictures::loadRejects() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(loadError(bytes), QStringLiteral("Failed to load picture."));
}

void TestPictures::gifInfo_data() {
    QTest::addColumn<int>("frameCount");
    QTest::addColumn<int>("firstDelayCs");
    QTest::addColumn<bool>("withDelay");
    QTest::addColumn<int>("expectedDelayMs");
    QTest::newRow("delay 8 gives 80 ms") << 3 << 8 << true << 80;
    QTest::newRow("delay 0 would spin: 100 ms") << 2 << 0 << true << 100;
    QTest::newRow("delay 1 would spin: 100 ms") << 2 << 1 << true << 100;
    QTest::newRow("delay 2 is kept") << 5 << 2 << true << 20;
    QTest::newRow("no delay given: 100 ms") << 4 << 0 << false << 100;
    QTest::newRow("long delay") << 2 << 250 << true << 2500;
}

void TestPictures::gifInfo() {
    QFETCH(int, frameCount);
    QFETCH(int, firstDelayCs);
    QFETCH(bool, withDelay);
    QFETCH(int, expectedDelayMs);
    BmpRectStream p;
    p.setBGif(true);
    p.loadFromStream(gifbytes::build(5, 4, frames(frameCount, firstDelayCs, withDelay)), "g",
                     {0, 0}, {0, 10});
    QCOMPARE(p.frameCount(), frameCount);
    QCOMPARE(p.frameDelay(), expectedDelayMs);
    QCOMPARE(p.frameIndex(), 0);
    QCOMPARE(p.width(), 5);
    QCOMPARE(p.height(), 4);
}

void TestPictures::gifFlagOnStillImage() {
    // A record may mark a still image as animated: stepping must stay on its one frame.
    BmpRectStream p;
    p.setBGif(true);
    p.loadFromStream(imagebytes::solidPng(8, 8, Qt::red), "s", {0, 0}, {0, 10});
    QCOMPARE(p.frameCount(), 1);
    QImage target(20, 20, QImage::Format_RGB32);
    QPainter g(&target);
    ViewTransform vt;
    vt.viewHeight = 20;
    for (int i = 0; i < 3; ++i)
        p.draw(g, vt);
    QCOMPARE(p.frameIndex(), 0);
}

void TestPictures::truncatedAnimationKeepsFrames() {
    // The stream ends inside the third frame: the first two still play, the rest are skipped.
    QByteArray g = gifbytes::build(4, 3, frames(4, 10));
    const qsizetype cut = g.lastIndexOf(QByteArray("\x21\xf9", 2));
    g = g.left(cut - 5);
    auto p = std::make_unique<BmpRectStream>();
    p->setBGif(true);
    p->loadFromStream(g, "t", {0, 0}, {0, 10});
    PictureImage* image = p->image();
    const int count = image->frameCount();
    QVERIFY(count >= 2 && count < 4);
    for (int i = 1; i < count; ++i) { // what is left of the cut frame counts too
        QVERIFY2(image->selectFrame(i), qPrintable(QString::number(i)));
        QCOMPARE(image->currentFrame(), i);
        QVERIFY(!image->fullImage().isNull());
    }
    QVERIFY(image->selectFrame(0));
    QVERIFY(!image->selectFrame(count)); // past the end
    QCOMPARE(image->currentFrame(), 0);
}

void TestPictures::cloneIsIndependent() {
    ScriptedWindowServices ui;
    auto source = gifPicture(7, 8);
    source->setBFrame(true);
    source->setBAvi(true);
    source->setSrcName("src.exe");
    source->setSwfNameMy("movie.swf");
    source->setAviName("clip.avi");
    source->setPicName("Кошка");
    source->setCaption("Кошка");
    source->setName("*12345");
    source->placeByVector({3, 4}, {3, 40});
    source->setState(BmpRect::kStateSelected);
    source->updateEdgeMarks([] {
        ViewTransform vt;
        vt.pointer = {4, 5};
        return vt;
    }());
    QImage target(10, 10, QImage::Format_RGB32);
    {
        QPainter g(&target);
        ViewTransform vt;
        vt.viewHeight = 10;
        for (int i = 0; i < 5; ++i)
            source->draw(g, vt);
    }
    QCOMPARE(source->frameIndex(), 5);

    std::unique_ptr<BmpRectStream> copy = source->clone();
    QVERIFY(ui.messages.isEmpty());
    QCOMPARE(copy->frameIndex(), 0);
    QCOMPARE(copy->state(), BmpRect::kStateNormal);
    QCOMPARE(copy->penWidth(), 1.0);
    QVERIFY(!copy->leftMark() && !copy->rightMark());
    QCOMPARE(copy->corners(), source->corners());
    QCOMPARE(copy->vecBeg(), source->vecBeg());
    QCOMPARE(copy->vecEnd(), source->vecEnd());
    QCOMPARE(copy->frameCount(), 7);
    QCOMPARE(copy->frameDelay(), 80);
    QVERIFY(copy->bFrame() && copy->bAvi() && copy->bGif());
    QCOMPARE(copy->srcName(), QByteArray("src.exe"));
    QCOMPARE(copy->swfNameMy(), QByteArray("movie.swf"));
    QCOMPARE(copy->aviName(), QByteArray("clip.avi"));
    QCOMPARE(copy->picName(), source->picName());
    QCOMPARE(copy->caption(), source->caption());
    QCOMPARE(copy->name(), QByteArray("*12345"));
    QCOMPARE(copy->image()->currentFrame(), 0);

    // Changing and then destroying the source leaves the copy whole.
    const QByteArray bytes = source->streamBytes();
    source->setScale(3.0);
    source->setCaption("другое");
    source.reset();
    QCOMPARE(copy->streamBytes(), bytes);
    QCOMPARE(copy->width(), 4);
    QCOMPARE(copy->caption(), QByteArray("Кошка"));
    {
        QPainter g(&target);
        ViewTransform vt;
        vt.viewHeight = 10;
        copy->draw(g, vt); // the first drawing of a copy shows frame 1
    }
    QCOMPARE(copy->frameIndex(), 1);
    QCOMPARE(copy->image()->currentFrame(), 1);
}

void TestPictures::cloneWithoutImageSaysSo() {
    ScriptedWindowServices ui;
    BmpRectStream empty;
    auto copy = empty.clone();
    QVERIFY(!copy->hasImage());
    QCOMPARE(ui.messageTexts(), QStringList{"Failed clone"});
    QCOMPARE(ui.messages.front().title, kAppName);
}

void TestPictures::reloadKeepsFrameIndex() {
    auto p = gifPicture(3);
    QImage target(10, 10, QImage::Format_RGB32);
    QPainter g(&target);
    ViewTransform vt;
    vt.viewHeight = 10;
    p->draw(g, vt);
    p->draw(g, vt);
    p->reloadImage();
    QCOMPARE(p->frameIndex(), 2);
    QVERIFY(p->hasImage());
    p->draw(g, vt);
    QCOMPARE(p->frameIndex(), 0);
}

void TestPictures::picNameFromTitle_data() {
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("picName");
    QTest::newRow("Cat.GIF") << QByteArray("Cat.GIF") << QByteArray("Cat");
    QTest::newRow("Fish.jpeg") << QByteArray("Fish.jpeg") << QByteArray("Fish");
    QTest::newRow("gift.gif") << QByteArray("gift.gif") << QByteArray("tgif");
    QTest::newRow("photo.JPG") << QByteArray("photo.JPG") << QByteArray("photo");
    QTest::newRow("two dots") << QByteArray("a.b.png") << QByteArray("ab.");
    QTest::newRow("no extension") << QByteArray("Road") << QByteArray("Road");
}

void TestPictures::picNameFromTitle() {
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, picName);
    QCOMPARE(LessFile::picNameFromTitle(title), picName);
}

void TestPictures::lessFileReadsChosenFile() {
    QTemporaryDir dir;
    const QByteArray png = imagebytes::solidPng(30, 20, Qt::green);
    ScriptedWindowServices ui;
    ui.chosenFiles << writeFile(dir, "Дорога.png", png, 1234567890);
    LessFile file;
    QCOMPARE(ui.fileDialogs.size(), 1);
    QCOMPARE(ui.fileDialogs.front().title, QStringLiteral("Укажите файл рисунка"));
    QVERIFY(ui.fileDialogs.front().filter.contains("*.JFIF"));
    QVERIFY(ui.fileDialogs.front().mustExist);
    QVERIFY(file.isStreamReady());
    QCOMPARE(file.name(), QByteArray("*1234567890"));
    QCOMPARE(file.picName(), cp1251::fromUnicodeLossy("Дорога"));
    QVERIFY(file.bFrame());

    std::unique_ptr<BmpRectStream> p = file.toPicture();
    QVERIFY(p);
    QCOMPARE(p->streamBytes(), png);
    QCOMPARE(p->width(), 30);
    QCOMPARE(p->height(), 20);
    QCOMPARE(p->name(), QByteArray("*1234567890"));
    QCOMPARE(p->caption(), file.picName());
    QVERIFY(p->bFrame());
    QVERIFY(!p->bGif());
    QVERIFY(!p->isComplete());  // the lesson places it
    QVERIFY(!file.toPicture()); // the bytes went over to the picture
    QVERIFY(ui.messages.isEmpty());
}

void TestPictures::hostileTitleCannotBreakRecord() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    ui.chosenFiles << writeFile(dir, "a<b>c.png", imagebytes::solidPng(2, 2, Qt::red));
    LessFile file;
    QCOMPARE(file.picName(), QByteArray("a_b_c"));
}

void TestPictures::lessFileCancelled() {
    ScriptedWindowServices ui;
    LessFile file;
    QVERIFY(!file.isStreamReady());
    QVERIFY(!file.toPicture());
    QVERIFY(ui.messages.isEmpty());
}

void TestPictures::lessFileUnreadable() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    ui.chosenFiles << dir.filePath("gone.png");
    LessFile file;
    QVERIFY(!file.toPicture());
    QCOMPARE(ui.messages.size(), 1); // the user learns why nothing was added
}

void TestPictures::lessFileNotAPicture() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    ui.chosenFiles << writeFile(dir, "notes.gif", "GIF89a but not really");
    LessFile file;
    QVERIFY(file.isStreamReady());
    QVERIFY_THROWS_EXCEPTION(Err, file.toPicture());
}

void TestPictures::lessFileSingleFrameGifIsStill() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    ui.chosenFiles << writeFile(dir, "one.gif", gifbytes::build(3, 3, frames(1, 8)));
    ui.chosenFiles << writeFile(dir, "many.gif", gifbytes::build(3, 3, frames(3, 8)));
    LessFile one;
    auto still = one.toPicture();
    QVERIFY(!still->bGif());
    QCOMPARE(still->frameCount(), 1);
    LessFile many;
    auto moving = many.toPicture();
    QVERIFY(moving->bGif());
    QCOMPARE(moving->frameCount(), 3);
    QCOMPARE(moving->frameDelay(), 80);
}

void TestPictures::lessFilesOfSameSecondShareName() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    ui.chosenFiles << writeFile(dir, "a.png", imagebytes::solidPng(2, 2, Qt::red), 1600000000)
                   << writeFile(dir, "b.png", imagebytes::solidPng(3, 3, Qt::blue), 1600000000);
    LessFile a;
    LessFile b;
    QCOMPARE(a.name(), b.name());
    QCOMPARE(a.name(), QByteArray("*1600000000"));
}

void TestPictures::bmpRectFileNameKeepsLast31() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    const QString title = QString(36, QLatin1Char('x')) + ".gif"; // 40 characters
    ui.chosenFiles << writeFile(dir, title, imagebytes::solidPng(5, 5, Qt::red), 1111111111);
    BmpRectFile file;
    const QByteArray full = title.toLatin1() + "*1111111111";
    QCOMPARE(file.name(), full.right(31));
    QCOMPARE(file.picName(), QByteArray(36, 'x'));
    QVERIFY(file.bFrame());
    QVERIFY(file.hasImage()); // content decides the format, not the name
    QVERIFY(file.srcName().isEmpty());
}

void TestPictures::bmpRectFileLoadsAnimation() {
    QTemporaryDir dir;
    ScriptedWindowServices ui;
    ui.chosenFiles << writeFile(dir, "run.gif", gifbytes::build(6, 4, frames(4, 3)));
    BmpRectFile file;
    QVERIFY(file.hasImage());
    QVERIFY(file.bGif());
    QCOMPARE(file.frameCount(), 4);
    QCOMPARE(file.frameDelay(), 30);
    QCOMPARE(file.width(), 6);
    QVERIFY(!file.loadFromFile(dir.filePath("missing.gif")));
    QVERIFY(!file.hasImage());
}

// A chunk claiming more than the file holds (the decoder would allocate all of it) is cut off
// with what follows it; an image before it still decodes.
void TestPictures::overlongPngChunks_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("decodes");
    const QByteArray png = imagebytes::solidPng(4, 3, Qt::red);
    const QByteArray claim2GB = QByteArray("\x6d\x70\x00\x25tEXtdate:modify", 19);
    QTest::newRow("whole") << png << true;
    QTest::newRow("text after the image claims 1.8 GB") << png.chopped(12) + claim2GB << true;
    QTest::newRow("chunk before the image claims 1.8 GB")
        << png.left(33) + claim2GB + png.mid(33) << false;
}

void TestPictures::overlongPngChunks() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, decodes);
    const QByteArray bounded = pngWithinBounds(bytes);
    QVERIFY(bounded.size() <= bytes.size() + 12);
    QVERIFY(bounded.endsWith(QByteArray("IEND\xae\x42\x60\x82", 8)));
    const std::unique_ptr<PictureImage> image = PictureImage::decode(bytes);
    QCOMPARE(bool(image), decodes);
    if (image)
        QCOMPARE(image->fullImage().pixelColor(3, 2), QColor(Qt::red));
}

// What a header claims is held to the limits before the decoder is asked: the screen a GIF
// composes every frame on, the decoding work of an animation's frames, a JPEG's scans (each
// walks every block again). Pictures within them decode as before. frames 0: refused.
void TestPictures::untrustedPictures_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("firstDelayMs");
    QTest::newRow("GIF screen of 65535 x 1024, 2 KB: a bomb")
        << hostile::canvasGif(65535, 1024, 100) << 0 << 0;
    QTest::newRow("GIF screen over the pixel limit") << hostile::canvasGif(9000, 9000, 2) << 0 << 0;
    QTest::newRow("GIF screen of 65282 x 254, 2 KB: a bomb")
        << hostile::canvasGif(65282, 254, 50) << 0 << 0;
    QTest::newRow("animation past the frame budget loops early")
        << hostile::canvasGif(2048, 2048, 300) << 256 << 100;
    QTest::newRow("normal animated GIF") << gifbytes::build(8, 6, frames(3, 8)) << 3 << 80;
    QTest::newRow("JPEG of 100 scans") << hostile::manyScanJpeg(512, 99) << 1 << 0;
    QTest::newRow("JPEG of 101 scans") << hostile::manyScanJpeg(512, 100) << 0 << 0;
    QTest::newRow("JPEG of 10,000 scans") << hostile::manyScanJpeg(64, 10000) << 0 << 0;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(imagebytes::quadrants(1600, 1200));
    QTest::newRow("normal progressive JPEG") << buffer.data() << 1 << 0;
    QTest::newRow("bitmap of 4,000,000 x 3 over a few bytes: truncated")
        << bmpClaiming(4000000, 3) << 0 << 0;
    QTest::newRow("bitmap of 1200 x 1000, all its rows") << bmpOf(1200, 1000) << 1 << 0;
}

void TestPictures::untrustedPictures() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, frames);
    QFETCH(int, firstDelayMs);
    const std::unique_ptr<PictureImage> image = PictureImage::decode(bytes);
    QCOMPARE(image ? image->frameCount() : 0, frames);
    if (image) {
        QCOMPARE(image->firstFrameDelayMs(), firstDelayMs);
        QVERIFY(image->selectFrame(std::min(frames - 1, 1)));
        QVERIFY(!image->fullImage().isNull());
    }
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"

// Every format the content may hold decodes, through the plugins the program needs at run
// time (TIFF comes from the image-formats plugins).
void TestPictures::decodesEveryFormat_data() {
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("lossy");
    QTest::newRow("JPEG baseline") << QByteArray("jpeg") << false << true;
    QTest::newRow("JPEG progressive") << QByteArray("jpeg") << true << true;
    QTest::newRow("PNG") << QByteArray("png") << false << false;
    QTest::newRow("GIF") << QByteArray("gif") << false << false;
    QTest::newRow("BMP") << QByteArray("bmp") << false << false;
    QTest::newRow("TIFF") << QByteArray("tiff") << false << false;
}

void TestPictures::decodesEveryFormat() {
    QFETCH(QByteArray, format);
    QFETCH(bool, progressive);
    QFETCH(bool, lossy);
    const QImage source = imagebytes::quadrants(40, 30);
    QByteArray bytes;
    if (format == "gif") {
        bytes = gifbytes::build(40, 30, frames(1, 0)); // Qt writes no GIF
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.setProgressiveScanWrite(progressive);
        writer.setQuality(95);
        QVERIFY2(writer.write(source), qPrintable(writer.errorString()));
    }
    std::unique_ptr<PictureImage> image = PictureImage::decode(bytes);
    QVERIFY2(image, "not decoded: is its image format plugin installed?");
    QCOMPARE(image->size(), QSize(40, 30));
    if (format == "gif")
        return; // the GIF's own palette picture
    const QImage decoded = image->fullImage().convertToFormat(QImage::Format_RGB32);
    for (const QPoint at : {QPoint(10, 7), QPoint(30, 7), QPoint(10, 22), QPoint(30, 22)}) {
        const QColor got = decoded.pixelColor(at);
        const QColor want = source.pixelColor(at);
        const int tolerance = lossy ? 24 : 0;
        QVERIFY2(std::abs(got.red() - want.red()) <= tolerance &&
                     std::abs(got.green() - want.green()) <= tolerance &&
                     std::abs(got.blue() - want.blue()) <= tolerance,
                 qPrintable(got.name() + " at " + QString::number(at.x())));
    }
}

// A picture read from a file holds that file's bytes and no more: a buffer sized to the
// file limit would stay with every copy of the picture.
void TestPictures::readWholeHoldsJustTheFile_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("read");
    QTest::newRow("empty") << qint64(0) << true;
    QTest::newRow("3 bytes") << qint64(3) << true;
    QTest::newRow("100 kB") << qint64(100000) << true;
    QTest::newRow("over the limit") << picturefiles::kMaxFileBytes + 1 << false;
}

void TestPictures::readWholeHoldsJustTheFile() {
    QFETCH(qint64, size);
    QFETCH(bool, read);
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (size > 1000) {
        QVERIFY(f.resize(size)); // sparse
    } else {
        QCOMPARE(f.write(QByteArray(size, 'x')), size);
    }
    f.close();
    const std::optional<QByteArray> bytes = picturefiles::readWhole(path);
    QCOMPARE(bool(bytes), read);
    if (!read)
        return;
    QCOMPARE(bytes->size(), size);
    QVERIFY2(bytes->capacity() <= size + 64, qPrintable(QString::number(bytes->capacity())));
}
