// Saving a lesson of 100 pictures (800×600 JPEG, quality 85, generated here) against a raw
// write and fsync of the same number of bytes, both to fresh files in the same folder, in
// the same run (goal: ratio ≤ 1.3).
#include "BmpRectStream.h"
#include "LessonSaving.h"
#include "ObjectRecord.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPictures = 100;
constexpr QSize kPictureSize(800, 600);
constexpr int kRepeats = 7;

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

bool rawWrite(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += n;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QDir::currentPath() + "/bench_save-XXXXXX");
    if (!dir.isValid())
        return 1;

    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    std::vector<const Shape*> shapes;
    qint64 pictureBytes = 0;
    for (int i = 0; i < kPictures; ++i) {
        ObjectRecord r;
        r.name = "*17000000" + QByteArray::number(10 + i);
        r.picName = "picture " + QByteArray::number(i);
        r.bFrame = true;
        r.vecBeg = {30 + i * 830.0, 0};
        r.vecEnd = {30 + i * 830.0, 100};
        const QByteArray bytes = pictureJpeg(i);
        pictureBytes += bytes.size();
        pictures.push_back(r.makePicture(bytes));
        shapes.push_back(pictures.back().get());
    }

    // One save to warm the caches; its bytes are what the raw writes write.
    QByteArray fileBytes;
    {
        const QString warm = dir.filePath("warm.les");
        XmlStorage storage;
        if (!store::saveLesson(storage, warm, shapes))
            return 1;
        QFile saved(warm);
        if (!saved.open(QIODevice::ReadOnly))
            return 1;
        fileBytes = saved.readAll();
    }

    std::vector<double> saveMs, rawMs, ratios;
    for (int rep = 0; rep < kRepeats; ++rep) {
        const QString lesson = dir.filePath(QString("lesson%1.les").arg(rep));
        const QString raw = dir.filePath(QString("raw%1.bin").arg(rep));
        auto save = [&]() -> double {
            XmlStorage storage;
            QElapsedTimer clock;
            clock.start();
            if (!store::saveLesson(storage, lesson, shapes))
                return -1;
            return clock.nsecsElapsed() / 1e6;
        };
        auto writeRaw = [&](const QByteArray& bytes) -> double {
            QElapsedTimer clock;
            clock.start();
            if (!rawWrite(raw, bytes))
                return -1;
            return clock.nsecsElapsed() / 1e6;
        };
        // Alternate which goes first, so neither always meets the other's write-back.
        double saveTime, rawTime;
        if (rep % 2 == 0) {
            saveTime = save();
            rawTime = writeRaw(fileBytes);
        } else {
            rawTime = writeRaw(fileBytes);
            saveTime = save();
        }
        if (saveTime < 0 || rawTime < 0)
            return 1;
        saveMs.push_back(saveTime);
        rawMs.push_back(rawTime);
        ratios.push_back(saveTime / rawTime);
    }

    std::printf("lesson: %d pictures of %dx%d JPEG q85, %.1f MB of pictures, file %.1f MB\n",
                kPictures, kPictureSize.width(), kPictureSize.height(), pictureBytes / 1048576.0,
                fileBytes.size() / 1048576.0);
    std::printf("saveLesson (temporary file, fsync, rename): median %8.1f ms\n", median(saveMs));
    std::printf("raw write + fsync of the same bytes:        median %8.1f ms\n", median(rawMs));
    std::printf("ratio (median of %d paired runs): %.3f (goal <= 1.3)\n", kRepeats, median(ratios));
    return 0;
}
