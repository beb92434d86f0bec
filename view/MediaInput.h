#pragma once

#include <QObject>
#include <functional>

class MediaHost;
class QWidget;
class QEvent;

// Calls `call` on the host once the current event is done, if `window` still exists then.
// Stepping and the full-screen toggle delete the media window, which must not happen while
// it is inside its own event handling.
void callHostLater(QWidget* window, MediaHost& host, void (MediaHost::*call)());

// Sees the pointer and key input of a media window and of every widget inside it (also
// those created later, such as the browser's own input widget) before they do. The handler
// gets the receiving widget and the event and returns true to consume it.
class MediaInput : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(QWidget* receiver, QEvent* event)>;
    MediaInput(QWidget* window, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QObject* object);

    Handler m_handler;
};
