#include "FloatingPanel.h"

#include "ActiveViewFocus.h"
#include "DialogUnits.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

const QColor FloatingPanel::kBackground(66, 75, 121);

namespace {
const DialogUnits& panelUnits() {
    static const DialogUnits units =
        DialogUnits::forTemplateFont(QStringLiteral("MS Shell Dlg"), 8);
    return units;
}
} // namespace

FloatingPanel::FloatingPanel(QWidget* parent, QSize templateDu, bool painted)
    : QWidget(parent), m_painted(painted) {
    setFont(DialogUnits::templateFont(QStringLiteral("MS Shell Dlg"), 8));
    setFixedSize(units().size(templateDu.width(), templateDu.height()));
    setAttribute(Qt::WA_OpaquePaintEvent, painted);
    ActiveViewFocus::markFloating(this);
    ActiveViewFocus::takeEnterAndEsc(this);
}

const DialogUnits& FloatingPanel::units() const {
    return panelUnits();
}

QPushButton* FloatingPanel::addButton(const QString& text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, this);
    button->setGeometry(units().rect(x, y, w, h));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void FloatingPanel::paintEvent(QPaintEvent* event) {
    if (!m_painted)
        return;
    QPainter(this).fillRect(event->rect(), kBackground);
}
