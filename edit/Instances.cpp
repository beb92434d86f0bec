#include "Instances.h"

#include "Scene.h"
#include "Shape.h"

namespace {
Scene* g_plateScene = nullptr;
FrameControl* g_frame = nullptr;
LessonTarget* g_lesson = nullptr;
PreviewTarget* g_preview = nullptr;

template <typename T> void unregister(T*& slot, const T* instance) {
    if (slot == instance)
        slot = nullptr;
}
} // namespace

Scene* Instances::plateScene() {
    return g_plateScene;
}

void Instances::registerPlateScene(Scene& scene) {
    g_plateScene = &scene;
    Shape::setEndToolHandler([] {
        if (Scene* plate = Instances::plateScene())
            plate->endTool();
    });
}

void Instances::unregisterPlateScene(const Scene& scene) {
    // The handler stays; it finds no scene and does nothing.
    unregister(g_plateScene, &scene);
}

FrameControl* Instances::frame() {
    return g_frame;
}

LessonTarget* Instances::lesson() {
    return g_lesson;
}

PreviewTarget* Instances::preview() {
    return g_preview;
}

void Instances::registerFrame(FrameControl* frame) {
    g_frame = frame;
}

void Instances::unregisterFrame(const FrameControl* frame) {
    unregister(g_frame, frame);
}

void Instances::registerLesson(LessonTarget* lesson) {
    g_lesson = lesson;
}

void Instances::unregisterLesson(const LessonTarget* lesson) {
    unregister(g_lesson, lesson);
}

void Instances::registerPreview(PreviewTarget* preview) {
    g_preview = preview;
}

void Instances::unregisterPreview(const PreviewTarget* preview) {
    unregister(g_preview, preview);
}
