#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Converts sizes and positions of dialog templates from dialog units to pixels the way
// Windows does: a horizontal unit is a quarter of the dialog font's average character
// width, a vertical unit an eighth of its height, each product rounded to the nearest pixel
// (halves away from zero). Rectangles convert their edges, not their sizes, so neighbouring
// controls keep meeting where the template says.
class DialogUnits {
public:
    // Base units in pixels: average character width and character height.
    DialogUnits(int baseX, int baseY);
    // Base units measured from a font: width of "A…Za…z" / 52 rounded, and the line height.
    explicit DialogUnits(const QFont& font);

    // The font a template names ("MS Shell Dlg" 8, "Microsoft Sans Serif" 7, …), mapped to
    // an installed metric-compatible family and sized in whole pixels as Windows sizes it:
    // points × dpi / 72, rounded. A dpi of 0 takes the primary screen's logical dpi (96
    // without a screen).
    static QFont templateFont(const QString& family, int points, qreal dpi = 0);
    // Shorthand for DialogUnits(templateFont(family, points)).
    static DialogUnits forTemplateFont(const QString& family, int points);

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    int x(int units) const;
    int y(int units) const;
    QPoint point(int x, int y) const;
    QSize size(int width, int height) const;
    QRect rect(int x, int y, int width, int height) const;

    // number × numerator / denominator rounded to the nearest integer, halves away from
    // zero, computed without overflow; −1 for a zero denominator (as Windows answers).
    static int mulDiv(int number, int numerator, int denominator);

private:
    int m_baseX;
    int m_baseY;
};
