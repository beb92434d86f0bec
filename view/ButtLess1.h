#pragma once

#include "FloatingButton.h"

// The "Начать урок" button at the lesson row's top right corner: plays the lesson from its
// first picture.
class ButtLess1 : public FloatingButton {
    Q_OBJECT
public:
    explicit ButtLess1(QWidget* parent);
};
