#include "PresenterView.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "Cp1251.h"
#include "DecodePool.h"
#include "Err.h"
#include "PreView.h"
#include "PreviewFit.h"
#include "ShapeList.h"
#include "ViewTransform.h"

#include <QCloseEvent>
#include <QFutureWatcher>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <iterator>
#include <memory>

namespace {

const QColor kBackground(24, 26, 36);
const QColor kPanel(40, 44, 60);
const QColor kText(240, 240, 240);
const QColor kDim(170, 176, 196);
const QColor kAccent(255, 204, 0);
const QString kKeys = QStringLiteral("→ или Пробел — дальше,  ← — назад\n"
                                     "B — затемнить,  Esc — выход");

QFont pixelFont(int pixels, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(8, pixels));
    f.setBold(bold);
    return f;
}

QString captionOf(const BmpRect* picture) {
    if (!picture)
        return {};
    for (const QByteArray* text : {&picture->caption(), &picture->picName(), &picture->name()})
        if (!text->isEmpty() && !text->contains(".swf"))
            return cp1251::toUnicode(*text);
    return {};
}

// The picture as the show places it, fitted into size (transparent around it).
QImage renderPicture(BmpRect& picture, QSize size) {
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    ViewTransform vt;
    vt.viewHeight = size.height();
    try {
        preview::fitPlayedPicture(vt, picture.previewBox(), size.width(), size.height());
    } catch (const Err&) {
        return {};
    }
    QPainter g(&out);
    g.setRenderHint(QPainter::SmoothPixmapTransform);
    picture.draw(g, vt);
    return out;
}

// Draws image centred in box.
void drawCentred(QPainter& g, const QRect& box, const QImage& image) {
    if (image.isNull())
        return;
    const QSize s = image.size().scaled(box.size(), Qt::KeepAspectRatio);
    g.drawImage(QRect(box.center() - QPoint(s.width() / 2, s.height() / 2), s), image);
}

} // namespace

