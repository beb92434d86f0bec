#include "ContentBuilder.h"

#include "Animations.h"
#include "AviClip.h"
#include "Cp1251.h"
#include "Err.h"
#include "HtmlPages.h"
#include "PlateRenderer.h"
#include "RtfPriceList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QtConcurrent>
#include <QtMath>

namespace {

constexpr double kGap = 40;           // plate units between neighbours on the strip
constexpr double kVectorLength = 100; // any length works; only the direction counts
constexpr QSize kThumbSize(160, 120);

QByteArray toCp1251(const QString& text) {
    const std::optional<QByteArray> bytes = cp1251::fromUnicode(text);
    if (!bytes)
        throw Err(QStringLiteral("Text not representable in code page 1251: %1").arg(text));
    return *bytes;
}

// Size in plate units as the program computes it: pixels times scale, truncated.
QSizeF plateSize(const PlateDesign& plate) {
    return QSizeF(std::trunc(plate.pixels.width() * plate.scale),
                  std::trunc(plate.pixels.height() * plate.scale));
}

} // namespace

ContentBuilder::ContentBuilder(Options options) : m_options(std::move(options)) {}

std::vector<ContentBuilder::Placement>
ContentBuilder::layout(const std::vector<PlateDesign>& plates) {
    std::vector<Placement> out;
    double cursor = 0;
    for (const PlateDesign& plate : plates) {
        const QSizeF size = plateSize(plate);
        // Corners of the plate turned about its lower-left corner (y up, counter-clockwise).
        const double a = qDegreesToRadians(plate.turnDegrees);
        const double c = std::cos(a), s = std::sin(a);
        const QPointF corners[4] = {
            {0, 0},
            {size.width() * c, size.width() * s},
            {size.width() * c - size.height() * s, size.width() * s + size.height() * c},
            {-size.height() * s, size.height() * c}};
        double minX = 0, maxX = 0, minY = 0;
        for (const QPointF& q : corners) {
            minX = std::min(minX, q.x());
            maxX = std::max(maxX, q.x());
            minY = std::min(minY, q.y());
        }
        // Whole units keep the stored numbers short and exact (+ 0.0 turns -0 into 0).
        const QPointF begin(std::round(cursor - minX) + 0.0, std::round(-minY) + 0.0);
        const QPointF up(-s * kVectorLength, c * kVectorLength);
        out.push_back({begin, begin + QPointF(std::round(up.x() * 1000) / 1000,
                                              std::round(up.y() * 1000) / 1000)});
        cursor = begin.x() + maxX + kGap;
    }
    return out;
}

PackedPicture ContentBuilder::pack(const PlateDesign& plate, const Placement& at,
                                   QByteArray bytes) {
    PackedPicture pic;
    pic.legacy = plate.legacyRecord;
    pic.frame = plate.frame;
    pic.avi = plate.aviFlag;
    pic.gif = plate.kind == ImageKind::Gif && plate.frames > 1;
    pic.scale = plate.scale;
    pic.srcName = plate.srcName;
    pic.swfNameMy = plate.swfNameMy;
    pic.aviName = plate.aviName;
    pic.picName = toCp1251(plate.caption());
    pic.name = plate.stream;
    pic.vecBeg = at.vecBeg;
    pic.vecEnd = at.vecEnd;
    pic.bytes = std::move(bytes);
    return pic;
}

bool ContentBuilder::writeFile(const QString& relativePath, const QByteArray& bytes,
                               QTextStream& log) {
    const QString path = QDir(m_options.outDir).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        log << "make_content: cannot write " << path << ": " << file.errorString() << Qt::endl;
        return false;
    }
    return true;
}

