#pragma once

#include "DroppedFiles.h"
#include "Lesson.h"
#include "LessonDisplay.h"
#include "LessonTarget.h"
#include "StripView.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class BmpRect;
class BmpRectStream;
class PictureDrop;

// The lesson row: the lesson's pictures side by side in lesson order, zoomed so that the first
// one and a band of 100 plate units below it fill the pane's height, scrolled horizontally.
// A click on a picture marks it and hands a copy to the preview; in the move mode (entered
// from the palette) the pointer marks the edge of the picture it is over and a click drops the
// selected picture there. Picture files, folders of pictures and lesson files dragged from a
// file manager are taken (DroppedFiles.h); Ctrl+Z undoes the newest lesson edit.
// Coordinates as in the plate strip (StripView).
//
// The lesson pane holds it; it is registered as the program's lesson (Instances::lesson())
// and owns the lesson.
class LessView : public StripView, public LessonDisplay, public LessonTarget {
    Q_OBJECT
public:
    static const QString kCaption; // "Урок"

    explicit LessView(QWidget* parent = nullptr);
    ~LessView() override;

    Lesson& lesson() { return m_lesson; }
    const Lesson& lesson() const { return m_lesson; }
    Scene& scene() override { return m_lesson.scene(); }
    const Scene& scene() const override { return m_lesson.scene(); }

    // Palette commands. Refusals are message boxes; the lesson is unchanged after each.
    void deletePicture();
    // true: the move mode is on, the selected picture waits for a click in the row.
    bool beginMovePicture();
    void cancelMovePicture();
    void undoEdit();
    // The menu's and the palette's "Открыть": open, then fit and scroll sizes.
    void openLessonAndRelayout();
    // Fit, scroll sizes and a repaint; for a lesson still loading, when its load has ended.
    void relayout();

    // The anchor point goes to the first picture's left edge at the top of the pane, and the
    // pan stays where the drag left it.
    void endDrag();
    // The saved scroll position is always the row's start; leaving full-screen mode scrolls
    // back to it (restoreScrollPosition).

    // LessonDisplay (fitToHeight and updateScrollSizes: StripView's)
    void fitToHeight() override;
    void updateScrollSizes() override;
    void invalidate() override;
    void resetAnchor() override;
    QWidget* loadingWindowOwner() override { return this; }

    // LessonTarget
    void addPicture(std::unique_ptr<BmpRect> picture) override;
    // Re-fits and repaints the row afterwards.
    void appendAllPictures(Scene& source) override;
    Scene& lessonScene() override { return scene(); }

    // Dropped picture files are still being added (PictureDrop).
    bool isDropping() const;
    PictureDrop* pictureDrop() const { return m_drop.get(); }

signals:
    // The middle button was released here: every drag in progress should end.
    void dragsEndRequested();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void pointerMoved() override;
    void leftButtonPressed() override;
    void userScrolled() override;
    bool refusesDrops() const override;
    void takeDrop(const std::vector<drops::Action>& actions) override;

private:
    void dropPicture();
    void endMoveMode();
    int pictureCount() const;
    void updateCursor();
    // Pictures are added in steps (PictureDrop).
    void addDroppedPictures(QStringList pictures);

    Lesson m_lesson{*this};
    std::unique_ptr<PictureDrop> m_drop;
};
