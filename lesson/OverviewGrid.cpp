#include "OverviewGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Qt reports Cyrillic letters by their upper-case code point: П is the G key of a Russian
// layout.
constexpr int kCyrillicPe = 0x041F;

QFont pixelFont(const QFont& base, int pixels, bool bold = false) {
    QFont f(base);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

OverviewGrid::OverviewGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OverviewGrid::setItems(std::vector<OverviewItem> items, int current) {
    m_items = std::move(items);
    m_scaled.assign(m_items.size(), QImage());
    m_scaledFor = QSize();
    m_current = std::clamp(current, 0, std::max(0, count() - 1));
    m_chosen = m_current;
    m_typed.clear();
    m_scroll = 0;
    relayout();
    choose(m_current);
    update();
}

void OverviewGrid::relayout() {
    const int width = std::max(1, this->width() - kGap);
    const int height = std::max(1, this->height() - kGap);
    const int n = std::max(1, count());
    // The widest cells (4:3 pictures with their captions) that show every picture at once;
    // failing that, the most columns of readable cells, and the grid scrolls.
    m_columns = 0;
    for (int c = 1; c <= n; ++c) {
        const int w = std::min(kMaxCellWidth, width / c - kGap);
        const int rows = (n + c - 1) / c;
        if (w < kMinCellWidth)
            break;
        if (rows * (w * 3 / 4 + kCaptionHeight + kGap) <= height) {
            m_columns = c;
            break;
        }
    }
    if (m_columns == 0)
        m_columns = std::clamp(width / (kMinCellWidth + kGap), 1, n);
    const int cellWidth = std::clamp(width / m_columns - kGap, 1, kMaxCellWidth);
    m_cell = QSize(cellWidth, cellWidth * 3 / 4 + kCaptionHeight);
    m_rows = (n + m_columns - 1) / m_columns;
    scrollTo(m_scroll);
}

int OverviewGrid::rowsInView() const {
    return std::max(1, (height() - kGap) / (m_cell.height() + kGap));
}

void OverviewGrid::scrollTo(int offset) {
    const int content = kGap + m_rows * (m_cell.height() + kGap);
    m_scroll = std::clamp(offset, 0, std::max(0, content - height()));
}

QRect OverviewGrid::cellRect(int index) const {
    if (index < 0 || index >= count())
        return {};
    // The grid stands centred across the widget, and down it when it is shorter.
    const int gridWidth = m_columns * (m_cell.width() + kGap) + kGap;
    const int gridHeight = m_rows * (m_cell.height() + kGap) + kGap;
    const int left = std::max(0, (width() - gridWidth) / 2) + kGap;
    const int top = std::max(0, (height() - gridHeight) / 2) + kGap;
    const int column = index % m_columns;
    const int row = index / m_columns;
    return {left + column * (m_cell.width() + kGap),
            top + row * (m_cell.height() + kGap) - m_scroll, m_cell.width(), m_cell.height()};
}

int OverviewGrid::indexAt(QPoint point) const {
    for (int i = 0; i < count(); ++i)
        if (cellRect(i).contains(point))
            return i;
    return -1;
}

void OverviewGrid::choose(int index) {
    if (index < 0 || index >= count())
        return;
    update(cellRect(m_chosen).adjusted(-4, -4, 4, 4));
    m_chosen = index;
    const QRect cell = cellRect(index);
    if (cell.top() < kGap)
        scrollTo(m_scroll + cell.top() - kGap);
    else if (cell.bottom() > height() - kGap)
        scrollTo(m_scroll + cell.bottom() - height() + kGap);
    if (cellRect(index) != cell)
        update();
    else
        update(cell.adjusted(-4, -4, 4, 4));
}

QRect OverviewGrid::thumbnailRect(const QRect& cell) const {
    return {cell.left(), cell.top(), cell.width(), cell.height() - kCaptionHeight};
}

const QImage& OverviewGrid::scaledThumbnail(int index, QSize box) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = box * ratio;
    if (pixels != m_scaledFor) {
        m_scaled.assign(m_items.size(), QImage());
        m_scaledFor = pixels;
    }
    QImage& scaled = m_scaled[std::size_t(index)];
    const QImage& source = m_items[std::size_t(index)].thumbnail;
    if (scaled.isNull() && !source.isNull() && !pixels.isEmpty()) {
        scaled = source.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
    }
    return scaled;
}

