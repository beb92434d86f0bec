#include "ContentBuilder.h"
#include "Cp1251.h"
#include "Err.h"
#include "FragmentPacker.h"
#include "GifWriter.h"
#include "RtfPriceList.h"
#include "SwfWalk.h"
#include "SwfWriter.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>
#include <set>

using namespace swfwalk;

namespace {

QImage decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class ContentWritersTest : public QObject {
    Q_OBJECT

private slots:
    void gifRoundTrip_data();
    void gifRoundTrip();
    void gifFramesAndDelay();
    void gifRejectsMismatchedFrames();

    void swfSignedWidth_data();
    void swfSignedWidth();
    void swfMovieStructure();
    void swfOverlapsFillSolid_data();
    void swfOverlapsFillSolid();

    void recordLinesAsTheSaverWrites_data();
    void recordLinesAsTheSaverWrites();
    void textThatWouldBreakTheXmlIsRefused_data();
    void textThatWouldBreakTheXmlIsRefused();
    void fragmentRoundTrip();

    void layoutKeepsPlatesApart();
    void catalogueNamesFitTheFiles();

    void rtfEscape_data();
    void rtfEscape();
};

// Images of at most 256 colours on a grid of 8 decode exactly, whatever the pattern; the
// noise rows fill LZW's 4096-entry table many times over, so its resets and code widths
// are exercised, not just the easy start.
void ContentWritersTest::gifRoundTrip_data() {
    QTest::addColumn<QImage>("image");
    auto make = [](int w, int h, auto colourAt) {
        QImage im(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                im.setPixel(x, y, colourAt(x, y));
        return im;
    };
    QTest::newRow("single pixel") << make(1, 1, [](int, int) { return qRgb(200, 16, 8); });
    QTest::newRow("flat") << make(64, 48, [](int, int) { return qRgb(40, 80, 120); });
    QTest::newRow("stripes") << make(
        97, 13, [](int x, int) { return x % 2 ? qRgb(248, 248, 248) : qRgb(0, 0, 0); });
    quint32 seed = 12345;
    auto noise = [&seed](int, int) {
        seed = seed * 1664525u + 1013904223u;
        const int i = int(seed >> 24); // 256 distinct colours on the grid of 8
        return qRgb((i & 7) * 32, ((i >> 3) & 7) * 32, (i >> 6) * 64);
    };
    QTest::newRow("noise 256 colours") << make(211, 157, noise);
    QTest::newRow("noise 2 colours") << make(300, 200, [&seed](int, int) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 31) ? qRgb(232, 64, 16) : qRgb(8, 8, 8);
    });
}

void ContentWritersTest::gifRoundTrip() {
    QFETCH(QImage, image);
    const QByteArray gif = GifWriter::encode({image}, 10);
    QVERIFY(gif.startsWith("GIF89a"));
    QVERIFY(gif.endsWith(';'));
    const QImage back = decode(gif);
    QCOMPARE(back.size(), image.size());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (back.pixel(x, y) != image.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 instead of %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(back.pixel(x, y), 0, 16)
                                     .arg(image.pixel(x, y), 0, 16)));
}

