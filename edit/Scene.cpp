#include "Scene.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "CreateShape.h"
#include "EstimateBounds.h"
#include "FailureSummary.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "Instances.h"
#include "LessonSaving.h"
#include "LoadJob.h"
#include "Shape.h"
#include "WindowServices.h"

#include <optional>

#include <algorithm>

namespace {

// Row layout, plate units: each picture stands this high a vector and this far from the
// previous one.
constexpr double kRowGap = 30.0;
constexpr double kUpright = 100.0;

} // namespace

namespace {

// Appends a load's pictures to the list, which owns them from there; everything else goes to
// the listener.
class Delivery final : public FragmentSink {
public:
    Delivery(ShapeList& shapes, FragmentSink* listener) : m_shapes(shapes), m_listener(listener) {}
    void append(std::unique_ptr<BmpRectStream> picture) override {
        m_failures.addRead();
        if (picture)
            m_shapes.append(picture.release());
    }
    void setProgressRange(int minimum, int maximum) override {
        if (m_listener)
            m_listener->setProgressRange(minimum, maximum);
    }
    void stepProgress() override {
        if (m_listener)
            m_listener->stepProgress();
    }
    void recordDone(RecordOutcome outcome) override {
        if (m_listener)
            m_listener->recordDone(outcome);
    }
    void pictureFailed(const QString& message, const QString& name) override {
        if (m_listener)
            m_listener->pictureFailed(message, name);
        else
            m_failures.addFailure(message, name);
    }
    // Without a listener nobody else tells the user: one message at the end of the load.
    void showFailures() {
        if (!m_listener)
            m_failures.show();
    }
    bool isCancelled() const override { return m_listener && m_listener->isCancelled(); }
    bool sizesPictures() const override { return m_listener && m_listener->sizesPictures(); }
    QSize shownSize(const BmpRect& outline) override {
        return m_listener ? m_listener->shownSize(outline) : QSize();
    }

private:
    ShapeList& m_shapes;
    FragmentSink* m_listener;
    FailureSummary m_failures;
};

} // namespace

struct Scene::Load {
    // The job first: it is destroyed (and its workers waited for) before its sink.
    std::unique_ptr<Delivery> delivery;
    std::unique_ptr<LoadJob> job;
    ~Load() { job.reset(); }
};

Scene::Scene() = default;

Scene::~Scene() {
    Instances::unregisterPlateScene(*this);
    m_load.reset();
    m_retired.clear();
    destroyShapes();
}

void Scene::cancelLoad() {
    // Cancelled jobs whose own call is not on the stack any more can go now.
    std::erase_if(m_retired, [](const std::unique_ptr<Load>& l) { return !l->job->isInStep(); });
    if (!m_load)
        return;
    m_load->job->cancel();
    if (m_load->job->isInStep())
        m_retired.push_back(std::move(m_load));
    m_load.reset();
}

bool Scene::isLoading() const {
    return m_load && m_load->job->isRunning();
}

void Scene::finishLoad() {
    if (isLoading())
        m_load->job->runToEnd();
}

int Scene::loadRecordCount() const {
    return m_load ? m_load->job->recordCount() : 0;
}

Scene::Load& Scene::startLoad(bool fragment, const QString& path, FragmentSink* listener) {
    clear();
    auto load = std::make_unique<Load>();
    load->delivery = std::make_unique<Delivery>(m_shapes, listener);
    load->job =
        std::make_unique<LoadJob>(fragment ? LoadJob::Kind::Fragment : LoadJob::Kind::Lesson,
                                  m_storage, path, *load->delivery);
    m_load = std::move(load);
    return *m_load;
}

void Scene::loadFragment(const QString& path, FragmentSink* listener, std::function<void()> done) {
    Load& load = startLoad(true, path, listener);
    QObject::connect(load.job.get(), &LoadJob::finished, load.job.get(),
                     [delivery = load.delivery.get(), done = std::move(done)](bool) {
                         delivery->showFailures();
                         if (done)
                             done();
                     });
    load.job->start();
}

void Scene::loadLesson(const QString& path, FragmentSink* listener,
                       std::function<void(bool documentRead)> done) {
    Load& load = startLoad(false, path, listener);
    QObject::connect(
        load.job.get(), &LoadJob::finished, load.job.get(),
        [this, path, delivery = load.delivery.get(), done = std::move(done)](bool documentRead) {
            delivery->showFailures();
            if (documentRead)
                m_filePath = path;
            if (done)
                done(documentRead);
        });
    load.job->start();
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
    cancelLoad();
    destroyShapes();
    m_storage.close();
}

bool Scene::loadLesson(const QString& path, FragmentSink* listener) {
    Load& load = startLoad(false, path, listener);
    load.job->runToEnd();
    if (load.job->isCancelled())
        return false;
    load.delivery->showFailures();
    const bool read = load.job->documentRead();
    if (read)
        m_filePath = path;
    return read;
}

bool Scene::saveLesson(const QString& path, FileLock* hold) {
    if (isLoading())
        m_load->job->runToEnd();
    m_filePath = path;
    const std::vector<const Shape*> shapes(m_shapes.begin(), m_shapes.end());
    return store::saveLesson(m_storage, path, shapes, hold);
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

// The node of the first picture named name, or end().
ShapeNode firstNamed(ShapeList& shapes, const QByteArray& name) {
    for (auto it = shapes.begin(); it != shapes.end(); ++it) {
        const auto* picture = dynamic_cast<const BmpRect*>(*it);
        if (picture && picture->name() == name)
            return it;
    }
    return shapes.end();
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
        edit.next = next;
    }
    return edit;
}

// Where the picture after it stands now: the very picture while it is in the row, else the
// first picture of its name, else end().
ShapeNode nextNeighbour(ShapeList& shapes, const LessonEdit& edit) {
    if (edit.next && edit.next->hasNode())
        return edit.next->node();
    return firstNamed(shapes, edit.nextName);
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
            const ShapeNode next = nextNeighbour(m_shapes, edit);
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
        const ShapeNode next = hasNext ? nextNeighbour(m_shapes, edit) : m_shapes.end();
        if (hasNext && !hasPrevious)
            m_shapes.prepend(edit.picture);
        else
            m_shapes.insertBefore(next, edit.picture); // end(): appended
    }
    layoutRow();
    clearSelection();
    return undone;
}
