#pragma once

class FrameControl;
class LessonTarget;
class PreviewTarget;
class Scene;

// The one registry of program-wide instances. Each is registered by its owner when it is
// constructed and unregistered when it goes; every caller null-checks, so views and dialogs
// run in tests without the whole program. The interfaces are owned by this layer, so lower
// layers reach the frame, the lesson and the preview without seeing them.
//
// Registering the plate scene also routes the shapes' completion notice
// (Shape::notifyEndTool) to its endTool: a shape that completes its creation ends the plate
// view's tool, whichever scene the shape belongs to.
class Instances {
public:
    static Scene* plateScene();
    static void registerPlateScene(Scene& scene);
    // Clears the reference only when scene is the one registered.
    static void unregisterPlateScene(const Scene& scene);

    static FrameControl* frame();
    static LessonTarget* lesson();
    static PreviewTarget* preview();
    // Null unregisters; unregistering with another instance than the registered one does
    // nothing, so a late destructor cannot clear its successor.
    static void registerFrame(FrameControl* frame);
    static void unregisterFrame(const FrameControl* frame);
    static void registerLesson(LessonTarget* lesson);
    static void unregisterLesson(const LessonTarget* lesson);
    static void registerPreview(PreviewTarget* preview);
    static void unregisterPreview(const PreviewTarget* preview);

    // Windows of which at most one exists at a time (the loading window, the editing palette),
    // registered by their constructor and unregistered by their destructor, under their type.
    template <class T> static T* single() { return slot<T>(); }
    template <class T> static void registerSingle(T* window) { slot<T>() = window; }
    template <class T> static void unregisterSingle(const T* window) {
        if (slot<T>() == window)
            slot<T>() = nullptr;
    }

private:
    template <class T> static T*& slot() {
        static T* registered = nullptr;
        return registered;
    }
};