void ContentWritersTest::gifFramesAndDelay() {
    std::vector<QImage> frames;
    for (int i = 0; i < 3; ++i) {
        QImage f(20, 10, QImage::Format_RGB32);
        f.fill(qRgb(64 * i, 128, 255 - 64 * i));
        frames.push_back(f);
    }
    const QByteArray gif = GifWriter::encode(frames, 7);
    QBuffer buffer;
    buffer.setData(gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QCOMPARE(reader.imageCount(), 3);
    QCOMPARE(reader.loopCount(), -1); // for ever
    for (int i = 0; i < 3; ++i) {
        const QImage f = reader.read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(f.pixel(5, 5), frames[std::size_t(i)].pixel(5, 5));
        QCOMPARE(reader.nextImageDelay(), 70);
    }
}

void ContentWritersTest::gifRejectsMismatchedFrames() {
    QImage a(10, 10, QImage::Format_RGB32), b(11, 10, QImage::Format_RGB32);
    a.fill(Qt::red);
    b.fill(Qt::blue);
    QVERIFY(GifWriter::encode({a, b}, 10).isEmpty());
    QVERIFY(GifWriter::encode({}, 10).isEmpty());
}

void ContentWritersTest::swfSignedWidth_data() {
    QTest::addColumn<qint32>("value");
    QTest::addColumn<int>("bits");
    QTest::newRow("zero") << 0 << 1;
    QTest::newRow("minus one") << -1 << 1;
    QTest::newRow("one") << 1 << 2;
    QTest::newRow("minus two") << -2 << 2;
    QTest::newRow("two") << 2 << 3;
    QTest::newRow("largest in 8") << 127 << 8;
    QTest::newRow("smallest in 8") << -128 << 8;
    QTest::newRow("one past 8") << 128 << 9;
    QTest::newRow("stage width in twips") << 16000 << 15;
}

void ContentWritersTest::swfSignedWidth() {
    QFETCH(qint32, value);
    QFETCH(int, bits);
    QCOMPARE(SwfBits::signedWidth({value}), bits);
    // And the value survives being written in that many bits.
    SwfBits w;
    w.signedBits(value, bits);
    const QByteArray bytes = w.bytes();
    BitReader r(bytes, 0);
    QCOMPARE(r.signedBits(bits), value);
}

// A player fills one colour's outlines by the even-odd rule: what the shape then covers must
// be what the contours drawn one over the other cover (no hole where they overlap).
void ContentWritersTest::swfOverlapsFillSolid_data() {
    QTest::addColumn<QColor>("second");
    QTest::addColumn<QPointF>("secondCentre");
    QTest::addColumn<int>("contours");
    QTest::newRow("same colour, overlapping: one") << QColor(Qt::white) << QPointF(30, 0) << 1;
    QTest::newRow("same colour, apart: two") << QColor(Qt::white) << QPointF(200, 0) << 2;
    QTest::newRow("other colour, overlapping: two") << QColor(Qt::red) << QPointF(30, 0) << 2;
}

void ContentWritersTest::swfOverlapsFillSolid() {
    QFETCH(QColor, second);
    QFETCH(QPointF, secondCentre);
    const std::vector<SwfContour> given = {SwfContour::circle({0, 0}, 40, Qt::white),
                                           SwfContour::circle(secondCentre, 40, second)};
    const std::vector<SwfContour> joined = SwfContour::joinOverlaps(given);
    QTEST(int(joined.size()), "contours");
    QPainterPath white;
    white.setFillRule(Qt::OddEvenFill);
    for (const SwfContour& c : joined)
        if (c.fill == QColor(Qt::white))
            white.addPath(c.path());
    for (const QPointF& p : {QPointF(0, 0), QPointF(15, 0), QPointF(-35, 0)})
        QVERIFY2(white.contains(p), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    QVERIFY(!white.contains(QPointF(0, 60)));
}

void ContentWritersTest::swfMovieStructure() {
    SwfMovie movie(QSize(320, 240), 12, Qt::white);
    // A shape reaching into negative coordinates, to check signed fields and bounds.
    const int id = movie.defineShape({SwfContour::rect(-10, -5, 40, 30, Qt::red),
                                      SwfContour::circle(QPointF(50, 50), 12, Qt::blue)});
    QCOMPARE(id, 1);
    movie.place(1, id, {100, 80});
    movie.showFrame();
    for (int f = 1; f < 5; ++f) {
        movie.move(1, QPointF(100 - 30 * f, 80), 1.5);
        movie.showFrame();
    }
    const QByteArray swf = movie.finish();
    const SwfSummary s = walkSwf(swf);
    QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
    QCOMPARE(s.stageTwips, QRect(0, 0, 320 * 20, 240 * 20));
    QCOMPARE(s.frameCountField, 5);
    QCOMPARE(s.showFrames, 5);
    QCOMPARE(s.tagCodes.first(), 9); // background colour first
    QCOMPARE(s.tagCodes.count(2), 1);
    QCOMPARE(s.tagCodes.count(26), 5);

    // The shape's bounds: from (-10, -5) to the circle's control points.
    const qsizetype shapeBody = s.tagBodies[s.tagCodes.indexOf(2)];
    QCOMPARE(le16(swf, shapeBody), quint32(id));
    BitReader bounds(swf, shapeBody + 2); // after the character id
    const int n = int(bounds.bits(5));
    QCOMPARE(bounds.signedBits(n), -200); // x min in twips
    const int xMax = bounds.signedBits(n);
    QCOMPARE(bounds.signedBits(n), -100); // y min
    QVERIFY(xMax >= 62 * 20 && xMax <= 64 * 20);
}

// The record of a picture written as the program's own saver writes it, line by line.
void ContentWritersTest::recordLinesAsTheSaverWrites_data() {
    QTest::addColumn<bool>("legacy");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray fields = "<bFrame>1</bFrame>\n<bAvi>0</bAvi>\n<bGif>0</bGif>\n"
                              "<scale>0.5</scale>\n<srcName></srcName>\n"
                              "<swfNameMy>m.swf</swfNameMy>\n<aviName></aviName>\n"
                              "<picName>\xCF\xE5\xF8\xE5\xF5\xEE\xE4</picName>\n"
                              "<name>a.jpg</name>\n";
    QTest::newRow("BmpRectStream")
        << false
        << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n<Pictures>\n"
                      "</Pictures>\n<Object type=\"BmpRectStream\">\n") +
               fields +
               "<vecBeg>\n<x>10</x>\n<y>20</y>\n</vecBeg>\n<vecEnd>\n<x>10</x>\n"
               "<y>30</y>\n</vecEnd>\n</Object>\n</Data>\n";
    QTest::newRow("legacy BmpRect")
        << true
        << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n<Pictures>\n"
                      "</Pictures>\n<Object type=\"BmpRect\">\n") +
               fields +
               "<vecBeg>\n<PointD>\n<x>10</x>\n<y>20</y>\n</PointD>\n</vecBeg>\n<vecEnd>\n"
               "<PointD>\n<x>10</x>\n<y>30</y>\n</PointD>\n</vecEnd>\n</Object>\n</Data>\n";
}

