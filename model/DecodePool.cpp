#include "DecodePool.h"

#include <QCoreApplication>
#include <QThreadPool>

QThreadPool& decodePool() {
    // Owned by the application, whose end waits for the decodes still running.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool(QCoreApplication::instance());
        p->setObjectName(QStringLiteral("decodePool"));
        return p;
    }();
    return *pool;
}
