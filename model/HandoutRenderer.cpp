#include "HandoutRenderer.h"

#include "BmpRect.h"
#include "Cp1251.h"
#include "HandoutLayout.h"
#include "PictureImage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace {

constexpr double kPointsPerInch = 72.0;

// Sizes in points: the painter is scaled so that one unit is a point on every device.
QFont handoutFont(int points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

HandoutPicture HandoutPicture::of(const BmpRect& picture) {
    HandoutPicture out{picture.streamBytes(), {}};
    for (const QByteArray* text : {&picture.caption(), &picture.picName(), &picture.name()}) {
        if (!text->isEmpty() && !text->contains(".swf")) {
            out.caption = cp1251::toUnicode(*text);
            break;
        }
    }
    return out;
}

HandoutRenderer::HandoutRenderer(QString title, std::vector<HandoutPicture> pictures, int perPage)
    : m_title(std::move(title)), m_pictures(std::move(pictures)),
      m_perPage(HandoutLayout::allowedPerPage(perPage)) {}

QStringList HandoutRenderer::undecodableNames() const {
    QStringList names;
    for (int place : m_undecodable) {
        const QString& caption = m_pictures[std::size_t(place - 1)].caption;
        names << (caption.isEmpty() ? QString::number(place)
                                    : QStringLiteral("%1 «%2»").arg(place).arg(caption));
    }
    return names;
}

HandoutRenderer::Result HandoutRenderer::render(QPagedPaintDevice& device,
                                                const std::function<bool(int)>& goOn,
                                                const std::function<void()>& abort) {
    m_undecodable.clear();
    QPainter g;
    if (!g.begin(&device))
        return Result::Failed;
    const double scale = device.logicalDpiX() / kPointsPerInch;
    g.scale(scale, scale);
    const HandoutLayout layout(QSizeF(device.width() / scale, device.height() / scale), m_perPage,
                               pictureCount());
    for (int i = 0; i < pictureCount(); ++i) {
        if (goOn && !goOn(i)) {
            if (abort)
                abort();
            return Result::Cancelled;
        }
        const int page = layout.pageOf(i);
        if (i % m_perPage == 0) {
            if (page > 0 && !device.newPage())
                return Result::Failed;
            paintHeader(g, layout, page);
        }
        paintPicture(g, layout, i);
    }
    if (pictureCount() == 0)
        paintHeader(g, layout, 0);
    return g.end() ? Result::Done : Result::Failed;
}

void HandoutRenderer::paintHeader(QPainter& g, const HandoutLayout& layout, int page) const {
    const QRectF header = layout.headerRect();
    const QRectF line(header.left(), header.top(), header.width(), header.height() - 8);
    g.setPen(Qt::black);
    g.setFont(handoutFont(9));
    const QString number =
        QStringLiteral("Страница %1 из %2").arg(page + 1).arg(layout.pageCount());
    const QFontMetricsF metrics(g.font());
    const double numberWidth = metrics.horizontalAdvance(number) + 12;
    g.drawText(line, Qt::AlignRight | Qt::AlignVCenter, number);
    g.setFont(handoutFont(9, true));
    const QFontMetricsF bold(g.font());
    const double titleWidth = std::max(0.0, line.width() - numberWidth);
    g.drawText(QRectF(line.left(), line.top(), titleWidth, line.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               bold.elidedText(m_title, Qt::ElideRight, titleWidth));
    g.setPen(QPen(Qt::gray, 0.5));
    g.drawLine(QPointF(line.left(), line.bottom()), QPointF(line.right(), line.bottom()));
}

void HandoutRenderer::paintPicture(QPainter& g, const HandoutLayout& layout, int index) {
    const HandoutPicture& picture = m_pictures[std::size_t(index)];
    std::unique_ptr<PictureImage> decoded = PictureImage::decode(picture.bytes);
    // An unreadable picture keeps a 4:3 place of its own.
    const QRectF shown =
        layout.placedPicture(index, decoded ? QSizeF(decoded->size()) : QSizeF(4, 3));
    QImage image;
    if (decoded) {
        const double toPixels = double(kMaxDpi) / kPointsPerInch;
        const QSize bound(int(std::ceil(shown.width() * toPixels)),
                          int(std::ceil(shown.height() * toPixels)));
        image = decoded->imageWithin(bound);
    }
    if (image.isNull()) {
        m_undecodable << index + 1;
        g.setPen(QPen(Qt::gray, 0.5, Qt::DashLine));
        g.setBrush(Qt::NoBrush);
        g.drawRect(shown);
        g.setPen(Qt::darkGray);
        g.setFont(handoutFont(10));
        g.drawText(shown, Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Рисунок не удалось прочитать"));
    } else {
        g.drawImage(shown, image);
    }
    // The place in bold, then the caption, in at most the caption's two lines.
    const QRectF caption = layout.captionUnder(index, shown);
    g.setPen(Qt::black);
    g.setFont(handoutFont(10, true));
    const QString place = QStringLiteral("%1.").arg(index + 1);
    const double placeWidth = QFontMetricsF(g.font()).horizontalAdvance(place) + 4;
    g.drawText(caption, Qt::AlignLeft | Qt::AlignTop, place);
    g.setFont(handoutFont(10));
    g.drawText(caption.adjusted(placeWidth, 0, 0, 0),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, picture.caption);
}

HandoutRenderer::Result HandoutRenderer::writePdf(const QString& path,
                                                  const std::function<bool(int)>& goOn) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::Failed;
    Result result = Result::Failed;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kMaxDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle(m_title);
        writer.setCreator(QStringLiteral("Тревалон-Медиа"));
        result = render(writer, goOn);
    }
    if (result == Result::Done && !file.commit())
        result = Result::Failed;
    if (result != Result::Done)
        file.cancelWriting();
    return result;
}
