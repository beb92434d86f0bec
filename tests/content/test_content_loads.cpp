// The generated fragments loaded by the program's own fragment loader: no message, every
// record becomes a picture, and the strip reads left to right without overlaps.
#include "BmpRectStream.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "ScriptedWindowServices.h"
#include "XmlStorage.h"

#include <QDir>
#include <QtTest>

namespace {

const QString kDir = QStringLiteral(TM_CONTENT_DIR);

class CollectingSink : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream> picture) override {
        pictures.push_back(std::move(picture));
    }
    void setProgressRange(int, int maximum) override { range = maximum; }
    void stepProgress() override { ++steps; }

    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    int range = -1;
    int steps = 0;
};

} // namespace

class ContentLoadsTest : public QObject {
    Q_OBJECT

private slots:
    void loadsWithoutMessages_data();
    void loadsWithoutMessages();
};

void ContentLoadsTest::loadsWithoutMessages_data() {
    QTest::addColumn<QString>("file");
    for (const QString& f : QDir(kDir).entryList({QStringLiteral("*.frag")}, QDir::Files))
        QTest::newRow(qPrintable(f)) << f;
}

void ContentLoadsTest::loadsWithoutMessages() {
    QFETCH(QString, file);
    ScriptedWindowServices services;
    XmlStorage storage;
    CollectingSink sink;
    store::loadFragment(storage, QDir(kDir).filePath(file), sink);
    QVERIFY2(services.messages.isEmpty(), qPrintable(services.messageTexts().join(" / ")));
    const int records = store::countPictures(storage);
    QCOMPARE(int(sink.pictures.size()), records);
    QCOMPARE(sink.range, records + 1);
    QCOMPARE(sink.steps, records);

    // The first plate stands upright at the origin, as the strip's fit expects.
    const BmpRectStream& first = *sink.pictures.front();
    QCOMPARE(first.corner(0).x, 0.0);
    QCOMPARE(first.corner(0).y, 0.0);
    QCOMPARE(first.corner(3).x, 0.0);
    double previousRight = -1;
    for (const auto& picture : sink.pictures) {
        QVERIFY(picture->width() > 0 && picture->height() > 0);
        if (picture->bGif())
            QVERIFY2(picture->frameCount() > 1, picture->name().constData());
        double left = 1e18, right = -1e18;
        for (const PointD& c : picture->corners()) {
            left = std::min(left, c.x);
            right = std::max(right, c.x);
            QVERIFY(c.y > -1); // nothing hangs below the strip's base line
        }
        QVERIFY2(left > previousRight, picture->name().constData());
        previousRight = right;
    }
    storage.close();
}

QTEST_MAIN(ContentLoadsTest)
#include "test_content_loads.moc"
