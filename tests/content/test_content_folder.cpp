// Checks the content folder the build generated, the way the program will meet it: the
// fragment files through the container, the pages through the link names the program reacts
// to, and the media files by their formats.
#include "Cp1251.h"
#include "PictureNames.h"
#include "SwfWalk.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QtTest>
#include <optional>
#include <set>

namespace {

const QString kDir = QStringLiteral(TM_CONTENT_DIR);

// What the topic pane does with a link, following the program's link table row by row
// (the rows that open fragments, select plates or swallow links).
struct LinkOutcome {
    QStringList fragments;              // opened, in order ("" empties the plate view)
    std::optional<QByteArray> selected; // "***" links
    bool navigates = true;              // the browser shows the linked page
    bool opensPriceList = false;
};

LinkOutcome followLink(const QString& url) {
    LinkOutcome out;
    bool cancel = false;
    auto stop = [&](bool proceeds) {
        out.navigates = proceeds && !cancel;
        return out;
    };
    const qsizetype stars = url.indexOf(QStringLiteral("***"));
    if (stars >= 0) {
        out.selected = cp1251::fromUnicodeLossy(url.mid(stars + 3));
        return stop(false);
    }
    for (const char* name : {"gifavi", "gruz1", "gruz2", "gruz3", "gsm"})
        if (url.contains(QLatin1String(name))) {
            out.fragments << QLatin1String(name) + QStringLiteral(".frag");
            return stop(false);
        }
    if (url.contains(QStringLiteral("Per")))
        return stop(false);
    for (int n = 1; n <= 3; ++n)
        if (url.contains(QStringLiteral("Pr_%1.htm").arg(n))) {
            out.fragments << QStringLiteral("%1fin.frag").arg(n);
            cancel = true;
            break;
        }
    for (int n = 4; n <= 24; ++n)
        if (url.contains(QStringLiteral("Pr_%1.htm").arg(n)))
            return stop(false);
    const std::pair<const char*, const char*> cancelling[] = {
        {"avi2", "avi2"}, {"bezop.htm", "bezop"}, {"bezop4.htm", "bezop4"}, {"ustr1", "ustr1"},
        {"mot1", "mot1"}, {"mot2", "mot2"},       {"vaz1", "vaz1"},         {"vaz2", "vaz2"},
        {"vaz3", "vaz3"}, {"avtob1", "avtob1"}};
    for (const auto& [pattern, fragment] : cancelling)
        if (url.contains(QLatin1String(pattern))) {
            out.fragments << QLatin1String(fragment) + QStringLiteral(".frag");
            return stop(false);
        }
    if (url.contains(QStringLiteral("pravo1"))) {
        out.fragments << QStringLiteral("pravo1.frag");
        return stop(true);
    }
    if (url.contains(QStringLiteral("Poloj")) || url.contains(QStringLiteral("Razm")) ||
        url.contains(QStringLiteral("znaki0")))
        return stop(false);
    if (url.contains(QStringLiteral("znaki1"))) {
        out.fragments << QStringLiteral("znaki1.frag");
        cancel = true;
    }
    for (int n = 2; n <= 11; ++n)
        if (url.contains(QStringLiteral("znaki%1").arg(n)))
            return stop(false);
    for (int n : {3, 4, 5, 7, 8, 10})
        if (url.contains(QStringLiteral("Med_%1").arg(n)))
            return stop(false);
    const std::pair<const char*, const char*> proceeding[] = {{"Tema_1_2", "bezop2"},
                                                              {"Tema_1_3", "bezop3"},
                                                              {"def1", "def1"},
                                                              {"def2.htm", "def2"},
                                                              {"def3", "def3"}};
    for (const auto& [pattern, fragment] : proceeding)
        if (url.contains(QLatin1String(pattern))) {
            out.fragments << QLatin1String(fragment) + QStringLiteral(".frag");
            return stop(true);
        }
    if (url.contains(QStringLiteral("production"))) {
        out.opensPriceList = true;
        return stop(false);
    }
    if (url.contains(QStringLiteral("_naz.htm")))
        out.fragments << QString();
    out.navigates = true; // the base handler lets every other link through
    return out;
}

QStringList attributeValues(const QString& page, const QString& attribute) {
    QStringList values;
    const QRegularExpression re(attribute + QStringLiteral("=\"([^\"]*)\""));
    for (auto it = re.globalMatch(page); it.hasNext();)
        values << it.next().captured(1);
    return values;
}

struct Record {
    QByteArray type, name, picName, srcName, swfNameMy, aviName;
    double scale = 1;
    bool frame = false, gif = false;
    QPointF vecBeg, vecEnd;
};

std::vector<Record> readRecords(XmlStorage& storage) {
    std::vector<Record> out;
    for (const XmlRange& r : storage.findChildren(storage.documentRange(), "Object")) {
        Record rec;
        rec.type = storage.getAttribute(r, "type").value_or("");
        rec.name = storage.getTextElement(r, "name").value_or("");
        rec.picName = storage.getTextElement(r, "picName").value_or("");
        rec.srcName = storage.getTextElement(r, "srcName").value_or("");
        rec.swfNameMy = storage.getTextElement(r, "swfNameMy").value_or("");
        rec.aviName = storage.getTextElement(r, "aviName").value_or("");
        rec.scale = storage.getRealElement(r, "scale").value_or(1.0);
        rec.frame = storage.getRealElement(r, "bFrame").value_or(0) != 0;
        rec.gif = storage.getRealElement(r, "bGif").value_or(0) != 0;
        auto point = [&](const char* element) -> QPointF {
            const auto outer = storage.findChildren(r, element);
            if (outer.empty())
                return {qQNaN(), qQNaN()};
            XmlRange at = outer.front();
            if (rec.type == "BmpRect") {
                const auto inner = storage.findChildren(at, "PointD");
                if (inner.empty())
                    return {qQNaN(), qQNaN()};
                at = inner.front();
            }
            return {storage.getRealElement(at, "x").value_or(qQNaN()),
                    storage.getRealElement(at, "y").value_or(qQNaN())};
        };
        rec.vecBeg = point("vecBeg");
        rec.vecEnd = point("vecEnd");
        out.push_back(rec);
    }
    return out;
}

// A media name from a record must name a file inside the content folder.
bool safeName(const QByteArray& name) {
    return !name.contains("..") && !name.startsWith('/') && !name.contains('\\') &&
           !name.contains(':');
}

QStringList fragmentFiles() {
    return QDir(kDir).entryList({QStringLiteral("*.frag")}, QDir::Files, QDir::Name);
}

} // namespace

class ContentFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fragmentOpensAndEveryPictureDecodes_data();
    void fragmentOpensAndEveryPictureDecodes();
    void everyKindOfPlateIsPresent();
    void largePlatesForMeasuring();
    void startPageReachesEveryFragment();
    void pageLinks_data();
    void pageLinks();
    void flashMovieIsWellFormed();
    void externalAnimationHasFrames();
    void priceListIsPlainRtf();
};

void ContentFolderTest::initTestCase() {
    QVERIFY2(QFileInfo(kDir).isDir(), qPrintable(kDir + " was not generated"));
    QVERIFY(fragmentFiles().size() >= 8);
}

void ContentFolderTest::fragmentOpensAndEveryPictureDecodes_data() {
    QTest::addColumn<QString>("file");
    for (const QString& f : fragmentFiles())
        QTest::newRow(qPrintable(f)) << f;
}

void ContentFolderTest::fragmentOpensAndEveryPictureDecodes() {
    QFETCH(QString, file);
    XmlStorage storage;
    storage.openLocalForReading(QDir(kDir).filePath(file));
    const std::vector<Record> records = readRecords(storage);
    QVERIFY(!records.empty());
    std::set<QByteArray> named;
    for (const Record& rec : records) {
        QVERIFY(rec.type == "BmpRectStream" || rec.type == "BmpRect");
        QVERIFY(!rec.name.isEmpty() && rec.name.size() <= XmlStorage::kMaxNameLength);
        QVERIFY2(!qIsNaN(rec.vecBeg.x() + rec.vecBeg.y() + rec.vecEnd.x() + rec.vecEnd.y()),
                 rec.name.constData());
        named.insert(cp1251::upper(rec.name));

        const QByteArray bytes = storage.openPictureStream(rec.name);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer); // no format hint: the content decides, as in the program
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(rec.name + ": " + reader.errorString()));
        if (rec.gif)
            QVERIFY2(reader.imageCount() > 1, rec.name.constData());

        for (const QByteArray& media : {rec.srcName, rec.swfNameMy, rec.aviName}) {
            if (media.isEmpty())
                continue;
            QVERIFY2(safeName(media), media.constData());
            if (media == rec.aviName && !TM_CONTENT_HAS_CLIP)
                continue; // built without GStreamer: the clip is left out
            QVERIFY2(QFileInfo::exists(QDir(kDir).filePath(QString::fromLatin1(media))),
                     media.constData());
        }
        if (!rec.aviName.isEmpty())
            QVERIFY(rec.aviName.contains("avi")); // what makes the program open the video
        if (!rec.swfNameMy.isEmpty())
            QVERIFY(rec.picName.contains("swf")); // what makes the program play the movie
    }
    // Every picture stream in the file belongs to a record.
    for (const XmlStorage::StreamEntry& s : storage.rootStreams())
        if (s.name != QStringLiteral("xml"))
            QVERIFY2(named.count(cp1251::upper(cp1251::fromUnicodeLossy(s.name))),
                     qPrintable(s.name));
    storage.close();
}

