#include "MediaWindow.h"

#include "ActiveViewFocus.h"
#include "MediaHost.h"
#include "MediaInput.h"
#include "MediaNote.h"

#include <QMouseEvent>

MediaWindow::MediaWindow(QWidget* preview, MediaHost& host, const QString& contentFolder,
                         bool video)
    : QWidget(preview), m_host(host), m_contentFolder(contentFolder), m_video(video) {
    m_noteLabel = new MediaNote(this);
    new MediaInput(this,
                   [this](QWidget* receiver, QEvent* event) { return input(receiver, event); });
}

void MediaWindow::setNote(const QString& text) {
    m_note = text;
    m_noteLabel->showNote(text);
    emit noteShown(text);
}

void MediaWindow::clearNote() {
    m_note.clear();
    m_noteLabel->showNote({});
}

bool MediaWindow::input(QWidget* receiver, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        if (!m_video || m_host.isPlaying()) {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QPoint at = receiver->mapTo(this, me->position().toPoint());
            m_host.pointerAt(at.x() < width() / 2);
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonDblClick && me->button() == Qt::MiddleButton &&
            me->buttons() == Qt::MiddleButton) {
            QMetaObject::invokeMethod(this, &MediaWindow::fullScreenRequested,
                                      Qt::QueuedConnection);
            return true;
        }
        return clickInput(receiver, *me);
    }
    case QEvent::ContextMenu:
        return true; // nothing over the picture has a menu of its own
    case QEvent::KeyPress:
        return ActiveViewFocus::handleEnterOrEsc(event);
    default:
        return false;
    }
}