void ContentWritersTest::recordLinesAsTheSaverWrites() {
    QFETCH(bool, legacy);
    QFETCH(QByteArray, expected);
    PackedPicture pic;
    pic.legacy = legacy;
    pic.scale = 0.5;
    pic.swfNameMy = "m.swf";
    pic.picName = "\xCF\xE5\xF8\xE5\xF5\xEE\xE4"; // "Пешеход" in code page 1251
    pic.name = "a.jpg";
    pic.vecBeg = {10, 20};
    pic.vecEnd = {10, 30};
    XmlDoc doc;
    fragmentpacker::buildDocument(doc, {pic});
    QCOMPARE(doc.serialize(), expected);
}

void ContentWritersTest::textThatWouldBreakTheXmlIsRefused_data() {
    QTest::addColumn<QByteArray>("picName");
    QTest::newRow("greater-than ends the token") << QByteArray("a>b");
    QTest::newRow("end tag inside") << QByteArray("a</b");
    QTest::newRow("line break") << QByteArray("a\nb");
}

void ContentWritersTest::textThatWouldBreakTheXmlIsRefused() {
    QFETCH(QByteArray, picName);
    PackedPicture pic;
    pic.name = "x.png";
    pic.picName = picName;
    XmlDoc doc;
    QVERIFY_THROWS_EXCEPTION(Err, fragmentpacker::buildDocument(doc, {pic}));
}

void ContentWritersTest::fragmentRoundTrip() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("t.frag"));
    PackedPicture first;
    first.name = "Pic.png";
    first.bytes = QByteArray("first bytes");
    first.vecEnd = {0, 100};
    PackedPicture again = first; // a second record naming the same stream, other case
    again.name = "PIC.png";
    again.bytes = QByteArray("ignored");
    PackedPicture other;
    other.name = "other.jpg";
    other.legacy = true;
    other.bytes = QByteArray(5000, 'x'); // above the mini-stream limit
    fragmentpacker::writeFragment(path, {first, again, other});

    XmlStorage storage;
    storage.openLocalForReading(path);
    QCOMPARE(int(storage.rootStreams().size()), 3); // xml + two pictures
    QCOMPARE(storage.openPictureStream("Pic.png"), QByteArray("first bytes"));
    QCOMPARE(storage.openPictureStream("other.jpg"), QByteArray(5000, 'x'));
    const auto records = storage.findChildren(storage.documentRange(), "Object");
    QCOMPARE(int(records.size()), 3);
    QCOMPARE(storage.getAttribute(records[2], "type").value_or(""), QByteArray("BmpRect"));
    storage.close();
}

