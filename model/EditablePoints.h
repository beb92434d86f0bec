#pragma once

#include "PointD.h"

// The defining points of a line shape with the undo side of point editing: removed points
// wait in their own array until restored or until a new point is added.
class EditablePoints {
public:
    const PointDArray& points() const { return m_points; }
    int count() const { return static_cast<int>(m_points.size()); }
    PointD at(int i) const { return m_points.at(static_cast<std::size_t>(i)); }

    // Appends a point; removed points can no longer come back.
    void add(PointD p) {
        m_removed.clear();
        m_points.push_back(p);
    }
    // Moves the last point to the removed points while the count exceeds the floor.
    bool removeLast() {
        if (count() <= m_floor)
            return false;
        m_removed.push_back(m_points.back());
        m_points.pop_back();
        return true;
    }
    // Brings the last removed point back to the end.
    bool restore() {
        if (m_removed.empty())
            return false;
        m_points.push_back(m_removed.back());
        m_removed.pop_back();
        return true;
    }
    int floor() const { return m_floor; }
    void setFloor(int floor) { m_floor = floor; }

private:
    PointDArray m_points;
    PointDArray m_removed;
    int m_floor = 0;
};
