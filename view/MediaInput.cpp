#include "MediaInput.h"

#include "MediaHost.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

void callHostLater(QWidget* window, MediaHost& host, void (MediaHost::*call)()) {
    QPointer<QWidget> alive(window);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [alive, &host, call] {
            if (alive)
                (host.*call)();
        },
        Qt::QueuedConnection);
}

MediaInput::MediaInput(QWidget* window, Handler handler)
    : QObject(window), m_handler(std::move(handler)) {
    watch(window);
}

void MediaInput::watch(QObject* object) {
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType())
            watch(child);
}

bool MediaInput::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            watch(child);
        break;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ContextMenu:
        if (watched->isWidgetType() && m_handler(static_cast<QWidget*>(watched), event))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
