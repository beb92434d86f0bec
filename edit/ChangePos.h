#pragma once

#include "DrawNodes.h"
#include "PointD.h"

#include <QRectF>

#include <array>

// The tool current while a picture is moved to another place in a lesson. It keeps the
// corners of the picture being moved and draws, under the pointer, a red outline of that
// picture's size in view pixels. The outline is always axis-aligned, even for a turned
// picture, and follows the zoom.
class ChangePos : public DrawNodes {
public:
    using DrawNodes::DrawNodes;

    // Corners 0..3 of the picture being moved (plate units); all zero at first.
    void setCorners(const std::array<PointD, 4>& corners) { m_corners = corners; }
    const std::array<PointD, 4>& corners() const { return m_corners; }

    // The outline in view pixels: centred on the pointer, as wide as corner0->corner1 and
    // as high as corner0->corner3 measured in pixels.
    QRectF outline(const ViewTransform& vt) const;

    void drawOverlay(QPainter& g, const ViewTransform& vt) override;

private:
    std::array<PointD, 4> m_corners{};
};
