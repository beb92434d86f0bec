#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

// One picture of the overview: a copy already decoded elsewhere (null draws a placeholder)
// and the caption shown under it.
struct OverviewItem {
    QImage thumbnail;
    QString caption;
};

// Every picture of a show as a grid of thumbnails, each with its place ("7") and caption, the
// current one marked. Arrow keys, Home, End, Page Up and Page Down choose, and so does typing
// a place's number; Enter, or a click on a picture, jumps there (jumpTo); Esc, G (П on a
// Russian layout) or Tab closes the overview (dismissed). It never decodes: thumbnails are
// scaled from the given copies, only for the cells in view, once per cell size.
//
// The grid fills the widget with the largest cells that fit; when even the smallest readable
// cells do not, it scrolls (the wheel, or following the choice). Sizes are logical pixels.
class OverviewGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinCellWidth = 104;
    static constexpr int kMaxCellWidth = 480;
    static constexpr int kGap = 10;
    static constexpr int kCaptionHeight = 36; // two lines of the caption's type

    explicit OverviewGrid(QWidget* parent = nullptr);

    // current: the picture shown now (marked and chosen first); clamped into range.
    void setItems(std::vector<OverviewItem> items, int current);
    int count() const { return int(m_items.size()); }
    int current() const { return m_current; }
    int chosen() const { return m_chosen; }
    // Chooses index when it is in range and brings it into view.
    void choose(int index);

    int columns() const { return m_columns; }
    // The cell of index in widget coordinates (scroll applied).
    QRect cellRect(int index) const;
    // The picture under point, or -1.
    int indexAt(QPoint point) const;

signals:
    void jumpTo(int index);
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override; // Tab belongs to the grid

private:
    void relayout();
    void scrollTo(int offset);
    int rowsInView() const;
    QRect thumbnailRect(const QRect& cell) const;
    const QImage& scaledThumbnail(int index, QSize box);
    void paintCell(QPainter& g, int index, const QRect& cell);
    void typeDigit(int digit);

    std::vector<OverviewItem> m_items;
    std::vector<QImage> m_scaled; // per item, at m_scaledFor
    QSize m_scaledFor;
    int m_current = 0;
    int m_chosen = 0;
    int m_columns = 1;
    int m_rows = 1;
    QSize m_cell;
    int m_scroll = 0;
    int m_pressed = -1;
    QString m_typed; // a place being typed
    int m_chosenBeforeTyping = 0;
};
