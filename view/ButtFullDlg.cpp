#include "ButtFullDlg.h"

#include <QPalette>
#include <QPushButton>

ButtFullDlg::ButtFullDlg(QWidget* parent) : FloatingPanel(parent, QSize(50, 14), false) {
    setObjectName(QStringLiteral("ButtFullDlg"));
    m_button = addButton(QStringLiteral("Анимация"), 0, 0, 50, 14);
    // A face of its own: flat black text on the dark blue pane could hardly be read in the
    // room (about 2.5 : 1); dark on cream is well above 4.5 : 1.
    QPalette face = m_button->palette();
    face.setColor(QPalette::Button, QColor(0xF3, 0xE6, 0xC0));
    face.setColor(QPalette::ButtonText, QColor(0x1A, 0x1A, 0x1A));
    m_button->setPalette(face);
    QFont bold = m_button->font();
    bold.setBold(true);
    m_button->setFont(bold);
    connect(m_button, &QPushButton::clicked, this, &ButtFullDlg::animationClicked);
    hide();
}
