#include "ButtFullDlg.h"

#include <QPalette>
#include <QPushButton>

ButtFullDlg::ButtFullDlg(QWidget* parent)
    : FloatingButton(parent, QStringLiteral("Анимация"), QSize(50, 14), false) {
    setObjectName(QStringLiteral("ButtFullDlg"));
    // A face of its own: flat black text on the dark blue pane could hardly be read in the
    // room (about 2.5 : 1); dark on cream is well above 4.5 : 1.
    QPalette face = button()->palette();
    face.setColor(QPalette::Button, QColor(0xF3, 0xE6, 0xC0));
    face.setColor(QPalette::ButtonText, QColor(0x1A, 0x1A, 0x1A));
    button()->setPalette(face);
    QFont bold = button()->font();
    bold.setBold(true);
    button()->setFont(bold);
    hide();
}
