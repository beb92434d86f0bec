#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class AviDlg;
class BmpRect;
class MediaHost;
class MediaWindow;
class QWidget;
class SwfDlg;
class ViewTransform;

// One medium that runs over the shown picture: a GIF's frames, a Flash movie or a video clip.
// Made running; destroyed, it stops and leaves the picture alone.
class PictureMedia {
public:
    virtual ~PictureMedia() = default;
    // Where the picture now lies, in the preview's pixels.
    virtual void place(const QRect& picture) = 0;
    // The black screen: nothing of it shows or runs; afterwards it goes on as it was.
    virtual void setBlanked(bool on) = 0;
    // The window over the picture, if the medium has one.
    virtual MediaWindow* window() const { return nullptr; }
};

// Every medium of the shown picture, made by the one rule that says which kinds a picture
// has, and driven together: so the black screen, a pan or a zoom reaches each of them.
class PictureMediaSet {
public:
    // What the media of a picture need from the preview they run over.
    struct Host {
        QWidget* preview = nullptr;
        MediaHost* host = nullptr;
        QString contentFolder;           // where the movie and clip names are found
        std::function<void()> nextFrame; // a GIF's next frame is due
    };

    // A Flash movie when the picture's name says "swf"; a video clip when its clip name says
    // "avi"; GIF frames for an animated picture.
    static bool hasVideo(const BmpRect& picture);
    // Where a window over the picture lies under vt, in the preview's pixels.
    static QRect over(const BmpRect& picture, const ViewTransform& vt);
    static PictureMediaSet create(const BmpRect& picture, const QRect& place, const Host& host);

    PictureMediaSet();
    PictureMediaSet(PictureMediaSet&&) noexcept;
    PictureMediaSet& operator=(PictureMediaSet&&) noexcept;
    ~PictureMediaSet();

    void place(const QRect& picture);
    // Repeats change nothing (a clip blanked twice would forget that it played).
    void setBlanked(bool on);
    void clear() { m_media.clear(); }
    // A movie or a clip window is open (they are made anew at a new size).
    bool hasWindows() const;
    std::vector<MediaWindow*> windows() const;

    // For tests and the panels.
    SwfDlg* flashWindow() const;
    AviDlg* videoWindow() const;
    const QTimer* gifTimer() const;

private:
    std::vector<std::unique_ptr<PictureMedia>> m_media;
    bool m_blanked = false;
};
