// Opening a fragment of 40 plates (1600×1200 JPEG, quality 85, generated here), once with
// plates that look drawn and scanned and once with noise-heavy ones (the worst case).
//
// Figures, all from the same run:
//  - load: loadFragment until every plate is decoded and placed (what the plate view waits
//    for), against a single-threaded full-size decode of the same bytes (goal: ratio ≤ 0.5);
//  - first strip paint: drawing every plate at strip height once after the load (the load
//    decoded them at that size, told by the sink as the plate view tells it);
//  - peak resident memory of a process that does only the load and that paint, minus the
//    fragment's encoded bytes (goal ≤ 64 MB).
// The load runs in a child process of this program, so its peak memory is its own.
#include "BmpRectStream.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "LessonSaving.h"
#include "ObjectRecord.h"
#include "PictureImage.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPlates = 40;
constexpr QSize kPlateSize(1600, 1200);
constexpr int kStripHeight = 320; // pixels; a plate view pane on a 1080p screen
constexpr int kRepeats = 3;

enum class Look {
    Plate, // a drawn plate as scanned: gradient sky, flat shapes, outlines, fine grain
    Noisy, // strong noise everywhere: the worst case for entropy decoding
};

QImage plateImage(int seed, Look look) {
    QImage image(kPlateSize, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed) * 7919u + 1);
    const int grain = look == Look::Plate ? 6 : 24;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(grain));
            line[x] = look == Look::Plate
                          ? qRgb(120 + y / 12 + n, 170 + y / 16 + n, 230 - y / 20 + n)
                          : qRgb((x / 7 + seed * 13 + n) & 0xFF, (y / 5 + n) & 0xFF,
                                 ((x * y) / 4096 + n) & 0xFF);
        }
    }
    if (look == Look::Plate) {
        QPainter g(&image);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(QPen(Qt::black, 6));
        for (int i = 0; i < 14; ++i) {
            const QColor c = QColor::fromHsv(int(random.bounded(360)), 180, 220);
            g.setBrush(c);
            const QRect r(int(random.bounded(1400)), int(random.bounded(1000)),
                          80 + int(random.bounded(400)), 60 + int(random.bounded(300)));
            if (i % 2)
                g.drawEllipse(r);
            else
                g.drawRoundedRect(r, 20, 20);
        }
        g.setPen(QPen(QColor(40, 40, 40), 3));
        for (int i = 0; i < 40; ++i)
            g.drawLine(int(random.bounded(1600)), int(random.bounded(1200)),
                       int(random.bounded(1600)), int(random.bounded(1200)));
    }
    return image;
}

QByteArray plateJpeg(int seed, Look look) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    writer.write(plateImage(seed, look));
    return out;
}

qint64 statusKb(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').front().toLongLong();
    return -1;
}

// Keeps the pictures and, as the plate view does, tells the loader the size each one will be
// shown at: strip height, its own proportions.
class KeepingSink final : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream> picture) override {
        pictures.push_back(std::move(picture));
    }
    bool sizesPictures() const override { return true; }
    QSize shownSize(const BmpRect& outline) override {
        return PictureImage::shownSize(QPointF(0, 0), QPointF(stripWidth(outline), 0),
                                       QPointF(0, kStripHeight), 1.0);
    }
    static double stripWidth(const BmpRect& p) {
        return kStripHeight * double(p.width()) / p.height();
    }
    std::vector<std::unique_ptr<BmpRectStream>> pictures;
};

// The child: load, paint once at strip height, report times and memory.
int runLoad(const QString& file) {
    const qint64 baselineKb = statusKb("VmRSS:");
    XmlStorage storage;
    KeepingSink sink;
    QElapsedTimer clock;
    clock.start();
    store::loadFragment(storage, file, sink);
    const qint64 loadNs = clock.nsecsElapsed();
    const qint64 afterLoadKb = statusKb("VmHWM:");

    clock.restart();
    QImage strip(kStripHeight * 2, kStripHeight, QImage::Format_RGB32);
    for (const auto& p : sink.pictures) {
        QPainter g(&strip);
        const double w = KeepingSink::stripWidth(*p);
        p->image()->draw(g, QPointF(0, 0), QPointF(w, 0), QPointF(0, kStripHeight));
    }
    const qint64 paintNs = clock.nsecsElapsed();
    QTextStream(stdout) << sink.pictures.size() << ' ' << loadNs << ' ' << paintNs << ' '
                        << baselineKb << ' ' << afterLoadKb << ' ' << statusKb("VmHWM:") << '\n';
    return sink.pictures.size() == std::size_t(kPlates) ? 0 : 1;
}

struct ChildFigures {
    int pictures = 0;
    double loadMs = 0, paintMs = 0;
    double baselineMb = 0, peakAfterLoadMb = 0, peakAfterPaintMb = 0;
};

