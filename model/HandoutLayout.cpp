#include "HandoutLayout.h"

#include <algorithm>

HandoutLayout::HandoutLayout(QSizeF area, int perPage, int pictureCount)
    : m_area(area), m_perPage(allowedPerPage(perPage)), m_count(std::max(0, pictureCount)) {
    // Portrait pages stack the cells; a page turned to landscape lays them side by side.
    switch (m_perPage) {
    case 2:
        m_columns = 1;
        m_rows = 2;
        break;
    case 4:
        m_columns = 2;
        m_rows = 2;
        break;
    case 6:
        m_columns = 2;
        m_rows = 3;
        break;
    default:
        break;
    }
    if (area.width() > area.height())
        std::swap(m_columns, m_rows);
}

int HandoutLayout::allowedPerPage(int requested) {
    if (requested < 1)
        return kDefaultPerPage;
    for (int choice : {1, 2, 4, 6})
        if (requested <= choice)
            return choice;
    return 6;
}

int HandoutLayout::pageCount() const {
    return std::max(1, (m_count + m_perPage - 1) / m_perPage);
}

QRectF HandoutLayout::headerRect() const {
    return {0, 0, m_area.width(), kHeaderHeight};
}

QRectF HandoutLayout::cellRect(int index) const {
    const int onPage = ((index % m_perPage) + m_perPage) % m_perPage;
    const int column = onPage % m_columns;
    const int row = onPage / m_columns;
    const double width = (m_area.width() - kGap * (m_columns - 1)) / m_columns;
    const double height = (m_area.height() - kHeaderHeight - kGap * (m_rows - 1)) / m_rows;
    return {column * (width + kGap), kHeaderHeight + row * (height + kGap), std::max(0.0, width),
            std::max(0.0, height)};
}

QRectF HandoutLayout::pictureBox(int index) const {
    const QRectF cell = cellRect(index);
    return cell.adjusted(0, 0, 0, -std::min(kCaptionHeight, cell.height()));
}

QRectF HandoutLayout::captionRect(int index) const {
    const QRectF cell = cellRect(index);
    const double height = std::min(kCaptionHeight, cell.height());
    return {cell.left(), cell.bottom() - height, cell.width(), height};
}

QRectF HandoutLayout::placedPicture(int index, QSizeF size) const {
    const QRectF box = pictureBox(index).adjusted(kInset, kInset, -kInset, -kInset);
    QRectF shown = fitted(size, box);
    if (shown.isEmpty())
        return shown;
    const QRectF cell = cellRect(index);
    shown.moveTop(cell.top() + (cell.height() - shown.height() - kCaptionHeight) / 2);
    return shown;
}

QRectF HandoutLayout::captionUnder(int index, const QRectF& picture) const {
    const QRectF cell = cellRect(index);
    const double left = picture.isEmpty() ? cell.left() + kInset : picture.left();
    const double top = picture.isEmpty() ? captionRect(index).top() : picture.bottom() + kInset;
    return {left, top, std::max(0.0, cell.right() - left), kCaptionHeight - kInset};
}

QRectF HandoutLayout::fitted(QSizeF size, const QRectF& box) {
    if (size.isEmpty() || box.isEmpty())
        return {};
    const QSizeF shown = size.scaled(box.size(), Qt::KeepAspectRatio);
    return {box.left() + (box.width() - shown.width()) / 2,
            box.top() + (box.height() - shown.height()) / 2, shown.width(), shown.height()};
}
