#include "PlaceholderPane.h"

#include <QFont>
#include <QPainter>

namespace {
// The background and caption colours the picture views draw with.
const QColor kBackground(66, 75, 121);
const QColor kCaption(255, 204, 0, 150);
} // namespace

PlaceholderPane::PlaceholderPane(const QString& objectName, const QString& title, QWidget* parent)
    : QWidget(parent), m_title(title) {
    setObjectName(objectName);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void PlaceholderPane::setNote(const QString& note) {
    if (note == m_note)
        return;
    m_note = note;
    update();
}

void PlaceholderPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(kCaption);
    const int line = QFontMetrics(font).height();
    p.drawText(QRect(0, 0, width(), line), Qt::AlignLeft | Qt::AlignTop, m_title);
    if (!m_note.isEmpty()) {
        font.setPixelSize(15);
        p.setFont(font);
        p.drawText(QRect(0, line, width(), height() - line), Qt::AlignLeft | Qt::AlignTop, m_note);
    }
}
