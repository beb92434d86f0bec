#include "SceneLoadSink.h"

#include "BmpRectStream.h"
#include "LoadDlg.h"
#include "Scene.h"

SceneLoadSink::SceneLoadSink(Scene& scene, std::function<bool()> stillCurrent)
    : m_scene(scene), m_stillCurrent(std::move(stillCurrent)) {}

void SceneLoadSink::append(std::unique_ptr<BmpRectStream> picture) {
    if (!picture || isCancelled())
        return;
    m_scene.shapes().append(picture.release()); // the list owns it from here
    ++m_appended;
}

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

bool SceneLoadSink::isCancelled() const {
    return m_stillCurrent && !m_stillCurrent();
}
