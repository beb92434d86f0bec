#include "Playback.h"

#include "BmpRectStream.h"
#include "DisplayState.h"
#include "Err.h"
#include "Instances.h"
#include "LessonTarget.h"
#include "PlaybackPrefetch.h"
#include "PreviewFit.h"
#include "Scene.h"
#include "ViewTransform.h"
#include "WindowServices.h"

#include <cmath>
#include <iterator>

namespace {

constexpr int kCyrillicTse = 0x0426; // Ц, the W key of a Russian layout
constexpr int kCyrillicPe = 0x041F;  // П, the G key of a Russian layout

Shape* elementAt(ShapeList& list, int position) {
    if (position < 0 || position >= static_cast<int>(list.size()))
        return nullptr;
    return *std::next(list.begin(), position);
}

// The size in device pixels a picture is drawn at under vt (as PictureImage::draw measures).
QSize drawnSize(const ViewTransform& vt, const BmpRect& picture, qreal dpr) {
    const PointD ul = vt.toPixels(picture.corner(3));
    const PointD ur = vt.toPixels(picture.corner(2));
    const PointD ll = vt.toPixels(picture.corner(0));
    const double w = std::hypot(ur.x - ul.x, ur.y - ul.y) * dpr;
    const double h = std::hypot(ll.x - ul.x, ll.y - ul.y) * dpr;
    if (!std::isfinite(w) || !std::isfinite(h) || w > 1e5 || h > 1e5)
        return {};
    return {qRound(w), qRound(h)};
}

} // namespace

const QString Playback::kNoLessonPicture = QStringLiteral("Укажите картинку из готового урока.");
const QString Playback::kNoTopic = QStringLiteral("Укажите тему.");

Playback::Playback(QObject* parent)
    : QObject(parent), m_prefetch(std::make_unique<PlaybackPrefetch>()) {}

Playback::~Playback() {
    m_prefetch->clear();
}

void Playback::startLesson() {
    m_position = 0;
    continueLesson();
}

void Playback::continueLesson() {
    LessonTarget* lesson = Instances::lesson();
    Scene* scene = lesson ? &lesson->lessonScene() : nullptr;
    if (!scene || !scene->firstPicture()) {
        messageBox(kNoLessonPicture);
        return;
    }
    play(scene->shapes());
}

void Playback::startTopicShow() {
    m_position = 0;
    Scene* plate = Instances::plateScene();
    if (!plate || plate->shapes().empty()) {
        messageBox(kNoTopic);
        return;
    }
    play(plate->shapes());
}

bool Playback::isPlaying() const {
    return m_sequence && DisplayState::current().fullScreen;
}

void Playback::play(ShapeList& list) {
    if (m_sequence != &list)
        m_prefetch->clear();
    if (m_sequence != &list || !isPlaying()) {
        // A new playback: no strokes of an earlier one come back.
        m_keptStrokes.clear();
        m_shownKey.reset();
        m_boardStrokes.reset();
    }
    m_sequence = &list;
    if (m_position + 1 > static_cast<int>(list.size()))
        m_position = 0;
    if (!elementAt(list, m_position))
        return;
    // From the normal layout this enters full-screen mode; playback never leaves it.
    if (!DisplayState::current().fullScreen) {
        m_entering = true;
        emit fullScreenWanted();
        m_entering = false;
    }
    showPictureAgain();
    showElement(m_position);
}

void Playback::showElement(int position) {
    Shape* element = m_sequence ? elementAt(*m_sequence, position) : nullptr;
    auto* stored = dynamic_cast<BmpRectStream*>(element);
    if (!stored)
        return; // the position stays on it, nothing is shown
    m_pending = m_prefetch->take(*stored);
    if (!m_pending)
        m_pending = stored->clone();
    m_nextKey = StrokeKey(stored, stored->name());
    emit pictureWanted();
    m_pending.reset(); // nobody took it
    // Only once the picture is on screen: the workers must not compete with its own decode.
    m_prefetchDue = true;
}

std::unique_ptr<BmpRectStream> Playback::takePicture() {
    m_played = m_pending.get();
    return std::move(m_pending);
}

void Playback::setBackwards(bool backwards) {
    m_backwards = backwards;
    emit directionChanged(backwards);
}

void Playback::step() {
    if (!isPlaying())
        return;
    m_position =
        preview::steppedPosition(m_position, static_cast<int>(m_sequence->size()), m_backwards);
    showPictureAgain();
    showElement(m_position);
}

