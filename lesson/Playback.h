#pragma once

#include "PictureStrokes.h"

#include <QByteArray>
#include <QObject>
#include <QSizeF>

#include <map>
#include <memory>
#include <optional>
#include <utility>

class BmpRect;
class BmpRectStream;
class PlaybackPrefetch;
class Shape;
class ShapeList;
class ViewTransform;

// Full-screen playback of a sequence, the lesson or the topic's plates, without any window:
// where it stands, stepping with wrap, the first and last picture, the black screen, going
// on where the lesson was left, the neighbours decoded ahead and the strokes kept for each
// picture of the sequence while it lasts. The white board (W) is the black screen's
// counterpart: a white screen in place of the picture to draw on, its strokes kept while the
// playback lasts. The sequence is read afresh at every step, so
// edits made meanwhile are seen.
//
// It shows nothing itself: pictureWanted() tells the preview a stand-alone copy is ready
// (takePicture); the presenter view follows the preview's pictureShown().
class Playback : public QObject {
    Q_OBJECT
public:
    static const QString kNoLessonPicture; // "Укажите картинку из готового урока."
    static const QString kNoTopic; // "Укажите тему."

    explicit Playback(QObject* parent = nullptr);
    ~Playback() override;

    // The lesson from its first picture, or from where it was left (the first again when the
    // lesson has shrunk below it); the topic's plates from the first. Each asks for full
    // screen when the normal layout shows, and says why when there is nothing to play.
    void startLesson();
    void continueLesson();
    void startTopicShow();

    // A sequence is set and full-screen mode is on.
    bool isPlaying() const;
    const ShapeList* sequence() const { return m_sequence; }
    int position() const { return m_position; }
    bool isBackwards() const { return m_backwards; }
    // The direction the next click or step goes (the pointer's half of the screen).
    void setBackwards(bool backwards);
    // One step in the current direction, wrapping at both ends.
    void step();
    // Any position, clamped to the sequence.
    void showPosition(int position);
    // The keys of a presentation remote: steps, Home/End, B or '.' for the black screen, W for
    // the white board, a number typed then Enter for that picture (nothing when there is no
    // such picture). true when the key was taken.
    // G or Tab asks for the overview of the show (overviewWanted); while it is open, every key
    // is left to it.
    bool key(int key, Qt::KeyboardModifiers modifiers);
    bool isOverviewOpen() const { return m_overviewOpen; }
    void setOverviewOpen(bool open) { m_overviewOpen = open; }

    bool isBlank() const { return m_blank; }
    void setBlank(bool on);
    void toggleBlank() { setBlank(!m_blank); }
    bool isWhite() const { return m_white; }
    void setWhite(bool on);
    // The pen's strokes go to the board as it comes (those of the picture are put aside) and
    // come back as it goes; call on whiteChanged.
    std::unique_ptr<PictureStrokes> swapBoardStrokes(std::unique_ptr<PictureStrokes> current);
    // Full screen came (true) or went: the screen shows the picture, and once it has gone the
    // kept strokes go with the playback.
    void fullScreenChanged(bool on);
    // While playback asks for full screen: the picture it shows next brings its own fit.
    bool isEntering() const { return m_entering; }

    // The copy announced by pictureWanted(); null once taken.
    std::unique_ptr<BmpRectStream> takePicture();
    // The shown picture when it is the copy playback handed out, else null.
    const BmpRectStream* playedCopy() const { return m_played; }
    // The preview hides a picture with its strokes and shows another (null: none): the strokes
    // of a sequence picture are kept for its return, and the ones kept for the shown one come
    // back (new ones otherwise; null without a picture).
    std::unique_ptr<PictureStrokes> exchangeStrokes(std::unique_ptr<PictureStrokes> hidden,
                                                    const BmpRect* shown);

    // True once after a picture of the sequence was handed out or the screen changed size:
    // its neighbours should be prepared, once the picture is on screen.
    bool takePrefetchDue() { return std::exchange(m_prefetchDue, false); }
    void notePrefetchDue() { m_prefetchDue = isPlaying(); }
    // Asks for both neighbours at the size they will be drawn at, fitted as a step fits them
    // from vt in a view of the given size.
    void prefetchNeighbours(const ViewTransform& vt, QSizeF view, qreal devicePixelRatio);
    PlaybackPrefetch& prefetch() { return *m_prefetch; }

signals:
    void pictureWanted();
    // Playback begins from the normal layout.
    void fullScreenWanted();
    void blankChanged(bool blank);
    void whiteChanged(bool white);
    void directionChanged(bool backwards);
    void overviewWanted();

private:
    void play(ShapeList& list);
    void showElement(int position);
    // Back to the picture from the black screen and the white board.
    void showPictureAgain();
    bool typedKey(int key);

    ShapeList* m_sequence = nullptr;
    int m_position = 0;
    bool m_backwards = false;
    bool m_blank = false;
    bool m_white = false;
    QString m_typed; // digits of a picture number, until Enter
    bool m_overviewOpen = false;
    std::unique_ptr<PictureStrokes> m_boardStrokes;
    std::unique_ptr<PictureStrokes> m_pictureStrokesAside;
    bool m_entering = false;
    bool m_prefetchDue = false;
    std::unique_ptr<BmpRectStream> m_pending;
    const BmpRectStream* m_played = nullptr; // compared only: the preview owns it
    std::unique_ptr<PlaybackPrefetch> m_prefetch;

    // A picture of the sequence, by its element and name (a new element at a freed address
    // rarely has the same name).
    using StrokeKey = std::pair<const Shape*, QByteArray>;
    std::optional<StrokeKey> m_shownKey; // the sequence picture shown, if it is one
    std::optional<StrokeKey> m_nextKey;  // the one the next handed-out copy comes from
    std::map<StrokeKey, std::unique_ptr<PictureStrokes>> m_keptStrokes;
};
