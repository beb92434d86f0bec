#include "Instances.h"

#include "Scene.h"
#include "Shape.h"

namespace {
Scene* g_plateScene = nullptr;
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
    if (g_plateScene == &scene)
        g_plateScene = nullptr; // the handler stays; it finds no scene and does nothing
}
