#include "PictureMedia.h"

#include "AviDlg.h"
#include "BmpRect.h"
#include "Cp1251.h"
#include "MediaPlacement.h"
#include "SwfDlg.h"
#include "ViewTransform.h"

#include <utility>

namespace {

class GifFrames : public PictureMedia {
public:
    GifFrames(int delayMs, std::function<void()> nextFrame) : m_delay(delayMs) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(nextFrame));
        m_timer.start(m_delay);
    }
    void place(const QRect&) override {}
    void setBlanked(bool on) override {
        if (on)
            m_timer.stop();
        else if (!m_timer.isActive())
            m_timer.start(m_delay);
    }
    const QTimer& timer() const { return m_timer; }

private:
    int m_delay;
    QTimer m_timer;
};

// A window over the picture: placed before it shows, deleted with the medium.
template <class Window> class WindowMedia : public PictureMedia {
public:
    WindowMedia(Window* window, const QRect& place) : m_window(window) { this->place(place); }
    ~WindowMedia() override { delete m_window; }
    void place(const QRect& picture) override {
        if (!m_window)
            return;
        m_window->setGeometry(picture);
        m_window->raise();
    }
    void setBlanked(bool on) override {
        if (m_window)
            m_window->setBlanked(on);
    }
    MediaWindow* window() const override { return m_window; }
    Window* typed() const { return m_window; }

private:
    QPointer<Window> m_window;
};

class FlashMovie : public WindowMedia<SwfDlg> {
public:
    FlashMovie(const BmpRect& picture, const QRect& place, const PictureMediaSet::Host& host)
        : WindowMedia(new SwfDlg(host.preview, *host.host, host.contentFolder), place) {
        typed()->show();
        typed()->play(cp1251::toUnicode(picture.swfNameMy()));
    }
};

class VideoClip : public WindowMedia<AviDlg> {
public:
    VideoClip(const BmpRect& picture, const QRect& place, const PictureMediaSet::Host& host)
        : WindowMedia(new AviDlg(host.preview, *host.host, host.contentFolder), place) {
        typed()->show();
        typed()->open(cp1251::toUnicode(picture.aviName()));
    }
    ~VideoClip() override {
        if (typed())
            typed()->stop();
    }
};

template <class Kind> Kind* find(const std::vector<std::unique_ptr<PictureMedia>>& media) {
    for (const auto& m : media)
        if (auto* kind = dynamic_cast<Kind*>(m.get()))
            return kind;
    return nullptr;
}

} // namespace

PictureMediaSet::PictureMediaSet() = default;
PictureMediaSet::PictureMediaSet(PictureMediaSet&&) noexcept = default;
PictureMediaSet& PictureMediaSet::operator=(PictureMediaSet&&) noexcept = default;
PictureMediaSet::~PictureMediaSet() = default;

bool PictureMediaSet::hasVideo(const BmpRect& picture) {
    return picture.aviName().contains("avi");
}

QRect PictureMediaSet::over(const BmpRect& picture, const ViewTransform& vt) {
    const PointD tl = vt.toPixels(picture.corner(3));
    const PointD br = vt.toPixels(picture.corner(1));
    return mediaWindowRect(QPointF(tl.x, tl.y), QPointF(br.x, br.y));
}

PictureMediaSet PictureMediaSet::create(const BmpRect& picture, const QRect& place,
                                        const Host& host) {
    PictureMediaSet set;
    if (picture.picName().contains("swf"))
        set.m_media.push_back(std::make_unique<FlashMovie>(picture, place, host));
    if (hasVideo(picture))
        set.m_media.push_back(std::make_unique<VideoClip>(picture, place, host));
    if (picture.bGif())
        set.m_media.push_back(std::make_unique<GifFrames>(picture.frameDelay(), host.nextFrame));
    return set;
}

void PictureMediaSet::place(const QRect& picture) {
    for (const auto& m : m_media)
        m->place(picture);
}

void PictureMediaSet::setBlanked(bool on) {
    if (std::exchange(m_blanked, on) == on)
        return;
    for (const auto& m : m_media)
        m->setBlanked(on);
}

bool PictureMediaSet::hasWindows() const {
    return !windows().empty();
}

std::vector<MediaWindow*> PictureMediaSet::windows() const {
    std::vector<MediaWindow*> found;
    for (const auto& m : m_media)
        if (MediaWindow* w = m->window())
            found.push_back(w);
    return found;
}

SwfDlg* PictureMediaSet::flashWindow() const {
    const FlashMovie* movie = find<FlashMovie>(m_media);
    return movie ? movie->typed() : nullptr;
}

AviDlg* PictureMediaSet::videoWindow() const {
    const VideoClip* clip = find<VideoClip>(m_media);
    return clip ? clip->typed() : nullptr;
}

const QTimer* PictureMediaSet::gifTimer() const {
    const GifFrames* frames = find<GifFrames>(m_media);
    return frames ? &frames->timer() : nullptr;
}
