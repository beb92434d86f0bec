#pragma once

#include "UnexpectedBoxes.h"

#include <QApplication>
#include <QTest>
#include <unistd.h>

// Prepares the browser engine for headless test runs: no GPU, and as root (where the engine
// refuses its sandbox) the sandbox switched off, as the program itself does.
inline void prepareWebEngineForTests() {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --disable-gpu";
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        flags += " --no-sandbox";
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

#define TM_WEBENGINE_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char** argv) {                                                              \
        prepareWebEngineForTests();                                                                \
        QApplication app(argc, argv);                                                              \
        UnexpectedBoxes::failOnEveryBox();                                                         \
        TestClass tc;                                                                              \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
