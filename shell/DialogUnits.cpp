#include "DialogUnits.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// Families of the Windows dialog fonts and metric-compatible ones installed here.
QString installedFamily(const QString& family) {
    const QString f = family.trimmed().toLower();
    if (f == QLatin1String("ms shell dlg") || f == QLatin1String("ms shell dlg 2") ||
        f == QLatin1String("ms sans serif") || f == QLatin1String("microsoft sans serif") ||
        f == QLatin1String("tahoma") || f == QLatin1String("arial"))
        return QStringLiteral("Liberation Sans");
    if (f == QLatin1String("times new roman"))
        return QStringLiteral("Liberation Serif");
    return family;
}

} // namespace

DialogUnits::DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabet / 26 + 1) / 2;
    m_baseY = fm.height();
}

QFont DialogUnits::templateFont(const QString& family, int points, qreal dpi) {
    if (dpi <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    }
    QFont font(installedFamily(family));
    font.setPixelSize(std::max(1, mulDiv(points, static_cast<int>(dpi + 0.5), 72)));
    return font;
}

DialogUnits DialogUnits::forTemplateFont(const QString& family, int points) {
    return DialogUnits(templateFont(family, points));
}

int DialogUnits::mulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t a = std::llabs(product);
    const std::int64_t b = std::llabs(static_cast<std::int64_t>(denominator));
    const std::int64_t q = (a + b / 2) / b;
    if (q > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(negative ? -q : q);
}

int DialogUnits::x(int units) const {
    return mulDiv(units, m_baseX, 4);
}

int DialogUnits::y(int units) const {
    return mulDiv(units, m_baseY, 8);
}

QPoint DialogUnits::point(int px, int py) const {
    return {x(px), y(py)};
}

QSize DialogUnits::size(int width, int height) const {
    return {x(width), y(height)};
}

QRect DialogUnits::rect(int px, int py, int width, int height) const {
    const int left = x(px), top = y(py);
    return QRect(left, top, x(px + width) - left, y(py + height) - top);
}