void OverviewGrid::paintCell(QPainter& g, int index, const QRect& cell) {
    const QRect box = thumbnailRect(cell);
    const bool isCurrent = index == m_current;
    if (isCurrent)
        g.fillRect(cell.adjusted(-3, -3, 3, 3), QColor(90, 70, 20));
    const QImage& image = scaledThumbnail(index, box.size());
    if (image.isNull()) {
        g.fillRect(box, QColor(60, 60, 60));
        g.setPen(QColor(150, 150, 150));
        g.setFont(pixelFont(font(), 13));
        g.drawText(box, Qt::AlignCenter, QStringLiteral("нет изображения"));
    } else {
        const QSizeF shown = image.deviceIndependentSize();
        const QPointF at(box.left() + (box.width() - shown.width()) / 2,
                         box.top() + (box.height() - shown.height()) / 2);
        g.drawImage(at, image);
    }
    // The place, on a dark tab at the picture's top left corner.
    const QString place = QString::number(index + 1);
    g.setFont(pixelFont(font(), 16, true));
    const QRect tab(box.left(), box.top(), g.fontMetrics().horizontalAdvance(place) + 12, 24);
    g.fillRect(tab, isCurrent ? QColor(230, 170, 30) : QColor(0, 0, 0, 190));
    g.setPen(isCurrent ? Qt::black : Qt::white);
    g.drawText(tab, Qt::AlignCenter, place);
    // The caption, in at most two lines.
    g.setPen(isCurrent ? QColor(255, 220, 120) : QColor(225, 225, 225));
    g.setFont(pixelFont(font(), 13));
    const QRect caption(cell.left(), box.bottom() + 3, cell.width(), kCaptionHeight - 3);
    g.drawText(caption, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               m_items[std::size_t(index)].caption);
    if (index == m_chosen) {
        g.setPen(QPen(QColor(80, 170, 255), 4));
        g.setBrush(Qt::NoBrush);
        g.drawRect(QRectF(cell).adjusted(-2, -2, 2, 2));
    }
}

void OverviewGrid::paintEvent(QPaintEvent* event) {
    QPainter g(this);
    g.fillRect(event->rect(), QColor(24, 24, 24));
    g.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < count(); ++i) {
        const QRect cell = cellRect(i);
        if (cell.adjusted(-4, -4, 4, 4).intersects(event->rect()))
            paintCell(g, i, cell);
    }
    if (!m_typed.isEmpty()) {
        g.setFont(pixelFont(font(), 28, true));
        const QString text = QStringLiteral("→ %1").arg(m_typed);
        const QRect box(width() - 160, height() - 56, 150, 46);
        g.fillRect(box, QColor(0, 0, 0, 200));
        g.setPen(Qt::white);
        g.drawText(box, Qt::AlignCenter, text);
    }
}

void OverviewGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
    choose(m_chosen);
}

void OverviewGrid::typeDigit(int digit) {
    if (m_typed.size() >= 6)
        return;
    if (m_typed.isEmpty())
        m_chosenBeforeTyping = m_chosen;
    m_typed += QChar('0' + digit);
    // The choice follows the number while it names a picture, and goes back when it does not.
    const int place = m_typed.toInt();
    choose(place >= 1 && place <= count() ? place - 1 : m_chosenBeforeTyping);
    update();
}

void OverviewGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const int page = rowsInView() * m_columns;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        typeDigit(key - Qt::Key_0);
        return;
    }
    if (key == Qt::Key_Backspace && !m_typed.isEmpty()) {
        const QString typed = m_typed.chopped(1);
        m_typed.clear();
        choose(m_chosenBeforeTyping);
        for (QChar c : typed)
            typeDigit(c.digitValue());
        update();
        return;
    }
    const bool wasTyping = !m_typed.isEmpty();
    const int typed = m_typed.toInt();
    m_typed.clear();
    if (wasTyping)
        update();
    switch (key) {
    case Qt::Key_Left:
        choose(m_chosen - 1);
        break;
    case Qt::Key_Right:
        choose(m_chosen + 1);
        break;
    case Qt::Key_Up:
        choose(m_chosen - m_columns);
        break;
    case Qt::Key_Down:
        choose(m_chosen + m_columns);
        break;
    case Qt::Key_Home:
        choose(0);
        break;
    case Qt::Key_End:
        choose(count() - 1);
        break;
    case Qt::Key_PageUp:
        choose(std::max(0, m_chosen - page));
        break;
    case Qt::Key_PageDown:
        choose(std::min(count() - 1, m_chosen + page));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A typed place out of range does nothing.
        if (count() > 0 && (!wasTyping || (typed >= 1 && typed <= count())))
            emit jumpTo(m_chosen);
        break;
    case Qt::Key_Escape:
    case Qt::Key_G:
    case kCyrillicPe:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        emit dismissed();
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void OverviewGrid::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : -1;
    if (m_pressed >= 0)
        choose(m_pressed);
}

void OverviewGrid::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = std::exchange(m_pressed, -1);
    if (event->button() == Qt::LeftButton && pressed >= 0 &&
        indexAt(event->position().toPoint()) == pressed)
        emit jumpTo(pressed);
}

void OverviewGrid::wheelEvent(QWheelEvent* event) {
    const int before = m_scroll;
    scrollTo(m_scroll - event->angleDelta().y() * (m_cell.height() + kGap) / 120);
    if (m_scroll != before)
        update();
}

bool OverviewGrid::focusNextPrevChild(bool) {
    return false;
}
