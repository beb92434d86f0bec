#include "PictureReady.h"

PictureReady& PictureReady::instance() {
    static PictureReady* ready = new PictureReady; // outlives every view and worker
    return *ready;
}

void PictureReady::notify() {
    if (m_posted.exchange(true))
        return; // the event already posted tells this decode too
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_posted = false; // before the signal: a decode ready meanwhile posts anew
            emit prepared();
        },
        Qt::QueuedConnection);
}
