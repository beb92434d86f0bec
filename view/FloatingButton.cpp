#include "FloatingButton.h"

#include <QPushButton>

FloatingButton::FloatingButton(QWidget* parent, const QString& text, QSize templateDu, bool painted)
    : FloatingPanel(parent, templateDu, painted),
      m_button(addButton(text, 0, 0, templateDu.width(), templateDu.height())) {
    connect(m_button, &QPushButton::clicked, this, &FloatingButton::clicked);
}