void ContentFolderTest::everyKindOfPlateIsPresent() {
    std::set<QString> kinds;
    for (const QString& file : fragmentFiles()) {
        XmlStorage storage;
        storage.openLocalForReading(QDir(kDir).filePath(file));
        for (const Record& rec : readRecords(storage)) {
            kinds.insert(rec.frame ? "framed" : "unframed");
            if (rec.scale != 1.0)
                kinds.insert("scaled");
            if (rec.vecBeg.x() != rec.vecEnd.x())
                kinds.insert("turned");
            if (rec.gif)
                kinds.insert("animated GIF");
            if (rec.aviName.contains("avi"))
                kinds.insert("video clip");
            if (rec.picName.contains("swf") && !rec.swfNameMy.isEmpty())
                kinds.insert("Flash movie");
            if (!rec.srcName.isEmpty())
                kinds.insert("external animation");
            if (rec.type == "BmpRect")
                kinds.insert("legacy record");
        }
    }
    for (const char* kind : {"framed", "unframed", "scaled", "turned", "animated GIF", "video clip",
                             "Flash movie", "external animation", "legacy record"})
        QVERIFY2(kinds.count(QString::fromLatin1(kind)), kind);
}

void ContentFolderTest::largePlatesForMeasuring() {
    XmlStorage storage;
    storage.openLocalForReading(QDir(kDir).filePath(QStringLiteral("def1.frag")));
    const std::vector<Record> records = readRecords(storage);
    QCOMPARE(int(records.size()), 40);
    for (const Record& rec : records) {
        QBuffer buffer;
        buffer.setData(storage.openPictureStream(rec.name));
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(1600, 1200));
    }
}

void ContentFolderTest::startPageReachesEveryFragment() {
    QFile page(QDir(kDir).filePath(QStringLiteral("html/main_naz.htm")));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString text = cp1251::toUnicode(page.readAll());
    QSet<QString> opened;
    bool price = false;
    for (const QString& href : attributeValues(text, QStringLiteral("href"))) {
        const LinkOutcome o = followLink(href);
        for (const QString& f : o.fragments)
            opened.insert(f);
        price = price || o.opensPriceList;
    }
    for (const QString& f : fragmentFiles())
        QVERIFY2(opened.contains(f), qPrintable(f + " is not linked from the start page"));
    QVERIFY(price);
    QVERIFY(QFileInfo::exists(QDir(kDir).filePath(QStringLiteral("price.rtf"))));
}

