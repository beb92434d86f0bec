#include "SceneLoadSink.h"

#include "LoadDlg.h"
#include "WindowServices.h"

#include <utility>

SceneLoadSink::SceneLoadSink(std::function<QSize(const BmpRect&)> shownSize)
    : m_shownSize(std::move(shownSize)) {}

void SceneLoadSink::setProgressRange(int minimum, int maximum) {
    // The window's range always starts at 0, as the loader's does.
    (void)minimum;
    if (LoadDlg* window = LoadDlg::instance()) {
        window->setRange(maximum);
        window->setStep(1);
    }
}

void SceneLoadSink::stepProgress() {
    if (LoadDlg* window = LoadDlg::instance())
        window->stepIt();
}

QSize SceneLoadSink::shownSize(const BmpRect& outline) {
    return m_shownSize ? m_shownSize(outline) : QSize();
}

void SceneLoadSink::recordDone(RecordOutcome outcome) {
    if (outcome == RecordOutcome::Loaded)
        m_failures.addRead();
}

void SceneLoadSink::pictureFailed(const QString& message, const QString& name) {
    m_failures.addFailure(message, name);
}

void SceneLoadSink::showFailures() {
    if (!m_loadFailure.isEmpty())
        messageBox(std::exchange(m_loadFailure, QString()));
    m_failures.show();
}
