#pragma once

#include <QColor>
#include <QSize>
#include <QWidget>

class DialogUnits;
class QPushButton;

// A small borderless panel floating over the main window's panes (a child widget raised
// above them, so it follows the window and its full-screen mode everywhere). Sized from its
// template in dialog units of "MS Shell Dlg" 8; Enter and Esc give the keyboard focus back
// to the main window's active view and do nothing else. Painted in the plate background
// unless it is transparent.
class FloatingPanel : public QWidget {
    Q_OBJECT
public:
    static const QColor kBackground; // red 66, green 75, blue 121

    FloatingPanel(QWidget* parent, QSize templateDu, bool painted);

protected:
    // A push button at a template rectangle in dialog units; reachable with Tab, but a click
    // leaves the focus where it was, so the frame's keys keep working.
    QPushButton* addButton(const QString& text, int x, int y, int w, int h);
    const DialogUnits& units() const;

    void paintEvent(QPaintEvent* event) override;

private:
    bool m_painted;
};
