#include "PlaybackWindow.h"

#include <QCloseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

void showFullScreenOn(QWidget* window, QScreen* screen) {
    if (!window || !screen)
        return;
    if (window->screen() != screen) {
        if (window->isVisible())
            window->hide();
        window->setScreen(screen);
    }
    window->setGeometry(screen->geometry());
    window->showFullScreen();
    // Without a window manager nobody sizes the window to the screen.
    QTimer::singleShot(300, window, [window, target = QPointer<QScreen>(screen)] {
        if (target && window->isVisible() && window->screen() == target &&
            window->geometry() != target->geometry())
            window->setGeometry(target->geometry());
    });
}

PlaybackWindow::PlaybackWindow(QWidget* content) : m_content(content) {
    setObjectName(QStringLiteral("PlaybackWindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    content->show();
}

QWidget* PlaybackWindow::takeContent() {
    QWidget* content = m_content;
    if (content) {
        layout()->removeWidget(content);
        content->setParent(nullptr);
    }
    m_content = nullptr;
    return content;
}

void PlaybackWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}