void ContentWritersTest::layoutKeepsPlatesApart() {
    std::vector<PlateDesign> plates(4);
    plates[1].turnDegrees = 6;
    plates[2].scale = 1.25;
    plates[2].pixels = QSize(640, 480);
    plates[3].turnDegrees = -5;
    const auto places = ContentBuilder::layout(plates);
    QCOMPARE(places.front().vecBeg, QPointF(0, 0));
    double previousRight = -1e9;
    for (std::size_t i = 0; i < plates.size(); ++i) {
        // Corners as the program places a picture by its vector (reference vector (0,10)).
        const QPointF d = places[i].vecEnd - places[i].vecBeg;
        const double angle = std::atan2(-d.x(), d.y());
        const double w = std::trunc(plates[i].pixels.width() * plates[i].scale);
        const double h = std::trunc(plates[i].pixels.height() * plates[i].scale);
        QCOMPARE(qRound(qRadiansToDegrees(angle)), qRound(plates[i].turnDegrees));
        double minX = 1e9, maxX = -1e9, minY = 1e9;
        for (QPointF c : {QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h)}) {
            const QPointF q =
                places[i].vecBeg + QPointF(c.x() * std::cos(angle) - c.y() * std::sin(angle),
                                           c.x() * std::sin(angle) + c.y() * std::cos(angle));
            minX = std::min(minX, q.x());
            maxX = std::max(maxX, q.x());
            minY = std::min(minY, q.y());
        }
        QVERIFY2(minX > previousRight, "plates overlap on the strip");
        QVERIFY(std::abs(minY) < 1.0); // lower edges on the strip's base line
        previousRight = maxX;
    }
}

// Names end up as stream names (at most 31 characters, compared without case) and as
// record texts in code page 1251; a lesson tells pictures apart by name, so names are
// unique across the whole content, not only within a fragment.
void ContentWritersTest::catalogueNamesFitTheFiles() {
    std::set<QByteArray> names;
    std::set<QString> fragments;
    for (const Topic& topic : buildCatalogue()) {
        QVERIFY2(fragments.insert(topic.fragment.toLower()).second, qPrintable(topic.fragment));
        QVERIFY(!topic.plates.empty());
        for (const PlateDesign& plate : topic.plates) {
            QVERIFY2(!plate.stream.isEmpty() && plate.stream.size() <= 31,
                     plate.stream.constData());
            for (char ch : plate.stream)
                QVERIFY2(QChar::fromLatin1(ch).isLetterOrNumber() || ch == '_' || ch == '.',
                         plate.stream.constData());
            QVERIFY2(names.insert(cp1251::upper(plate.stream)).second, plate.stream.constData());
            QVERIFY2(cp1251::canEncode(plate.caption()), qPrintable(plate.caption()));
            QCOMPARE(plate.swfNameMy.isEmpty(), !plate.caption().contains(QStringLiteral("swf")));
        }
    }
}

void ContentWritersTest::rtfEscape_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("plain") << QStringLiteral("Price 10") << QByteArray("Price 10");
    QTest::newRow("group characters") << QStringLiteral("{a}\\b") << QByteArray("\\{a\\}\\\\b");
    QTest::newRow("cyrillic") << QStringLiteral("Цена") << QByteArray("\\'d6\\'e5\\'ed\\'e0");
    QTest::newRow("number sign") << QStringLiteral("№") << QByteArray("\\'b9");
    QTest::newRow("not in the code page") << QStringLiteral("×") << QByteArray("?");
}

void ContentWritersTest::rtfEscape() {
    QFETCH(QString, text);
    QFETCH(QByteArray, rtf);
    QCOMPARE(rtf::escape(text), rtf);
}

QTEST_GUILESS_MAIN(ContentWritersTest)
#include "test_content_writers.moc"