PresenterView::PresenterView(PreView& preview, const QElapsedTimer& started)
    : m_preview(&preview), m_started(started) {
    setObjectName(QStringLiteral("PresenterView"));
    setWindowTitle(QStringLiteral("Тревалон-Медиа — экран учителя"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    connect(&preview, &PreView::pictureShown, this, &PresenterView::refresh);
    connect(&preview.playback(), &Playback::blankChanged, this, qOverload<>(&QWidget::update));
    connect(&preview.playback(), &Playback::whiteChanged, this, qOverload<>(&QWidget::update));
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_clock.start();
}

PresenterView::~PresenterView() {
    // The jobs hold their own copies; waiting keeps no worker past the window.
    m_current.job.waitForFinished();
    m_next.job.waitForFinished();
}

int PresenterView::unit() const {
    return std::max(8, std::min(width() / 64, height() / 36));
}

QRect PresenterView::leftColumn() const {
    const int u = unit();
    return QRect(u, u, width() * 64 / 100 - 2 * u, height() - 2 * u);
}

QRect PresenterView::rightColumn() const {
    const int u = unit();
    const QRect left = leftColumn();
    return QRect(left.right() + 2 * u, u, width() - left.right() - 3 * u, height() - 2 * u);
}

QRect PresenterView::currentBox() const {
    const QRect left = leftColumn();
    // Room below for two lines of caption.
    return left.adjusted(0, 0, 0, -unit() * 5);
}

QRect PresenterView::nextBox() const {
    const QRect right = rightColumn();
    const int u = unit();
    // Under the label; above its caption, the place, the time and the keys (19 units).
    const int room = right.height() - u * 2 - u * 19;
    return QRect(right.left(), right.top() + u * 2, right.width(),
                 std::max(u, std::min(right.width() * 3 / 4, room)));
}

const BmpRect* PresenterView::nextElement() const {
    if (!m_preview || !m_preview->sequence() || !m_preview->isPlaying())
        return nullptr;
    const ShapeList& list = *m_preview->sequence();
    const int n = static_cast<int>(list.size());
    if (n < 2)
        return nullptr;
    const int at = preview::steppedPosition(m_preview->position(), n, false);
    return dynamic_cast<const BmpRect*>(*std::next(list.begin(), at));
}

QString PresenterView::positionText() const {
    if (!m_preview || !m_preview->sequence() || !m_preview->isPlaying())
        return {};
    return QStringLiteral("%1 / %2")
        .arg(m_preview->position() + 1)
        .arg(m_preview->sequence()->size());
}

QString PresenterView::captionText() const {
    return m_preview ? captionOf(m_preview->currentPicture()) : QString();
}

QString PresenterView::nextCaptionText() const {
    return captionOf(nextElement());
}

QString PresenterView::formatElapsed(qint64 ms) {
    const qint64 s = std::max<qint64>(0, ms) / 1000;
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2")
        .arg(s / 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString PresenterView::elapsedText() const {
    return formatElapsed(m_started.isValid() ? m_started.elapsed() : 0);
}

void PresenterView::refresh() {
    request(m_current, m_preview ? m_preview->currentPicture() : nullptr, currentBox().size());
    request(m_next, nextElement(), nextBox().size());
    update();
}

void PresenterView::request(Slot& slot, const BmpRect* source, QSize size) {
    if (source == slot.source && size == slot.size &&
        (!slot.image.isNull() || slot.job.isRunning()))
        return;
    const int generation = ++slot.generation;
    slot.source = source;
    slot.size = size;
    slot.image = {};
    if (!source || !source->hasImage() || size.isEmpty())
        return;
    // The copy is made here (it reads the source); the worker alone touches it afterwards.
    std::shared_ptr<BmpRect> copy(source->clone());
    if (!copy)
        return;
    const QSize pixels = (QSizeF(size) * devicePixelRatioF()).toSize();
    slot.job =
        QtConcurrent::run(&decodePool(), [copy, pixels] { return renderPicture(*copy, pixels); });
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, &slot, generation] {
        watcher->deleteLater();
        if (slot.generation != generation)
            return;
        slot.image = watcher->result();
        slot.image.setDevicePixelRatio(devicePixelRatioF());
        update();
    });
    watcher->setFuture(slot.job);
}

void PresenterView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refresh();
}

void PresenterView::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

void PresenterView::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.fillRect(rect(), kBackground);
    const int u = unit();
    const bool blank = m_preview && m_preview->isBlank();
    const bool white = m_preview && m_preview->isWhite();

    // The shown picture, as the class sees it.
    const QRect box = currentBox();
    g.fillRect(box, blank ? QColor(Qt::black) : white ? QColor(Qt::white) : kPanel);
    if (blank || white) {
        g.setPen(white ? QColor(Qt::darkGray) : kDim);
        g.setFont(pixelFont(u * 2));
        g.drawText(box, Qt::AlignCenter,
                   blank ? QStringLiteral("Экран затемнён (B — показать)")
                         : QStringLiteral("Белый экран (W — показать картинку)"));
    } else {
        drawCentred(g, box, m_current.image);
    }
    g.setPen(kText);
    g.setFont(pixelFont(u * 2, true));
    const QRect caption(box.left(), box.bottom() + u, box.width(), u * 4);
    g.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, captionText());

    // The next picture, the place in the sequence, the time.
    const QRect right = rightColumn();
    g.setPen(kDim);
    g.setFont(pixelFont(u));
    g.drawText(QRect(right.left(), right.top(), right.width(), u * 2),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Далее"));
    const QRect next = nextBox();
    g.fillRect(next, kPanel);
    drawCentred(g, next, m_next.image);
    g.setPen(kText);
    g.setFont(pixelFont(u));
    g.drawText(QRect(next.left(), next.bottom() + u / 2, next.width(), u * 3),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, nextCaptionText());

    // From the bottom up: the keys, the time, the place.
    int y = right.bottom() - u * 3;
    g.setPen(kDim);
    g.setFont(pixelFont(u));
    g.drawText(QRect(right.left(), y, right.width(), u * 3), Qt::AlignLeft | Qt::AlignBottom,
               kKeys);
    y -= u * 5;
    g.setPen(kText);
    g.setFont(pixelFont(u * 3, true));
    g.drawText(QRect(right.left(), y, right.width(), u * 4), Qt::AlignLeft | Qt::AlignVCenter,
               elapsedText());
    y -= u * 2;
    g.setPen(kDim);
    g.setFont(pixelFont(u));
    g.drawText(QRect(right.left(), y, right.width(), u * 2), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("С начала показа"));
    y -= u * 5;
    g.setPen(kAccent);
    g.setFont(pixelFont(u * 3, true));
    g.drawText(QRect(right.left(), y, right.width(), u * 4), Qt::AlignLeft | Qt::AlignVCenter,
               positionText());
}