void Playback::showPosition(int position) {
    if (!isPlaying() || m_sequence->empty())
        return;
    m_position = std::clamp(position, 0, static_cast<int>(m_sequence->size()) - 1);
    showPictureAgain();
    showElement(m_position);
}

bool Playback::key(int key, Qt::KeyboardModifiers modifiers) {
    if (!isPlaying() || m_overviewOpen || (modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (typedKey(key))
        return true;
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        setBackwards(false);
        step();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        setBackwards(true);
        step();
        return true;
    case Qt::Key_Home:
        showPosition(0);
        return true;
    case Qt::Key_End:
        showPosition(static_cast<int>(m_sequence->size()) - 1);
        return true;
    case Qt::Key_B:
    case Qt::Key_Period:
        toggleBlank();
        return true;
    case Qt::Key_W:
    case kCyrillicTse:
        setWhite(!m_white);
        return true;
    case Qt::Key_G:
    case kCyrillicPe:
    case Qt::Key_Tab:
        emit overviewWanted();
        return true;
    default:
        return false;
    }
}

bool Playback::typedKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (m_typed.size() < 6)
            m_typed += QChar(u'0' + (key - Qt::Key_0));
        return true;
    }
    const QString typed = std::exchange(m_typed, QString()); // any other key ends the number
    if (typed.isEmpty() || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return false;
    const int number = typed.toInt();
    if (number >= 1 && number <= static_cast<int>(m_sequence->size()))
        showPosition(number - 1);
    return true;
}

void Playback::showPictureAgain() {
    setBlank(false);
    setWhite(false);
}

// Black and white exclude each other; the one that goes is announced once the other holds.
void Playback::setBlank(bool on) {
    if (m_blank == on)
        return;
    m_blank = on;
    if (on && std::exchange(m_white, false))
        emit whiteChanged(false);
    emit blankChanged(on);
}

void Playback::setWhite(bool on) {
    if (m_white == on)
        return;
    m_white = on;
    if (on && std::exchange(m_blank, false))
        emit blankChanged(false);
    emit whiteChanged(on);
}

std::unique_ptr<PictureStrokes>
Playback::swapBoardStrokes(std::unique_ptr<PictureStrokes> current) {
    if (current)
        current->cancel();
    if (!m_white) {
        m_boardStrokes = std::move(current);
        return std::move(m_pictureStrokesAside);
    }
    m_pictureStrokesAside = std::move(current);
    if (!m_boardStrokes)
        m_boardStrokes = std::make_unique<PictureStrokes>();
    return std::move(m_boardStrokes);
}

void Playback::fullScreenChanged(bool on) {
    showPictureAgain();
    if (!on) {
        // Playback is over; the shown picture keeps its own.
        m_keptStrokes.clear();
        m_boardStrokes.reset();
    }
}

std::unique_ptr<PictureStrokes> Playback::exchangeStrokes(std::unique_ptr<PictureStrokes> hidden,
                                                          const BmpRect* shown) {
    if (hidden) {
        hidden->cancel();
        if (m_shownKey && isPlaying() && !hidden->isEmpty())
            m_keptStrokes[*m_shownKey] = std::move(hidden);
    }
    m_shownKey.reset();
    // Only the copy playback handed out is a sequence picture; any other ends that.
    if (!shown || shown != m_played)
        m_played = nullptr;
    if (!shown)
        return nullptr;
    if (m_played) {
        m_shownKey = m_nextKey;
        if (auto kept = m_keptStrokes.find(*m_shownKey); kept != m_keptStrokes.end()) {
            std::unique_ptr<PictureStrokes> strokes = std::move(kept->second);
            m_keptStrokes.erase(kept);
            return strokes;
        }
    }
    return std::make_unique<PictureStrokes>();
}

void Playback::prefetchNeighbours(const ViewTransform& vt, QSizeF view, qreal devicePixelRatio) {
    if (!isPlaying())
        return;
    const int n = static_cast<int>(m_sequence->size());
    if (n < 2)
        return;
    for (bool backwards : {false, true}) {
        const int at = preview::steppedPosition(m_position, n, backwards);
        const auto* next = dynamic_cast<const BmpRectStream*>(elementAt(*m_sequence, at));
        if (!next || next->bGif())
            continue;
        // Where the step will put it: the same fit from the same transform.
        ViewTransform fitted = vt;
        try {
            preview::fitPlayedPicture(fitted, next->previewBox(), view.width(), view.height());
        } catch (const Err&) {
            continue;
        }
        m_prefetch->request(*next, drawnSize(fitted, *next, devicePixelRatio));
    }
}
