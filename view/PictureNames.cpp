#include "PictureNames.h"

#include <array>

QByteArray normalisedPictureName(const QByteArray& name) {
    static constexpr std::array<const char*, 5> kRemoved = {"GIF", "gif", "jpg", "rsc", "."};
    QByteArray result = name;
    for (const char* part : kRemoved) {
        const QByteArray token(part);
        const qsizetype at = result.indexOf(token);
        if (at >= 0)
            result.remove(at, token.size());
    }
    return result;
}
