#include "ButtLess1.h"

ButtLess1::ButtLess1(QWidget* parent)
    : FloatingButton(parent, QStringLiteral("Начать урок"), QSize(50, 12), true) {
    setObjectName(QStringLiteral("ButtLess1"));
}
