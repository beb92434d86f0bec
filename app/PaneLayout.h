#pragma once

#include <QList>
#include <QSize>

// Pane sizes of the main frame, in pixels, from the client size the frame last received.
// The topic text column takes W / 2.9, the plate strip H / 4.7 and the preview H / 1.8 of
// the client; the lesson row takes what remains. Products are truncated toward zero.
struct PaneProportions {
    int textWidth = 0;     // outer splitter, column 0
    int plateHeight = 0;   // inner splitter, row 0
    int previewHeight = 0; // inner splitter, row 1

    friend bool operator==(const PaneProportions&, const PaneProportions&) = default;
};

PaneProportions paneProportionsFor(QSize client);

// Sizes to hand to the splitters, whose handles (handleWidth pixels each) take room between
// the panes: the last pane gets the rest, never less than 0.
QList<int> outerSplitterSizes(const PaneProportions& p, QSize client, int handleWidth);
QList<int> innerSplitterSizes(const PaneProportions& p, QSize client, int handleWidth);

// The frame may grow to the screen size plus 20 pixels in width and 100 in height, so that
// full-screen mode can push its caption and menu above the screen.
QSize frameSizeLimit(QSize screen);
