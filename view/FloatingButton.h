#pragma once

#include "FloatingPanel.h"

class QPushButton;

// A floating panel that is one push button filling its template.
class FloatingButton : public FloatingPanel {
    Q_OBJECT
public:
    FloatingButton(QWidget* parent, const QString& text, QSize templateDu, bool painted);
    QPushButton* button() const { return m_button; }

signals:
    void clicked();

private:
    QPushButton* m_button;
};
