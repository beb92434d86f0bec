#pragma once

#include "FragmentSink.h"

#include <functional>

class Scene;

// Delivers a fragment load into a scene's shape list and its progress to the program-wide
// loading window (LoadDlg::instance(), when one exists at that moment).
//
// The load keeps the event loop running, so the scene may be cleared or loaded again, or its
// view destroyed, before the load ends. `stillCurrent` answers whether this load still owns
// the scene; once it says no the load is cancelled and nothing more reaches the scene.
class SceneLoadSink : public FragmentSink {
public:
    SceneLoadSink(Scene& scene, std::function<bool()> stillCurrent);

    void append(std::unique_ptr<BmpRectStream> picture) override;
    void setProgressRange(int minimum, int maximum) override;
    void stepProgress() override;
    bool isCancelled() const override;

    int appended() const { return m_appended; }

private:
    Scene& m_scene;
    std::function<bool()> m_stillCurrent;
    int m_appended = 0;
};
