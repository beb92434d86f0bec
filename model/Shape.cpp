#include "Shape.h"

namespace {
std::function<void()>& endToolHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

Shape::~Shape() = default;
void Shape::draw(QPainter&, const ViewTransform&) {}
void Shape::drawExtra(QPainter&, const ViewTransform&) {}
void Shape::drawCreating(QPainter&, const ViewTransform&) {}
void Shape::addPoint(const ViewTransform&) {}
bool Shape::hitTest(const ViewTransform&) {
    m_hit = false;
    return false;
}
bool Shape::removeLastPoint() {
    return false;
}
bool Shape::restorePoint() {
    return false;
}
void Shape::validate() {}

void Shape::setEndToolHandler(std::function<void()> handler) {
    endToolHandler() = std::move(handler);
}

void Shape::notifyEndTool() {
    // A copy: the handler may replace itself while it runs.
    const auto handler = endToolHandler();
    if (handler)
        handler();
}
