#include "Scene.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "CreateShape.h"
#include "EstimateBounds.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "Instances.h"
#include "LessonSaving.h"
#include "Shape.h"
#include "WindowServices.h"

#include <optional>

namespace {

// Row layout, plate units: each picture stands this high a vector and this far from the
// previous one.
constexpr double kRowGap = 30.0;
constexpr double kUpright = 100.0;

} // namespace

Scene::Scene() = default;

Scene::~Scene() {
    Instances::unregisterPlateScene(*this);
    destroyShapes();
}

void Scene::destroyShapes() {
    std::vector<Shape*> recorded;
    recorded.reserve(m_lessonHistory.size());
    for (const LessonEdit& e : m_lessonHistory)
        recorded.push_back(e.picture);
    m_lessonHistory.clear();
    m_selected = nullptr;
    m_shapes.clear(recorded);
}

void Scene::clear() {
    destroyShapes();
    m_storage.close();
}

namespace {

// Appends a lesson's pictures to the list, which owns them from there.
class ListSink final : public FragmentSink {
public:
    explicit ListSink(ShapeList& shapes) : m_shapes(shapes) {}
    void append(std::unique_ptr<BmpRectStream> picture) override {
        m_shapes.append(picture.release());
    }

private:
    ShapeList& m_shapes;
};

} // namespace

bool Scene::loadLesson(const QString& path) {
    m_storage.close();
    clear();
    ListSink sink(m_shapes);
    if (!store::loadLesson(m_storage, path, sink))
        return false;
    m_filePath = path;
    return true;
}

bool Scene::saveLesson(const QString& path) {
    m_filePath = path;
    const std::vector<const Shape*> shapes(m_shapes.begin(), m_shapes.end());
    return store::saveLesson(m_storage, path, shapes);
}

void Scene::drawAll(QPainter& g, const ViewTransform& vt) {
    for (Shape* shape : m_shapes)
        shape->draw(g, vt);
    m_current->drawOverlay(g, vt);
}

Shape* Scene::shapeAt(const ViewTransform& vt) {
    for (Shape* shape : m_shapes) {
        if (shape->hitTest(vt))
            return shape;
    }
    return nullptr;
}

BmpRect* Scene::firstPicture() const {
    for (Shape* shape : m_shapes) {
        if (auto* picture = dynamic_cast<BmpRect*>(shape))
            return picture;
    }
    return nullptr;
}

PointD Scene::lastPictureCorner() const {
    for (auto it = m_shapes.rbegin(); it != m_shapes.rend(); ++it) {
        if (const auto* picture = dynamic_cast<const BmpRect*>(*it))
            return picture->corner(1);
    }
    return {};
}

void Scene::clearSelection() {
    for (Shape* shape : m_shapes) {
        if (auto* picture = dynamic_cast<BmpRect*>(shape))
            picture->setState(BmpRect::kStateNormal);
    }
}

bool Scene::findSelected() {
    for (Shape* shape : m_shapes) {
        auto* picture = dynamic_cast<BmpRect*>(shape);
        if (picture && picture->isSelected()) {
            m_selected = picture;
            return true;
        }
    }
    return false;
}

void Scene::updateEdgeMarksAll(const ViewTransform& vt) {
    for (Shape* shape : m_shapes) {
        if (auto* picture = dynamic_cast<BmpRect*>(shape))
            picture->updateEdgeMarks(vt);
    }
}

void Scene::layoutRow() {
    const BmpRectStream* previous = nullptr;
    for (Shape* shape : m_shapes) {
        auto* picture = dynamic_cast<BmpRectStream*>(shape);
        if (!picture)
            continue;
        if (!previous) {
            picture->placeByVector({0.0, 0.0}, {0.0, kUpright});
        } else {
            const PointD c = previous->corner(1);
            picture->placeByVector({c.x + kRowGap, c.y}, {c.x + kRowGap, c.y + kUpright});
        }
        picture->setComplete(true);
        Shape::notifyEndTool();
        previous = picture;
    }
}

RectD Scene::estimateBounds() const {
    return ::estimateBounds(m_shapes);
}

std::unique_ptr<Shape> Scene::createShape(int kind) {
    return ::createShape(kind);
}

void Scene::startMove() {
    m_current = &m_changePos;
    if (m_selected)
        m_changePos.setCorners(m_selected->corners());
}

bool Scene::startNewShape(int kind) {
    m_current = &m_newShape;
    return m_newShape.begin(kind);
}