void ContentFolderTest::pageLinks_data() {
    QTest::addColumn<QString>("page");
    const QStringList pages =
        QDir(kDir + QStringLiteral("/html")).entryList({QStringLiteral("*.htm")}, QDir::Files);
    QVERIFY(pages.contains(QStringLiteral("main_naz.htm")));
    for (const QString& p : pages)
        QTest::newRow(qPrintable(p)) << p;
}

void ContentFolderTest::pageLinks() {
    QFETCH(QString, page);
    const QDir html(kDir + QStringLiteral("/html"));
    QFile file(html.filePath(page));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("charset=windows-1251"));
    // Stored in code page 1251: converting back and forth changes nothing.
    QCOMPARE(cp1251::fromUnicode(cp1251::toUnicode(bytes)).value_or(QByteArray()), bytes);
    const QString text = cp1251::toUnicode(bytes);

    // The fragment this page stands beside, for its "***" plate links.
    const LinkOutcome self = followLink(page);
    for (const QString& href : attributeValues(text, QStringLiteral("href"))) {
        const LinkOutcome o = followLink(href);
        for (const QString& f : o.fragments)
            if (!f.isEmpty())
                QVERIFY2(QFileInfo::exists(QDir(kDir).filePath(f)), qPrintable(href));
        if (o.selected) {
            QVERIFY2(self.navigates && !self.fragments.isEmpty(),
                     qPrintable(href + ": no fragment is open beside this page"));
            XmlStorage storage;
            storage.openLocalForReading(QDir(kDir).filePath(self.fragments.last()));
            bool found = false;
            for (const Record& rec : readRecords(storage))
                found = found || rec.picName == normalisedPictureName(*o.selected);
            QVERIFY2(found, qPrintable(href));
        } else if (o.navigates) {
            QVERIFY2(QFileInfo::exists(html.filePath(href)), qPrintable(href));
        }
    }
    for (const QString& src : attributeValues(text, QStringLiteral("src")))
        QVERIFY2(QFileInfo::exists(html.filePath(src)), qPrintable(src));
}

void ContentFolderTest::flashMovieIsWellFormed() {
    QFile file(QDir(kDir).filePath(QStringLiteral("motocikl.swf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const swfwalk::SwfSummary s = swfwalk::walkSwf(file.readAll());
    QVERIFY2(s.error.isEmpty(), qPrintable(s.error));
    QVERIFY(s.showFrames > 1);
    QCOMPARE(s.frameCountField, s.showFrames);
    QVERIFY(s.tagCodes.contains(2));  // shapes
    QVERIFY(s.tagCodes.contains(26)); // placed and moved
}

void ContentFolderTest::externalAnimationHasFrames() {
    QImageReader reader(QDir(kDir).filePath(QStringLiteral("perehod.gif")));
    QVERIFY(reader.canRead());
    QVERIFY(reader.imageCount() > 1);
}

void ContentFolderTest::priceListIsPlainRtf() {
    QFile file(QDir(kDir).filePath(QStringLiteral("price.rtf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        QVERIFY2(quint8(rtf[i]) < 0x80, "raw 8-bit byte instead of an \\'xx escape");
        if (rtf[i] == '\\') {
            ++i; // an escaped brace or backslash does not count
            continue;
        }
        depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
        QVERIFY(depth >= 0);
        if (depth == 0 && rtf[i] == '}')
            QCOMPARE(rtf.mid(i).trimmed(), QByteArray("}")); // the outer group ends the file
    }
    QCOMPARE(depth, 0);
    QVERIFY(rtf.contains("\\'cf\\'f0\\'e0\\'e9\\'f1")); // "Прайс" in code page 1251
}

QTEST_MAIN(ContentFolderTest)
#include "test_content_folder.moc"
