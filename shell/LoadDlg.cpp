#include "LoadDlg.h"

#include "ActiveViewFocus.h"
#include "DialogUnits.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

#include <algorithm>

namespace {
LoadDlg* g_instance = nullptr;
}

LoadDlg::LoadDlg(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_owner(owner) {
    setWindowTitle(QStringLiteral("Загрузка..."));
    setModal(false);
    // Enter hands the focus back; Esc is swallowed: the window stays until the load ends.
    ActiveViewFocus::takeEnterAndEsc(this, ActiveViewFocus::EscKey::Swallowed);
    const QFont font = DialogUnits::templateFont(QStringLiteral("MS Shell Dlg"), 8);
    setFont(font);
    const DialogUnits du(font);
    setFixedSize(du.size(kWidthDu, kHeightDu));

    // Progress bar at (1, 0), without a frame of its own; the button takes the right end.
    m_bar = new QProgressBar(this);
    m_bar->setGeometry(du.rect(1, 0, 254, 20));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setFocusPolicy(Qt::NoFocus);

    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setGeometry(du.rect(257, 2, 48, 16));
    m_cancel->setAutoDefault(false);
    m_cancel->setFocusPolicy(Qt::NoFocus); // Enter stays the window's own key
    connect(m_cancel, &QPushButton::clicked, this, &LoadDlg::cancelRequested);

    g_instance = this;
}

LoadDlg::~LoadDlg() {
    if (g_instance == this)
        g_instance = nullptr;
}

LoadDlg* LoadDlg::instance() {
    return g_instance;
}

int LoadDlg::rangeEnd() const {
    return m_bar->maximum();
}

int LoadDlg::position() const {
    return m_bar->value();
}

void LoadDlg::setRange(int upper) {
    m_bar->setRange(0, std::max(upper, 1));
    showProgress(0);
}

void LoadDlg::setStep(int step) {
    m_step = step;
}

void LoadDlg::stepIt() {
    const long long next = static_cast<long long>(m_bar->value()) + m_step;
    showProgress(static_cast<int>(std::clamp<long long>(next, 0, m_bar->maximum())));
}

void LoadDlg::setPosition(int value) {
    showProgress(std::clamp(value, 0, m_bar->maximum()));
}

void LoadDlg::showProgress(int value) {
    m_bar->setValue(value);
    // The loader may not return to the event loop for a while: paint now.
    if (isVisible())
        m_bar->repaint();
}

void LoadDlg::showEvent(QShowEvent* event) {
    // Before the window is mapped: the window manager keeps a transient window above the
    // window it belongs to. Not a child widget, so neither can delete the other.
    QWindow* above = m_owner ? m_owner->window()->windowHandle() : nullptr;
    if (windowHandle() && above != windowHandle())
        windowHandle()->setTransientParent(above);
    QDialog::showEvent(event);
}

void LoadDlg::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