void Scene::resetTool() {
    m_current = &m_draw;
}

void Scene::endTool() {
    m_current->finish();
    m_current = &m_draw;
}

namespace {

BmpRectStream* firstSelectedStored(const ShapeList& shapes) {
    for (Shape* shape : shapes) {
        auto* picture = dynamic_cast<BmpRectStream*>(shape);
        if (picture && picture->isSelected())
            return picture;
    }
    return nullptr;
}

// The record for the picture at node: its neighbours' names, or none when a neighbour that
// should give a name is not a picture.
std::optional<LessonEdit> recordFor(const ShapeList& shapes, ShapeNode node, int kind) {
    LessonEdit edit;
    edit.kind = kind;
    edit.picture = *node;
    if (node != shapes.begin()) {
        const auto* previous = dynamic_cast<const BmpRect*>(*std::prev(node));
        if (!previous)
            return std::nullopt;
        edit.previousName = previous->name();
    }
    if (std::next(node) != shapes.end()) {
        const auto* next = dynamic_cast<const BmpRect*>(*std::next(node));
        if (!next)
            return std::nullopt;
        edit.nextName = next->name();
    }
    return edit;
}

// The node of the first picture named name, or end().
ShapeNode firstNamed(ShapeList& shapes, const QByteArray& name) {
    for (auto it = shapes.begin(); it != shapes.end(); ++it) {
        const auto* picture = dynamic_cast<const BmpRect*>(*it);
        if (picture && picture->name() == name)
            return it;
    }
    return shapes.end();
}

} // namespace

bool Scene::deleteSelected() {
    BmpRectStream* picture = firstSelectedStored(m_shapes);
    if (!picture)
        return false;
    const ShapeNode node = picture->node();
    if (std::optional<LessonEdit> edit = recordFor(m_shapes, node, LessonEdit::kDeleted))
        m_lessonHistory.push_back(*edit);
    else
        m_shapes.retire(picture); // no record keeps it: the list must still destroy it once
    m_shapes.erase(node);
    if (m_selected == picture)
        m_selected = nullptr;
    return true;
}

bool Scene::moveSelected() {
    BmpRectStream* moved = firstSelectedStored(m_shapes);
    BmpRectStream* target = nullptr;
    for (Shape* shape : m_shapes) {
        auto* picture = dynamic_cast<BmpRectStream*>(shape);
        if (picture && (picture->leftMark() || picture->rightMark())) {
            target = picture;
            break;
        }
    }
    // A drop on nothing (or on the picture itself) leaves the row as it was.
    if (!moved || !target || moved == target)
        return false;

    if (std::optional<LessonEdit> edit = recordFor(m_shapes, moved->node(), LessonEdit::kMoved))
        m_lessonHistory.push_back(*edit);
    m_shapes.erase(moved->node());
    const ShapeNode at = target->node();
    m_shapes.insertBefore(target->leftMark() ? at : std::next(at), moved);
    layoutRow();
    return true;
}

Scene::Undone Scene::undoLessonEdit() {
    if (m_lessonHistory.empty()) {
        messageBox(QStringLiteral("Нет действий для отмены"));
        return Undone::Nothing;
    }
    const LessonEdit edit = m_lessonHistory.back();
    m_lessonHistory.pop_back();
    const bool hasPrevious = !edit.previousName.isEmpty();
    const bool hasNext = !edit.nextName.isEmpty();
    Undone undone = Undone::Deleted;

    if (edit.kind == LessonEdit::kDeleted) {
        if (hasPrevious && hasNext) {
            const ShapeNode next = firstNamed(m_shapes, edit.nextName);
            if (next != m_shapes.end())
                m_shapes.insertBefore(next, edit.picture);
            else
                m_shapes.retire(edit.picture); // stays out, still owned
        } else if (hasNext) {
            m_shapes.prepend(edit.picture);
        } else {
            m_shapes.append(edit.picture);
        }
    } else {
        undone = Undone::Moved;
        if (edit.picture->hasNode())
            m_shapes.erase(edit.picture->node());
        const ShapeNode next = hasNext ? firstNamed(m_shapes, edit.nextName) : m_shapes.end();
        if (hasNext && !hasPrevious)
            m_shapes.prepend(edit.picture);
        else
            m_shapes.insertBefore(next, edit.picture); // end(): appended
    }
    layoutRow();
    clearSelection();
    return undone;
}
