#pragma once

#include "FloatingPanel.h"

class QPushButton;

// The "Начать урок" button at the lesson row's top right corner: plays the lesson from its
// first picture.
class ButtLess1 : public FloatingPanel {
    Q_OBJECT
public:
    explicit ButtLess1(QWidget* parent);
    QPushButton* button() const { return m_button; }

signals:
    void startLessonClicked();

private:
    QPushButton* m_button;
};
