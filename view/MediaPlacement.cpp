#include "MediaPlacement.h"

QRect mediaWindowRect(QPointF upperLeftPx, QPointF lowerRightPx) {
    return QRect(int(upperLeftPx.x() + 1), int(upperLeftPx.y() + 2),
                 int(lowerRightPx.x() - upperLeftPx.x()), int(lowerRightPx.y() - upperLeftPx.y()));
}
