#include "Scenes.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace scenes {

void streetBackdrop(QPainter& p, const Canvas& c, bool evening, int variant) {
    art::sky(p, QRectF(0, 0, c.width, kRoadTop), evening);
    if (!evening) {
        art::sun(p, QPointF(c.width - 110 - 40 * (variant % 3), 110), 34);
        art::cloud(p, QPointF(160 + 60 * (variant % 4), 120), 150);
        art::cloud(p, QPointF(c.width * 0.55, 90 + 10 * (variant % 2)), 110);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 250, 230));
        p.drawEllipse(QPointF(c.width - 120, 100), 26, 26);
    }
    const QColor walls[5] = {QColor(236, 200, 150), QColor(190, 210, 230), QColor(240, 170, 150),
                             QColor(220, 220, 200), QColor(200, 225, 190)};
    const QColor roofs[3] = {QColor(160, 70, 60), QColor(90, 100, 120), QColor(120, 90, 70)};
    double x = -20 + 15 * (variant % 3);
    int i = variant;
    std::vector<double> gaps;
    while (x < c.width) {
        const double w = 120 + 40 * ((i * 7) % 3);
        const int floors = 2 + (i * 5) % 3;
        const double h = floors * 52;
        art::house(p, QRectF(x, kRoadTop - 34 - h, w, h), walls[i % 5], roofs[i % 3], floors,
                   evening);
        const double gap = 30 + 20 * (i % 2);
        if ((i + variant) % 2 == 0)
            gaps.push_back(x + w + gap / 2);
        x += w + gap;
        ++i;
    }
    // Trees stand in front of the houses, on the far pavement.
    for (std::size_t k = 0; k < gaps.size(); ++k)
        art::tree(p, QPointF(gaps[k], kRoadTop - 30), 110 + 20 * double((k + variant) % 3),
                  int(k + variant) % 2);
    art::street(p, c.width, kRoadTop, kRoadBottom);
    art::grass(p, QRectF(0, kRoadBottom + 68, c.width, c.height - kRoadBottom - 68));
    if (evening)
        p.fillRect(QRectF(0, 0, c.width, c.height), QColor(20, 20, 70, 70));
}

void countryBackdrop(QPainter& p, const Canvas& c, int variant) {
    art::sky(p, QRectF(0, 0, c.width, kRoadTop), false);
    art::sun(p, QPointF(120 + 50 * (variant % 3), 100), 36);
    art::cloud(p, QPointF(c.width * 0.62, 110), 170);
    // Hills.
    QPainterPath hills;
    hills.moveTo(0, kRoadTop - 60);
    hills.cubicTo(c.width * 0.25, kRoadTop - 150, c.width * 0.45, kRoadTop - 40, c.width * 0.6,
                  kRoadTop - 100);
    hills.cubicTo(c.width * 0.75, kRoadTop - 160, c.width * 0.9, kRoadTop - 70, c.width,
                  kRoadTop - 110);
    hills.lineTo(c.width, kRoadTop);
    hills.lineTo(0, kRoadTop);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(140, 196, 110));
    p.drawPath(hills);
    art::grass(p, QRectF(0, kRoadTop - 40, c.width, 40));
    for (int i = 0; i < 6; ++i)
        art::tree(p, QPointF(60 + i * (c.width - 100) / 5 + 17 * ((i + variant) % 3), kRoadTop - 8),
                  90 + 25 * ((i + variant) % 3), (i + variant) % 2);
    // Road with shoulders instead of pavements.
    p.fillRect(QRectF(0, kRoadTop - 6, c.width, 6), QColor(190, 170, 130));
    QLinearGradient g(0, kRoadTop, 0, kRoadBottom);
    g.setColorAt(0, art::ink::asphaltDark);
    g.setColorAt(1, art::ink::asphalt);
    p.fillRect(QRectF(0, kRoadTop, c.width, kRoadBottom - kRoadTop), g);
    p.setBrush(QColor(240, 240, 240));
    for (double x = 10; x < c.width; x += 70)
        p.drawRect(QRectF(x, (kRoadTop + kRoadBottom) / 2 - 2.5, 40, 5));
    p.fillRect(QRectF(0, kRoadBottom, c.width, 8), QColor(190, 170, 130));
    art::grass(p, QRectF(0, kRoadBottom + 8, c.width, c.height - kRoadBottom - 8));
}

void paperBackdrop(QPainter& p, const Canvas& c, QColor tint) {
    QLinearGradient g(0, 0, 0, c.height);
    g.setColorAt(0, tint.lighter(185));
    g.setColorAt(1, tint.lighter(150));
    p.fillRect(QRectF(0, 0, c.width, c.height), g);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    for (double y = 80; y < c.height; y += 24)
        p.drawLine(QPointF(0, y), QPointF(c.width, y));
}

