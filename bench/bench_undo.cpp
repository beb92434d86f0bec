// Undo of a delete in a lesson of 100 pictures (800×600 JPEG, quality 85, generated here):
// the middle picture is deleted and put back, again and again (goal: ≤ 5 ms per undo).
// Then the refusals of "Добавить из файла": a 200 MB file and two decompression bombs, each
// until "Failed to load picture." (goal: ≤ 1 s, without running out of memory).
#include "BmpRectStream.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "WindowServices.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictures = 100;
constexpr QSize kPictureSize(800, 600);
constexpr int kRepeats = 201;
constexpr double kGoalMs = 5.0;
constexpr double kRefusalGoalMs = 1000.0;

QByteArray pictureJpeg(int seed) {
    QImage image(kPictureSize, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed) * 104729u + 3);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(24));
            line[x] =
                qRgb((x / 3 + seed * 11 + n) & 0xFF, (y / 2 + n) & 0xFF, ((x ^ y) / 2 + n) & 0xFF);
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    writer.write(image);
    return out;
}

struct NoDisplay final : LessonDisplay {
    void fitToHeight() override {}
    void updateScrollSizes() override {}
    void invalidate() override {}
    void resetAnchor() override {}
};

// Answers every question with Yes and every file dialog with the next path.
struct Answering final : WindowServices {
    QString path;
    QStringList messages;
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon) override {
        messages << text;
        return MsgAnswer::Yes;
    }
    FileDialogResult fileDialog(const FileDialogRequest&) override {
        return {true, path, path.section('/', -1)};
    }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

quint32 crc32(const QByteArray& bytes) {
    quint32 c = 0xFFFFFFFFu;
    for (char b : bytes) {
        c ^= quint8(b);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A small PNG whose header claims side × side pixels.
QByteArray claimingPng(quint32 side) {
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tiny.save(&buffer, "PNG");
    const quint32 be = qToBigEndian(side);
    png.replace(16, 4, reinterpret_cast<const char*>(&be), 4);
    png.replace(20, 4, reinterpret_cast<const char*>(&be), 4);
    const quint32 crc = qToBigEndian(crc32(png.mid(12, 17)));
    png.replace(29, 4, reinterpret_cast<const char*>(&crc), 4);
    return png;
}

// A real image of side × side transparent pixels, all zero: a few kilobytes on disk.
QByteArray zeroPng(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Answering services;
    WindowServices::install(&services);
    NoDisplay display;
    Lesson lesson(display);
    for (int i = 0; i < kPictures; ++i) {
        auto p = std::make_unique<BmpRectStream>();
        p->loadFromStream(pictureJpeg(i), "p" + QByteArray::number(i), {0, 0}, {0, 100});
        lesson.addPicture(std::move(p));
    }
    const auto middle = [&] {
        auto it = lesson.scene().shapes().begin();
        std::advance(it, kPictures / 2);
        return static_cast<BmpRect*>(*it);
    };

    std::vector<double> undoMs;
    std::vector<double> deleteMs;
    QElapsedTimer t;
    for (int r = 0; r < kRepeats; ++r) {
        middle()->setState(BmpRect::kStateSelected);
        t.start();
        lesson.deleteSelected();
        deleteMs.push_back(double(t.nsecsElapsed()) / 1e6);
        t.start();
        lesson.undoLessonEdit();
        undoMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (lesson.scene().shapes().size() != std::size_t(kPictures) || !services.messages.isEmpty()) {
        std::fprintf(stderr, "bench_undo: the lesson did not come back whole\n");
        return 1;
    }
    const double undo = median(undoMs);
    std::printf("undo of a delete, %d pictures %dx%d JPEG: median %.3f ms, max %.3f ms "
                "(goal <= %.1f ms, ratio %.3f)\n",
                kPictures, kPictureSize.width(), kPictureSize.height(), undo,
                *std::max_element(undoMs.begin(), undoMs.end()), kGoalMs, undo / kGoalMs);
    std::printf("delete, for comparison: median %.3f ms\n", median(deleteMs));

    QTemporaryDir dir;
    struct Case {
        const char* what;
        QString path;
    };
    std::vector<Case> cases;
    {
        QFile f(dir.filePath("huge.jpg"));
        f.open(QIODevice::WriteOnly);
        f.resize(qint64(200) * 1024 * 1024);
        cases.push_back({"200 MB file", f.fileName()});
    }
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    cases.push_back({"PNG claiming 30000x30000 pixels", write("claims.png", claimingPng(30000))});
    cases.push_back({"PNG of 8192x8192 zero pixels", write("zeros.png", zeroPng(8192))});
    bool allRefused = true;
    for (const Case& c : cases) {
        services.messages.clear();
        services.path = c.path;
        const std::size_t before = lesson.scene().shapes().size();
        t.start();
        lesson.addPictureFromFile();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        const bool refused = lesson.scene().shapes().size() == before &&
                             services.messages == QStringList{"Failed to load picture."};
        allRefused = allRefused && refused;
        std::printf("add from file, %s (%lld bytes): %s in %.1f ms (goal <= %.0f ms, ratio %.3f)\n",
                    c.what, QFileInfo(c.path).size(),
                    refused ? "refused"
                            : qPrintable("added, messages: " + services.messages.join('|')),
                    ms, kRefusalGoalMs, ms / kRefusalGoalMs);
    }
    WindowServices::install(nullptr);
    return allRefused ? 0 : 1;
}
