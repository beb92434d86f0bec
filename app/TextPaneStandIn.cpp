#include "TextPaneStandIn.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPalette>

TextPaneStandIn::TextPaneStandIn(QWidget* parent) : QOpenGLWidget(parent) {}

QWidget* TextPaneStandIn::create(QWidget* parent) {
    QWidget* standIn = nullptr;
    // The browser engine makes the shared context when the application starts; without it
    // (no OpenGL on this platform) the browser view draws without OpenGL too.
    if (const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
        shared && shared->isValid()) {
        standIn = new TextPaneStandIn(parent);
    } else {
        standIn = new QWidget(parent);
        standIn->setAutoFillBackground(true);
        QPalette blank = standIn->palette();
        blank.setColor(QPalette::Window, Qt::white);
        standIn->setPalette(blank);
    }
    standIn->setObjectName(QStringLiteral("HtmlViewStandIn"));
    return standIn;
}

void TextPaneStandIn::paintGL() {
    QOpenGLFunctions* gl = context()->functions();
    gl->glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
}
