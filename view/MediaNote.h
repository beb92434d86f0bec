#pragma once

#include <QLabel>

// The short note that lies over a picture whose clip or movie cannot play: light text on a
// dark translucent box at the upper left of the media window; the picture stays visible.
class MediaNote : public QLabel {
    Q_OBJECT
public:
    explicit MediaNote(QWidget* mediaWindow);

    // Shows text (or hides the note for an empty text), sized to the window's width.
    void showNote(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
};
