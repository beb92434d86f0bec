#pragma once

#include "Art.h"
#include "Catalogue.h"

#include <utility>
#include <vector>

// Backdrops and layouts shared by the topics.
namespace scenes {

// Street seen from the pavement: sky, houses, trees, far pavement, road, near pavement.
// The road band spans kRoadTop..kRoadBottom.
constexpr double kRoadTop = 350;
constexpr double kRoadBottom = 480;
// Ground lines of the two lanes: traffic keeps to the right, so vehicles facing left use the
// far lane and vehicles facing right the near one.
constexpr double kFarLane = 404;
constexpr double kNearLane = 470;
void streetBackdrop(QPainter& p, const Canvas& c, bool evening = false, int variant = 0);
// Open country: sky, hills, fields and a road band at the same height as the street.
void countryBackdrop(QPainter& p, const Canvas& c, int variant = 0);
// Calm tinted background for diagrams and sign boards.
void paperBackdrop(QPainter& p, const Canvas& c, QColor tint);
// Grass for plans seen from above.
void planBackdrop(QPainter& p, const Canvas& c);
// Four-way crossing seen from above, centred at `centre`, roads `road` wide.
void crossingPlan(QPainter& p, const Canvas& c, QPointF centre, double road, bool zebras);

// Signs laid out in a grid, each with a caption under it.
void signBoard(QPainter& p, const Canvas& c,
               const std::vector<std::pair<art::Sign, QString>>& signs, int columns,
               double signSize);
// Text block: title line in bold and lines under it, left aligned in `r`.
void textCard(QPainter& p, const QRectF& r, const QString& heading, const QStringList& lines,
              QColor accent);

} // namespace scenes
