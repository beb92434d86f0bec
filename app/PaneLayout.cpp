#include "PaneLayout.h"

#include <algorithm>

namespace {
// The ratios as the frame has always used them (1 / 2.9, 1 / 4.7, 1 / 1.8).
constexpr double kTextColumn = 0.3448275862068966;
constexpr double kPlateRow = 0.2127659574468085;
constexpr double kPreviewRow = 0.5555555555555556;
} // namespace

PaneProportions paneProportionsFor(QSize client) {
    const int w = std::max(0, client.width());
    const int h = std::max(0, client.height());
    // static_cast truncates toward zero, as the sizes always have been.
    return {static_cast<int>(w * kTextColumn), static_cast<int>(h * kPlateRow),
            static_cast<int>(h * kPreviewRow)};
}

QList<int> outerSplitterSizes(const PaneProportions& p, QSize client, int handleWidth) {
    const int rest = std::max(0, client.width() - p.textWidth - handleWidth);
    return {p.textWidth, rest};
}

QList<int> innerSplitterSizes(const PaneProportions& p, QSize client, int handleWidth) {
    const int rest =
        std::max(0, client.height() - p.plateHeight - p.previewHeight - 2 * handleWidth);
    return {p.plateHeight, p.previewHeight, rest};
}

QSize frameSizeLimit(QSize screen) {
    return screen + QSize(20, 100);
}
