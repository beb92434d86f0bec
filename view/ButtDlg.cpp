#include "ButtDlg.h"

#include <QPushButton>

const QString ButtDlg::kHideText = QStringLiteral("Скрыть\nтекст");
const QString ButtDlg::kShowText = QStringLiteral("Показ.\nтекст");

ButtDlg::ButtDlg(QWidget* parent) : FloatingPanel(parent, QSize(36, 155), true) {
    setObjectName(QStringLiteral("ButtDlg"));
    m_text = FloatingPanel::addButton(kHideText, 0, 0, 36, 36);
    m_full = FloatingPanel::addButton(QStringLiteral("Полный\nэкран"), 0, 56, 36, 38);
    m_add = FloatingPanel::addButton(QStringLiteral("Добав.\n к уроку"), 0, 115, 36, 40);
    connect(m_text, &QPushButton::clicked, this, &ButtDlg::textToggleClicked);
    connect(m_full, &QPushButton::clicked, this, &ButtDlg::fullScreenClicked);
    connect(m_add, &QPushButton::clicked, this, &ButtDlg::addToLessonClicked);
}

void ButtDlg::setTextHidden(bool hidden) {
    m_text->setText(hidden ? kShowText : kHideText);
}