ChildFigures loadInChild(const QString& file) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--load", file});
    child.waitForFinished(-1);
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    ChildFigures out;
    if (f.size() != 6) {
        std::fprintf(stderr, "child failed: %s\n", child.readAllStandardError().constData());
        return out;
    }
    out.pictures = f[0].toInt();
    out.loadMs = f[1].toDouble() / 1e6;
    out.paintMs = f[2].toDouble() / 1e6;
    out.baselineMb = f[3].toDouble() / 1024;
    out.peakAfterLoadMb = f[4].toDouble() / 1024;
    out.peakAfterPaintMb = f[5].toDouble() / 1024;
    return out;
}

// How much faster the worker threads run a fixed CPU-bound loop together than one thread
// alone: on a shared machine the cores are not always all ours.
double availableSpeedup() {
    auto spin = [] {
        volatile double s = 0;
        for (int i = 0; i < 60'000'000; ++i)
            s = s + i * 0.5;
    };
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < threads; ++i)
        spin();
    const double serial = double(clock.nsecsElapsed());
    clock.restart();
    for (int i = 0; i < threads; ++i)
        QThreadPool::globalInstance()->start(spin);
    QThreadPool::globalInstance()->waitForDone();
    return serial / double(clock.nsecsElapsed());
}

// Writes the fragment, measures, prints one block of figures.
int measure(Look look, const char* title) {
    QTemporaryDir dir;
    const QString file = dir.filePath("plates.frag");
    std::vector<QByteArray> jpegs;
    std::vector<std::unique_ptr<BmpRectStream>> plates;
    qint64 encoded = 0;
    for (int i = 0; i < kPlates; ++i) {
        jpegs.push_back(plateJpeg(i, look));
        encoded += jpegs.back().size();
        ObjectRecord r;
        r.name = "plate" + QByteArray::number(i);
        r.picName = r.name;
        r.bFrame = true;
        r.vecBeg = {i * 1700.0, 0};
        r.vecEnd = {i * 1700.0, 100};
        plates.push_back(r.makePicture(jpegs.back()));
    }
    {
        std::vector<const Shape*> shapes;
        for (const auto& p : plates)
            shapes.push_back(p.get());
        XmlStorage storage;
        if (!store::saveLesson(storage, file, shapes))
            return 1;
    }
    plates.clear();

    // Single-threaded full-size decode of the same bytes, one picture at a time.
    double fullMs = 1e100;
    for (int rep = 0; rep < kRepeats; ++rep) {
        QElapsedTimer clock;
        clock.start();
        for (const QByteArray& bytes : jpegs) {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            const QImage image = reader.read();
            if (image.size() != kPlateSize)
                return 1;
        }
        fullMs = std::min(fullMs, clock.nsecsElapsed() / 1e6);
    }

    // The same, decoding at 1/8 of the size as a picture does while loading.
    double eighthMs = 1e100;
    for (int rep = 0; rep < kRepeats; ++rep) {
        QElapsedTimer clock;
        clock.start();
        for (const QByteArray& bytes : jpegs) {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            reader.setScaledSize(kPlateSize / 8);
            if (reader.read().isNull())
                return 1;
        }
        eighthMs = std::min(eighthMs, clock.nsecsElapsed() / 1e6);
    }

    ChildFigures best;
    best.loadMs = 1e100;
    for (int rep = 0; rep < kRepeats; ++rep) {
        const ChildFigures f = loadInChild(file);
        if (f.pictures != kPlates)
            return 1;
        if (f.loadMs < best.loadMs)
            best = f;
    }

    const double encodedMb = encoded / (1024.0 * 1024.0);
    std::printf("%s: %d plates of %dx%d JPEG q85, %.1f MB encoded, %d worker threads\n", title,
                kPlates, kPlateSize.width(), kPlateSize.height(), encodedMb,
                QThreadPool::globalInstance()->maxThreadCount());
    std::printf("  single-thread full decode:      %8.1f ms\n", fullMs);
    std::printf("  single-thread 1/8 decode:       %8.1f ms   ratio %.3f\n", eighthMs,
                eighthMs / fullMs);
    std::printf("  loadFragment (decoded, placed): %8.1f ms   ratio %.3f (goal <= 0.5)\n",
                best.loadMs, best.loadMs / fullMs);
    std::printf("  first strip paint (%d px high): %8.1f ms   load + paint ratio %.3f\n",
                kStripHeight, best.paintMs, (best.loadMs + best.paintMs) / fullMs);
    std::printf("  peak resident after load: %.1f MB; minus encoded bytes %.1f MB (goal <= 64); "
                "minus the process before the load (%.1f MB) too: %.1f MB\n",
                best.peakAfterLoadMb, best.peakAfterLoadMb - encodedMb, best.baselineMb,
                best.peakAfterLoadMb - encodedMb - best.baselineMb);
    std::printf("  peak resident after the first paint: %.1f MB; minus encoded bytes %.1f MB\n",
                best.peakAfterPaintMb, best.peakAfterPaintMb - encodedMb);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--load") == 0)
        return runLoad(QString::fromLocal8Bit(argv[2]));
    std::printf("available parallelism: %d threads of a CPU-bound loop ran %.2fx faster than one\n",
                QThreadPool::globalInstance()->maxThreadCount(), availableSpeedup());
    if (measure(Look::Plate, "drawn plates") != 0)
        return 1;
    return measure(Look::Noisy, "noise-heavy plates (worst case)");
}
