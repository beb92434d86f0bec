#pragma once

#include "PointD.h"
#include "RectD.h"
#include "Shape.h"

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

#include <array>
#include <memory>

class PictureImage;
class BmpRectStream;

// A picture: a raster image placed, turned and scaled in the plate plane by a placement
// vector, with an optional frame and caption. The picture keeps its own encoded bytes;
// drawing never reads a file or a container.
//
// Placement: the image's reference vector (image units, (0,0)->(0,10) once an image is
// loaded) is matched to vecBeg->vecEnd by a turn only (never a stretch), so by default the
// lower-left corner sits on vecBeg and the upward side points toward vecEnd.
// Corners: 0 lower left, 1 lower right, 2 upper right, 3 upper left (plate units).
class BmpRect : public Shape {
public:
    static constexpr int kStateNormal = 1;
    static constexpr int kStateSelected = 3; // any value above 1 counts as selected

    BmpRect();
    ~BmpRect() override;

    void draw(QPainter& g, const ViewTransform& vt) override;
    void drawCreating(QPainter& g, const ViewTransform& vt) override;
    // Places the picture at the pointer, marks it complete and ends the tool.
    void addPoint(const ViewTransform& vt) override;
    // Pointer strictly inside the box between corner3 and corner1 (an edge is a miss).
    bool hitTest(const ViewTransform& vt) override;
    PointDArray points() const override;

    // Sets vecBeg = p1, vecEnd = p2 and recomputes the corners. A zero-length or non-finite
    // vector places the picture upright; a non-finite p1 counts as (0, 0).
    void placeByVector(PointD p1, PointD p2);
    // Scales width and height by s (truncated), resets the reference vector and places the
    // picture again; clears the edge marks. A non-finite or non-positive s, or one that
    // would overflow the size, is taken as 1.0.
    void setScale(double s);
    // 1 = normal (orange-yellow pen, width 1); anything else = selected (red, width 2.5).
    void setState(int state);
    // The caption in code page 1251 (drawn below the lower-left corner when bFrame is set).
    void setCaption(const QByteArray& caption);
    // Left or right mark by the half of the picture the pointer is in; both cleared outside.
    void updateEdgeMarks(const ViewTransform& vt);
    void clearEdgeMarks();
    // An independent copy with its own bytes and image, normal state, frame index 0 and no
    // marks. Shows "Failed clone" when the copy ends without an image.
    std::unique_ptr<BmpRectStream> clone() const;
    // Decodes the image again from the picture's own bytes; the frame index does not change.
    void reloadImage();
    // Fills frame count and frame delay from the image when bGif is set.
    void readGifInfo();
    // The box of the lesson preview: lower-left to upper-right corner with 40 plate units
    // below for the caption. Raises Err like any RectD when a turn makes it inverted.
    RectD previewBox() const;

    // The picture's own encoded bytes (what a save writes as its stream); empty when none.
    const QByteArray& streamBytes() const { return m_bytes; }

    PointD vecBeg() const { return m_vecBeg; }
    PointD vecEnd() const { return m_vecEnd; }
    PointD corner(int i) const { return m_corner.at(static_cast<std::size_t>(i)); }
    const std::array<PointD, 4>& corners() const { return m_corner; }

    bool bFrame() const { return m_bFrame; }
    void setBFrame(bool on) { m_bFrame = on; }
    bool bAvi() const { return m_bAvi; }
    void setBAvi(bool on) { m_bAvi = on; }
    bool bGif() const { return m_bGif; }
    void setBGif(bool on) { m_bGif = on; }

    const QByteArray& srcName() const { return m_srcName; }
    void setSrcName(const QByteArray& v) { m_srcName = v; }
    const QByteArray& picName() const { return m_picName; }
    void setPicName(const QByteArray& v) { m_picName = v; }
    const QByteArray& swfNameMy() const { return m_swfNameMy; }
    void setSwfNameMy(const QByteArray& v) { m_swfNameMy = v; }
    const QByteArray& aviName() const { return m_aviName; }
    void setAviName(const QByteArray& v) { m_aviName = v; }
    const QByteArray& name() const { return m_name; }
    void setName(const QByteArray& v) { m_name = v; }
    const QByteArray& caption() const { return m_caption; }

    double scale() const { return m_scale; }
    // Stores the scale as read from a record, without applying it (loadFromStream applies it).
    void setStoredScale(double s) { m_scale = s; }

    int state() const { return m_state; }
    bool isSelected() const { return m_state > kStateNormal; }
    bool rightMark() const { return m_rightMark; }
    bool leftMark() const { return m_leftMark; }

    int width() const { return m_width; }   // plate units
    int height() const { return m_height; } // plate units
    bool hasImage() const { return m_image != nullptr; }
    PictureImage* image() const { return m_image.get(); }

    int frameIndex() const { return m_frameIndex; }
    int frameCount() const { return m_frameCount; }
    // Milliseconds between GIF frames: the first frame's delay. Like browsers, a delay of
    // 10 ms or less (0 included) counts as 100 ms, so an animation timer never spins.
    int frameDelay() const { return m_frameDelay; }
    static constexpr int kShortDelayLimitMs = 10;
    static constexpr int kDefaultFrameDelayMs = 100;

    PointD referenceStart() const { return m_refStart; }
    PointD referenceEnd() const { return m_refEnd; }
    double referenceLength() const { return m_refLength; }

    QColor penColour() const { return m_penColour; }
    double penWidth() const { return m_penWidth; }
    QColor brushColour() const { return m_brushColour; }

protected:
    // Takes an image (or none) and sets width and height to its pixel size with the default
    // reference vector; the frame index is kept.
    void adoptImage(std::unique_ptr<PictureImage> image);
    void setImageOnly(std::unique_ptr<PictureImage> image);
    // Width and height as an image of that size gives them, with the default reference vector.
    void setPixelSize(QSize pixels);
    void resetReference();
    void setOwnBytes(const QByteArray& bytes) { m_bytes = bytes; }
    void placeAtPointer(const ViewTransform& vt);
    void drawPicture(QPainter& g, const ViewTransform& vt, bool creating);

private:
    PointD m_vecBeg;
    PointD m_vecEnd;
    bool m_bFrame = false;
    bool m_bAvi = false;
    bool m_bGif = false;
    std::array<PointD, 4> m_corner{};
    QByteArray m_srcName;
    QByteArray m_picName;
    QByteArray m_swfNameMy;
    QByteArray m_aviName;
    int m_frameDelay = kDefaultFrameDelayMs;
    double m_scale = 1.0;
    int m_state = kStateNormal;
    bool m_rightMark = false;
    bool m_leftMark = false;
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<PictureImage> m_image;
    QByteArray m_name;
    PointD m_refStart;
    PointD m_refEnd;
    int m_frameIndex = 0;
    int m_frameCount = 1;
    double m_refLength = 0.0;
    QByteArray m_caption;
    QString m_captionText; // the caption as drawn
    QColor m_brushColour;
    QColor m_penColour;
    double m_penWidth = 1.0;
    QByteArray m_bytes; // the encoded image, shared with the image holder
};
