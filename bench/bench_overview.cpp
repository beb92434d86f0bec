// The overview grid: opening it for 100 pictures (copies already decoded, 320 x 240 as the
// strip keeps them) to the grid painted, at 1024 x 768 and 1920 x 1080; then one step of the
// choice repainted. Medians of several runs (goal: open <= 100 ms). With TM_OVERVIEW_SHOT set
// to a folder, the painted grids are saved there.

#include "OverviewGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictures = 100;
constexpr int kRuns = 7;

std::vector<OverviewItem> makeItems() {
    std::vector<OverviewItem> items;
    for (int i = 0; i < kPictures; ++i) {
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((i * 37) % 360, 160, 220));
        QPainter p(&image);
        p.setPen(QPen(Qt::black, 4));
        p.drawEllipse(image.rect().adjusted(20, 20, -20, -20));
        items.push_back({image, QStringLiteral("Плакат %1: дорожный знак").arg(i + 1)});
    }
    return items;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::vector<OverviewItem> items = makeItems();
    bool ok = true;
    for (QSize screen : {QSize(1024, 768), QSize(1920, 1080)}) {
        std::vector<double> open;
        std::vector<double> step;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer clock;
            clock.start();
            OverviewGrid grid;
            grid.resize(screen);
            grid.setItems(items, 41);
            QImage target(screen, QImage::Format_ARGB32_Premultiplied);
            grid.render(&target);
            open.push_back(clock.nsecsElapsed() / 1e6);
            clock.restart();
            grid.choose(42);
            grid.render(&target);
            step.push_back(clock.nsecsElapsed() / 1e6);
            // TM_OVERVIEW_SHOT=folder keeps what was painted, to look at.
            if (run == 0 && qEnvironmentVariableIsSet("TM_OVERVIEW_SHOT"))
                target.save(QStringLiteral("%1/overview-%2.png")
                                .arg(qEnvironmentVariable("TM_OVERVIEW_SHOT"))
                                .arg(screen.width()));
        }
        const double openMs = median(open);
        ok = ok && openMs <= 100;
        std::printf("overview %dx%d, %d pictures: open to painted %.1f ms (goal <= 100 ms) %s; "
                    "a step repainted %.1f ms\n",
                    screen.width(), screen.height(), kPictures, openMs,
                    openMs <= 100 ? "ok" : "MISSED", median(step));
    }
    return ok ? 0 : 1;
}
