#include "ButtEscDlg.h"

#include "CxSkinButton.h"
#include "DialogUnits.h"
#include "ResourceIds.h"

const QString ButtEscDlg::kTip = QStringLiteral("Выход из режима полного экрана");

ButtEscDlg::ButtEscDlg(QWidget* parent) : FloatingPanel(parent, QSize(19, 18), true) {
    setObjectName(QStringLiteral("ButtEscDlg"));
    m_button = new CxSkinButton(QStringLiteral(" "), this);
    m_button->setGeometry(rect());
    m_button->setFocusPolicy(Qt::TabFocus);
    m_button->applySkin(ResId::kBmpExitFullScreen, ResId::kBmpExitFullScreen,
                        ResId::kBmpExitFullScreen, 0, 0, 0, CxSkinButton::Normal, true, 0);
    m_button->setTip(kTip);
    connect(m_button, &QPushButton::clicked, this, &ButtEscDlg::exitClicked);
    hide(); // shown only in full-screen mode
}
