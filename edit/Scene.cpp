#include "Scene.h"

#include "BmpRect.h"
#include "BmpRectStream.h"
#include "CreateShape.h"
#include "EstimateBounds.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "Instances.h"
#include "LessonSaving.h"
#include "LoadJob.h"
#include "RowCommands.h"
#include "Shape.h"

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
// the listener, which tells the user what failed (nobody does without one).
class Delivery final : public FragmentSink {
public:
    Delivery(ShapeList& shapes, FragmentSink* listener) : m_shapes(shapes), m_listener(listener) {}
    void append(std::unique_ptr<BmpRectStream> picture) override {
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
    }
    void loadFailed(const QString& message) override {
        if (m_listener)
            m_listener->loadFailed(message);
    }
    bool isCancelled() const override { return m_listener && m_listener->isCancelled(); }
    bool sizesPictures() const override { return m_listener && m_listener->sizesPictures(); }
    QSize shownSize(const BmpRect& outline) override {
        return m_listener ? m_listener->shownSize(outline) : QSize();
    }

private:
    ShapeList& m_shapes;
    FragmentSink* m_listener;
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
                     [done = std::move(done)](bool) {
                         if (done)
                             done();
                     });
    load.job->start();
}

void Scene::loadLesson(const QString& path, FragmentSink* listener,
                       std::function<void(bool documentRead)> done) {
    Load& load = startLoad(false, path, listener);
    QObject::connect(load.job.get(), &LoadJob::finished, load.job.get(),
                     [this, path, done = std::move(done)](bool documentRead) {
                         if (documentRead)
                             m_filePath = path;
                         if (done)
                             done(documentRead);
                     });
    load.job->start();
}

void Scene::destroyShapes() {
    // The commands first: they name pictures of the list.
    m_lessonHistory.clear();
    m_selected = nullptr;
    m_shapes.clear();
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
    const bool read = load.job->documentRead();
    if (read)
        m_filePath = path;
    return read;
}

bool Scene::saveLesson(const QString& path, FileLock* hold, QString* failure) {
    if (isLoading())
        m_load->job->runToEnd();
    m_filePath = path;
    const std::vector<const Shape*> shapes(m_shapes.begin(), m_shapes.end());
    QString untold; // a caller that does not ask is told nothing: the scene shows no box
    return store::saveLesson(m_storage, path, shapes, hold, failure ? failure : &untold);
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

} // namespace

bool Scene::deleteSelected() {
    BmpRectStream* picture = firstSelectedStored(m_shapes);
    if (!picture)
        return false;
    if (m_selected == picture)
        m_selected = nullptr;
    if (std::optional<RowPlace> place = RowPlace::of(m_shapes, picture->node())) {
        m_lessonHistory.push(new DeletePicture(m_shapes, *picture, *place));
    } else {
        m_shapes.erase(picture->node());
        m_shapes.retire(picture); // no command holds it: the list must still destroy it once
    }
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

    const bool before = target->leftMark();
    if (std::optional<RowPlace> place = RowPlace::of(m_shapes, moved->node()))
        m_lessonHistory.push(new MovePicture(m_shapes, *moved, *target, before, *place));
    else
        MovePicture::moveBeside(m_shapes, *moved, *target, before);
    layoutRow();
    return true;
}

Scene::Undone Scene::undoLessonEdit() {
    if (!m_lessonHistory.canUndo())
        return Undone::Nothing;
    const auto* newest =
        static_cast<const LessonCommand*>(m_lessonHistory.command(m_lessonHistory.index() - 1));
    const Undone undone =
        newest->kind() == LessonCommand::Kind::Deleted ? Undone::Deleted : Undone::Moved;
    m_lessonHistory.undo();
    layoutRow();
    clearSelection();
    return undone;
}
