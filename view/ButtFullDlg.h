#pragma once

#include "FloatingPanel.h"

class QPushButton;

// The "Анимация" button under the preview: opens the shown picture's animation file. Shown
// while the preview shows a picture that has one.
class ButtFullDlg : public FloatingPanel {
    Q_OBJECT
public:
    explicit ButtFullDlg(QWidget* parent);
    QPushButton* button() const { return m_button; }

signals:
    void animationClicked();

private:
    QPushButton* m_button;
};
