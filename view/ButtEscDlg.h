#pragma once

#include "FloatingPanel.h"

class CxSkinButton;

// The skinned button that leaves full-screen mode; shown only there.
class ButtEscDlg : public FloatingPanel {
    Q_OBJECT
public:
    static const QString kTip; // "Выход из режима полного экрана"

    explicit ButtEscDlg(QWidget* parent);
    CxSkinButton* button() const { return m_button; }

signals:
    void exitClicked();

private:
    CxSkinButton* m_button;
};
