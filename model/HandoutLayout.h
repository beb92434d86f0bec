#pragma once

#include <QRectF>
#include <QSizeF>

// Where a handout puts its pictures: 1, 2, 4 or 6 cells to a page in a grid below a header
// line (the lesson's name and the page number), each cell a picture above its numbered
// caption. All in points (1/72 inch) on the page's printable area, origin at its top left,
// so the same layout serves a PDF file and any printer. Headless: no painting here.
class HandoutLayout {
public:
    static constexpr int kDefaultPerPage = 4;
    static constexpr double kHeaderHeight = 24;  // the header line and the gap below it
    static constexpr double kCaptionHeight = 30; // two lines of the caption's type
    static constexpr double kGap = 12;           // between cells
    static constexpr double kInset = 4;          // around a picture in its cell

    // perPage is one of 1, 2, 4 and 6; anything else counts as kDefaultPerPage.
    HandoutLayout(QSizeF area, int perPage, int pictureCount);

    // The nearest allowed choice at or above requested (6 above it); the default below 1.
    static int allowedPerPage(int requested);

    int perPage() const { return m_perPage; }
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    // At least 1 (an empty handout is still one page, but callers refuse it first).
    int pageCount() const;
    // 0-based page of picture index.
    int pageOf(int index) const { return index / m_perPage; }

    QRectF headerRect() const;
    // The cell of picture index on its page, and its two parts.
    QRectF cellRect(int index) const;
    QRectF pictureBox(int index) const;
    QRectF captionRect(int index) const;

    // A picture of size fitted into its cell above its caption, the two together centred
    // down the cell (the caption stays right under the picture).
    QRectF placedPicture(int index, QSizeF size) const;
    // The caption's place under a picture placed so, from its left edge to the cell's right.
    QRectF captionUnder(int index, const QRectF& picture) const;

    // size scaled to fit box whole and centred in it; empty for an empty size.
    static QRectF fitted(QSizeF size, const QRectF& box);

private:
    QSizeF m_area;
    int m_perPage;
    int m_count;
    int m_columns = 1;
    int m_rows = 1;
};
