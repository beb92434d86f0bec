#pragma once

#include "PointD.h"
#include "Scene.h"
#include "SceneLoadSink.h"
#include "StripView.h"
#include "ViewTransform.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class BmpRect;
class BmpRectStream;
class LoadDlg;

// The plate strip: every plate of the open topic side by side, zoomed so that the first one
// fills the pane's height, scrolled horizontally. A click on a plate marks it and hands an
// independent copy to the preview (Instances::preview()), and another to whoever listens to
// pictureChosen.
//
// The transform's shift pins the first plate at the anchor point (coordinates: StripView).
// A fragment file dragged from a file manager onto the strip is shown (DroppedFiles.h).
//
// The frame's pane views hold it; its scene is the program-wide plate scene
// (Instances::plateScene()).
class KovrelView : public StripView {
    Q_OBJECT
public:
    static const QString kCaption;           // "Иллюстрации"
    static constexpr int kSelectMargin = 10; // px left of a picture selected by name

    explicit KovrelView(QWidget* parent = nullptr);
    ~KovrelView() override;

    // A full fragment path: shows the loading window and starts replacing the strip by the
    // fragment's plates, returning at once. The plates are appended to the scene as they
    // arrive (so a command meanwhile sees those read so far) but not drawn until the load has
    // ended; then the window closes and the strip is fitted to the pane and painted.
    // Empty: empties the strip (the zoom stays). Either cancels a load that runs; so do the
    // scene's clear and the view's end. A failure of the file is shown by the loader;
    // pictures that did not decode are told in one message once the load has ended. The
    // window's "Отмена" ends the load as if it had ended there. Whatever was read stays
    // shown.
    void showFragment(const QString& path);
    // Marks the first plate whose "picName" equals the normalised name (see PictureNames.h),
    // hands a copy to pictureChosen and scrolls it to kSelectMargin px from the left edge.
    // A name no plate has does nothing. While a fragment loads the name is kept and chosen
    // once the load has ended (a topic link shows a fragment, then picks one of its plates).
    void selectPicture(const QByteArray& name);
    // Copies every stored plate into the lesson (Instances::lesson()), after asking when the
    // lesson already holds pictures. Without a lesson: nothing.
    void addAllToLesson();
    Scene& scene() override { return m_scene; }
    const Scene& scene() const override { return m_scene; }
    bool isLoading() const { return m_scene.isLoading(); }

signals:
    // A copy of the plate the user picked, for the preview; the receiver may keep it.
    void pictureChosen(std::shared_ptr<BmpRect> picture);
    // The pane changed its size: the floating panels beside the panes should be re-placed.
    void panelsPlacementNeeded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawRow(QPainter& g) override;
    void pointerMoved() override;
    void leftButtonPressed() override;
    void choose(const BmpRectStream& picture) override;
    void userScrolled() override;
    QPoint menuKeyPoint() const override;
    void takeDrop(const std::vector<drops::Action>& actions) override;

private:
    void placeLoadingWindow(LoadDlg& window) const;
    void loadEnded();
    // The loading window's "Отмена": the strip keeps what was read, nothing more is told.
    void cancelLoadFromWindow();
    QSize shownSizeWhenFitted(const BmpRect& outline);

    Scene m_scene;
    std::unique_ptr<LoadDlg> m_loadWindow;
    SceneLoadSink m_loadListener;
    // The transform the strip will have once fitted to the load's first plate (made when
    // its outline is known), for the size the plates decode at.
    std::optional<ViewTransform> m_loadFit;
    std::optional<QByteArray> m_selectWhenLoaded;
};
