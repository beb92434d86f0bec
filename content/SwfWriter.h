#pragma once

#include <QByteArray>
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QSize>
#include <vector>

// A filled outline of a Flash shape, in stage pixels (y down). Each contour is closed
// automatically; segments are straight or quadratic (control point, end point).
struct SwfContour {
    struct Segment {
        bool curved = false;
        QPointF control;
        QPointF to;
    };
    QPointF start;
    std::vector<Segment> segments;
    QColor fill;
    QColor line;          // invalid: no outline
    double lineWidth = 0; // pixels

    SwfContour& lineTo(QPointF p);
    SwfContour& curveTo(QPointF control, QPointF p);

    static SwfContour polygon(const std::vector<QPointF>& points, QColor fill);
    // A circle from eight quadratic arcs, the usual way Flash stores circles.
    static SwfContour circle(QPointF centre, double radius, QColor fill);
    static SwfContour rect(double x, double y, double w, double h, QColor fill);

    // The contours with every group of overlapping outline-less contours of one colour joined
    // into their union. A player fills one colour's outlines of a shape by the even-odd rule,
    // so a place two such contours share would show as a hole (the cloud's circles did).
    static std::vector<SwfContour> joinOverlaps(const std::vector<SwfContour>& contours);
    QPainterPath path() const;
};

// An uncompressed SWF movie (version 6): shapes defined once, placed on depths and moved
// frame by frame with PlaceObject2. Coordinates are pixels; the file stores twips (1/20 px).
class SwfMovie {
public:
    SwfMovie(QSize stage, int framesPerSecond, QColor background);

    // Returns the character id of the new shape (DefineShape, tag 2).
    int defineShape(const std::vector<SwfContour>& contours);
    // First placement of a character on a depth (PlaceObject2 with a character).
    void place(int depth, int characterId, QPointF offset, double scale = 1.0);
    // Moves what stands on a depth (PlaceObject2 with the move flag).
    void move(int depth, QPointF offset, double scale = 1.0);
    void showFrame();

    int frameCount() const { return m_frames; }
    // The whole file: header with the final length and frame count, tags, End tag.
    QByteArray finish() const;

private:
    void appendTag(int code, const QByteArray& body);

    QSize m_stage;
    int m_fps;
    int m_frames = 0;
    int m_nextId = 1;
    QByteArray m_tags;
};

// Bit-level writer for SWF's packed records (most significant bit first).
class SwfBits {
public:
    void unsignedBits(quint32 value, int bits);
    void signedBits(qint32 value, int bits);
    void align();
    QByteArray bytes();

    // Bits needed to hold every value as a signed field (at least 1).
    static int signedWidth(std::initializer_list<qint32> values);

private:
    QByteArray m_out;
    quint8 m_current = 0;
    int m_used = 0;
};
