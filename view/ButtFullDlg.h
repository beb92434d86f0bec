#pragma once

#include "FloatingButton.h"

// The "Анимация" button under the preview: opens the shown picture's animation file. Shown
// while the preview shows a picture that has one.
class ButtFullDlg : public FloatingButton {
    Q_OBJECT
public:
    explicit ButtFullDlg(QWidget* parent);
};
