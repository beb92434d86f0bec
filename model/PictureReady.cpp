#include "PictureReady.h"

PictureReady& PictureReady::instance() {
    static PictureReady* ready = new PictureReady; // outlives every view and worker
    return *ready;
}

void PictureReady::notify() {
    QMetaObject::invokeMethod(
        this, [this] { emit prepared(); }, Qt::QueuedConnection);
}
