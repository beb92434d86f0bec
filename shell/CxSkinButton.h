#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>

// A push button that paints itself from bitmaps: normal, pressed, hover, disabled and
// focused looks, an optional raised or sunken 3-D edge, text centred on one line, and a
// window region cut from a mask bitmap. The full-screen exit button and the lesson
// palette's picture buttons are skin buttons.
//
// Enter does not click it (the floating windows use Enter to give the focus back to the
// active view); Space and the mouse do.
class CxSkinButton : public QPushButton {
    Q_OBJECT
public:
    enum class Kind { Push = 0, CheckBox = 2, Radio = 4 };
    enum DrawMode { Normal = 0, Stretch = 1, Tile = 2 };

    // Bitmaps given directly (logical pixels; a pixmap's device pixel ratio is respected).
    struct Images {
        QPixmap normal, pressed, hover, disabled, focus;
        QImage mask; // white keeps the background; any other colour is the button
    };

    explicit CxSkinButton(QWidget* parent = nullptr, Kind kind = Kind::Push);
    explicit CxSkinButton(const QString& text, QWidget* parent = nullptr, Kind kind = Kind::Push);

    // Bitmaps by resource number (ResId::kBmp…, 0 = none), drawn by the program at the
    // button's size and drawn again when the button is resized. A number the program does
    // not draw leaves that look empty (face colour). A missing disabled bitmap falls back
    // to the normal one. Draw modes above 1 count as 2, below 0 as 0; a negative focus
    // margin counts as 0 (no focus rectangle).
    void applySkin(int normal, int pressed, int hover, int disabled, int focus, int mask,
                   int drawMode, bool border, int focusMargin);
    void applySkin(const Images& images, int drawMode, bool border, int focusMargin);

    void setTip(const QString& text);

    // Shows the button pushed or released from code, as a window's "button state" call
    // does; held until changed or until a new mouse press; losing the focus keeps it.
    void setState(bool pushed);
    bool state() const { return m_held; }

    Kind kind() const { return m_kind; }
    bool isHovering() const { return m_hovering; }
    int drawMode() const { return m_drawMode; }
    int focusMargin() const { return m_focusMargin; }
    bool hasBorder() const { return m_border; }

    // Window region of a mask: every run of non-white pixels (RGB ≠ FFFFFF, alpha ignored)
    // of each row as a one-pixel-high rectangle, all united.
    static QRegion regionFromMask(const QImage& mask);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void init(Kind kind);
    void renderResourceBitmaps();
    void setImages(const Images& images);
    void drawBitmap(QPainter& painter, const QPixmap& bitmap) const;
    bool shownPushed() const;

    struct ResourceIds {
        int normal = 0, pressed = 0, hover = 0, disabled = 0, focus = 0;
    };

    Kind m_kind = Kind::Push;
    bool m_hovering = false;
    bool m_pressed = false; // left button went down here and is not yet released
    bool m_held = false;    // pushed look set from code
    QPixmap m_normal, m_pushedBitmap, m_disabled, m_hover, m_focusBitmap;
    QImage m_mask;
    int m_focusMargin = 0;
    QColor m_textColor;
    QRegion m_region;
    bool m_border = false;
    int m_drawMode = Normal;
    ResourceIds m_ids; // non-zero when the bitmaps come from resource numbers
};
