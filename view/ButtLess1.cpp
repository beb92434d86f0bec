#include "ButtLess1.h"

#include <QPushButton>

ButtLess1::ButtLess1(QWidget* parent) : FloatingPanel(parent, QSize(50, 12), true) {
    setObjectName(QStringLiteral("ButtLess1"));
    m_button = addButton(QStringLiteral("Начать урок"), 0, 0, 50, 12);
    connect(m_button, &QPushButton::clicked, this, &ButtLess1::startLessonClicked);
}
