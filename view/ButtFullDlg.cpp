#include "ButtFullDlg.h"

#include <QPushButton>

ButtFullDlg::ButtFullDlg(QWidget* parent) : FloatingPanel(parent, QSize(50, 14), false) {
    setObjectName(QStringLiteral("ButtFullDlg"));
    m_button = addButton(QStringLiteral("Анимация"), 0, 0, 50, 14);
    m_button->setFlat(true);
    connect(m_button, &QPushButton::clicked, this, &ButtFullDlg::animationClicked);
    hide();
}