bool ContentBuilder::run(QTextStream& log) {
    QElapsedTimer clock;
    clock.start();
    try {
        QDir().mkpath(m_options.outDir);
        const std::vector<Topic> topics = buildCatalogue();

        // Render and encode every plate on the thread pool; results keep catalogue order.
        struct Job {
            const PlateDesign* plate;
        };
        std::vector<Job> jobs;
        for (const Topic& t : topics)
            for (const PlateDesign& p : t.plates)
                jobs.push_back({&p});
        const QList<QByteArray> encoded = QtConcurrent::blockingMapped<QList<QByteArray>>(
            jobs, [](const Job& job) { return plates::encode(*job.plate); });

        qsizetype next = 0;
        int plateCount = 0;
        for (const Topic& topic : topics) {
            const std::vector<Placement> places = layout(topic.plates);
            std::vector<PackedPicture> pictures;
            for (std::size_t i = 0; i < topic.plates.size(); ++i) {
                const QByteArray& bytes = encoded[next++];
                if (bytes.isEmpty()) {
                    log << "make_content: cannot encode plate " << topic.plates[i].stream
                        << Qt::endl;
                    return false;
                }
                pictures.push_back(pack(topic.plates[i], places[i], bytes));
                if (!m_options.previewDir.isEmpty()) {
                    QDir().mkpath(m_options.previewDir);
                    QImage::fromData(bytes).save(
                        QDir(m_options.previewDir)
                            .filePath(QString::fromLatin1(topic.plates[i].stream) +
                                      QStringLiteral(".png")));
                }
            }
            plateCount += int(pictures.size());
            // Written beside the target and moved into place, so a reader never sees half a
            // fragment.
            const QString target = QDir(m_options.outDir).filePath(topic.fragment);
            const QString partial = target + QStringLiteral(".part");
            fragmentpacker::writeFragment(partial, pictures);
            QFile::remove(target);
            if (!QFile::rename(partial, target)) {
                log << "make_content: cannot move " << partial << " into place" << Qt::endl;
                return false;
            }

            // Thumbnail of the first plate for the topic list.
            const QImage first = QImage::fromData(pictures.front().bytes);
            const QImage thumb =
                first.scaled(kThumbSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (!writeFile(QStringLiteral("html/") + html::thumbnailName(topic),
                           plates::encodeImage(thumb, ImageKind::Png), log))
                return false;
            if (!writeFile(QStringLiteral("html/") + topic.link,
                           toCp1251(html::topicPage(topic, topics)), log))
                return false;
        }

        if (!writeFile(QStringLiteral("html/") + html::kStartPage,
                       toCp1251(html::startPage(topics)), log) ||
            !writeFile(QStringLiteral("html/") + html::kPricePage, toCp1251(html::pricePage()),
                       log) ||
            !writeFile(QStringLiteral("price.rtf"), rtf::priceList(), log))
            return false;

        for (const MediaFile& media : buildMediaFiles()) {
            const QByteArray bytes = media.build();
            if (bytes.isEmpty()) {
                log << "make_content: cannot build " << media.fileName << Qt::endl;
                return false;
            }
            if (!writeFile(media.fileName, bytes, log))
                return false;
        }

        aviclip::Request clip;
        clip.gstLaunch = m_options.gstLaunch;
        clip.outPath = QDir(m_options.outDir).filePath(kClipFileName);
        clip.frames = kClipFrames;
        clip.fps = kClipFps;
        clip.frame = [](int i) {
            PlateDesign design;
            design.pixels = QSize(400, 300);
            design.banner = false;
            design.animate = [](QPainter& p, const Canvas& c, int f) {
                anim::clipFrame(p, c, f, kClipFrames);
            };
            return plates::render(design, i);
        };
        const QString skipped = aviclip::make(clip);
        if (!skipped.isEmpty())
            log << "make_content: video clip " << kClipFileName << " left out (" << skipped << ")"
                << Qt::endl;

        log << "make_content: " << topics.size() << " fragments, " << plateCount << " plates in "
            << QDir(m_options.outDir).absolutePath() << " (" << clock.elapsed() << " ms)"
            << Qt::endl;
        return true;
    } catch (const Err& e) {
        log << "make_content: " << e.text() << Qt::endl;
        return false;
    }
}
