#include "CreateShape.h"

#include "BmpRectFile.h"
#include "BmpRectFileDirect.h"
#include "BmpRectStream.h"
#include "Pline.h"
#include "RectShape.h"
#include "VectorLine.h"

std::unique_ptr<Shape> createShape(int kind) {
    switch (kind) {
    case static_cast<int>(ShapeKind::VectorLine):
        return std::make_unique<VectorLine>();
    case static_cast<int>(ShapeKind::BmpRectFile):
        return std::make_unique<BmpRectFile>();
    case static_cast<int>(ShapeKind::BmpRectFileDirect):
        return std::make_unique<BmpRectFileDirect>();
    case static_cast<int>(ShapeKind::BmpRectStream):
        return std::make_unique<BmpRectStream>();
    case static_cast<int>(ShapeKind::RectShape):
        return std::make_unique<RectShape>();
    case static_cast<int>(ShapeKind::Pline):
        return std::make_unique<Pline>();
    default:
        return nullptr;
    }
}