void planBackdrop(QPainter& p, const Canvas& c) {
    p.fillRect(QRectF(0, 0, c.width, c.height), QColor(128, 186, 92));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(116, 172, 84));
    for (int i = 0; i < 60; ++i) {
        const double x = (i * 137) % int(c.width);
        const double y = 70 + (i * 89) % int(c.height - 70);
        p.drawEllipse(QPointF(x, y), 10 + i % 7, 6 + i % 5);
    }
}

void crossingPlan(QPainter& p, const Canvas& c, QPointF centre, double road, bool zebras) {
    const double half = road / 2;
    art::roadTop(p, QRectF(0, centre.y() - half, c.width, road), true);
    art::roadTop(p, QRectF(centre.x() - half, 0, road, c.height), false);
    // Clear the markings inside the junction.
    p.fillRect(QRectF(centre.x() - half, centre.y() - half, road, road), art::ink::asphalt);
    // Pavement corners.
    p.setPen(Qt::NoPen);
    p.setBrush(art::ink::pavement);
    const double pw = 26;
    for (int sx : {-1, 1})
        for (int sy : {-1, 1}) {
            const double x0 = sx < 0 ? 0 : centre.x() + half;
            const double x1 = sx < 0 ? centre.x() - half : c.width;
            const double y0 = sy < 0 ? 0 : centre.y() + half;
            const double y1 = sy < 0 ? centre.y() - half : c.height;
            const double kerbX = sx < 0 ? x1 - pw : x0;
            const double kerbY = sy < 0 ? y1 - pw : y0;
            p.drawRect(QRectF(x0, kerbY, x1 - x0, pw));
            p.drawRect(QRectF(kerbX, y0, pw, y1 - y0));
        }
    if (zebras) {
        const double gap = 10, depth = 46;
        art::zebraTop(p, QRectF(centre.x() - half, centre.y() - half - gap - depth, road, depth),
                      true);
        art::zebraTop(p, QRectF(centre.x() - half, centre.y() + half + gap, road, depth), true);
        art::zebraTop(p, QRectF(centre.x() - half - gap - depth, centre.y() - half, depth, road),
                      false);
        art::zebraTop(p, QRectF(centre.x() + half + gap, centre.y() - half, depth, road), false);
    }
}

void signBoard(QPainter& p, const Canvas& c,
               const std::vector<std::pair<art::Sign, QString>>& signs, int columns,
               double signSize) {
    const int rows = int((signs.size() + std::size_t(columns) - 1) / std::size_t(columns));
    const double top = 90;
    const double cellW = c.width / columns;
    const double cellH = (c.height - top - 10) / rows;
    p.setFont(art::font(19, true));
    for (std::size_t i = 0; i < signs.size(); ++i) {
        const int col = int(i) % columns, row = int(i) / columns;
        const QPointF centre(cellW * (col + 0.5), top + cellH * row + signSize * 0.62);
        const QRectF card(cellW * col + 10, top + cellH * row, cellW - 20, cellH - 12);
        p.setPen(art::outlinePen(1.5, QColor(0, 0, 0, 40)));
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawRoundedRect(card, 16, 16);
        art::sign(p, centre, signSize, signs[i].first);
        p.setPen(QColor(30, 40, 70));
        p.drawText(QRectF(card.left() + 6, centre.y() + signSize * 0.62, card.width() - 12,
                          card.bottom() - centre.y() - signSize * 0.62),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, signs[i].second);
    }
}

void textCard(QPainter& p, const QRectF& r, const QString& heading, const QStringList& lines,
              QColor accent) {
    p.save();
    p.setPen(art::outlinePen(2, QColor(0, 0, 0, 50)));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(r, 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(r.left(), r.top(), 10, r.height()), 5, 5);
    p.setPen(accent.darker(130));
    p.setFont(art::font(24, true));
    p.drawText(QRectF(r.left() + 24, r.top() + 12, r.width() - 36, 32), Qt::AlignLeft, heading);
    p.setPen(QColor(40, 44, 60));
    p.setFont(art::font(20));
    double y = r.top() + 54;
    for (const QString& line : lines) {
        const QRectF box(r.left() + 24, y, r.width() - 36, r.bottom() - y - 8);
        const QRectF used = p.boundingRect(box, Qt::AlignLeft | Qt::TextWordWrap, line);
        p.drawText(box, Qt::AlignLeft | Qt::TextWordWrap, line);
        y += used.height() + 8;
    }
    p.restore();
}

} // namespace scenes
