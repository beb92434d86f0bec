#include "ShowOverview.h"

#include "ActiveViewFocus.h"
#include "BmpRect.h"
#include "HandoutRenderer.h"
#include "OverviewGrid.h"
#include "PictureImage.h"
#include "Playback.h"
#include "ShapeList.h"

#include <QEvent>
#include <QWidget>

namespace {

std::vector<OverviewItem> itemsOf(const ShapeList& sequence) {
    std::vector<OverviewItem> items;
    items.reserve(sequence.size());
    for (const Shape* element : sequence) {
        OverviewItem item;
        if (const auto* picture = dynamic_cast<const BmpRect*>(element)) {
            if (const PictureImage* image = picture->image())
                item.thumbnail = image->heldImage();
            item.caption = HandoutPicture::of(*picture).caption;
        }
        items.push_back(std::move(item));
    }
    return items;
}

// Keeps the grid over the whole host as the host changes size.
class FillHost : public QObject {
public:
    FillHost(QWidget* grid, QWidget* host) : QObject(grid), m_grid(grid) {
        host->installEventFilter(this);
        m_grid->setGeometry(host->rect());
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            m_grid->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QWidget* m_grid;
};

} // namespace

ShowOverview::ShowOverview(Playback& playback, QObject* parent)
    : QObject(parent), m_playback(playback) {}

ShowOverview::~ShowOverview() {
    close();
}

void ShowOverview::open(QWidget* host) {
    const ShapeList* sequence = m_playback.sequence();
    if (isOpen() || !host || !sequence || sequence->empty() || !m_playback.isPlaying())
        return;
    m_focusBefore = host->window()->focusWidget();
    auto* grid = new OverviewGrid(host);
    m_grid = grid;
    grid->setItems(itemsOf(*sequence), m_playback.position());
    new FillHost(grid, host);
    connect(grid, &OverviewGrid::jumpTo, this, [this](int index) {
        close();
        m_playback.showPosition(index);
    });
    connect(grid, &OverviewGrid::dismissed, this, &ShowOverview::close);
    // The host may go first (the presenter view when the show ends): the keys come back.
    connect(grid, &QObject::destroyed, this, [this] { m_playback.setOverviewOpen(false); });
    ActiveViewFocus::markFloating(grid); // Esc and Enter are the grid's, not full screen's
    m_playback.setOverviewOpen(true);
    grid->show();
    grid->raise();
    grid->setFocus(Qt::OtherFocusReason);
}

void ShowOverview::close() {
    if (!m_grid)
        return;
    m_playback.setOverviewOpen(false);
    m_grid->hide();
    m_grid->deleteLater();
    m_grid.clear();
    if (m_focusBefore)
        m_focusBefore->setFocus(Qt::OtherFocusReason);
}
