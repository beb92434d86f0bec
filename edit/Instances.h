#pragma once

class Scene;

// Program-wide instances that the edit layer reaches without seeing any window. The plate
// view registers its scene when it is constructed and unregisters it when destroyed; every
// caller null-checks.
//
// Registering also routes the shapes' completion notice (Shape::notifyEndTool) to the
// registered plate scene's endTool: a shape that completes its creation ends the plate view's
// tool, whichever scene the shape belongs to.
class Instances {
public:
    static Scene* plateScene();
    static void registerPlateScene(Scene& scene);
    // Clears the reference only when scene is the one registered.
    static void unregisterPlateScene(const Scene& scene);
};
