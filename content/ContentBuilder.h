#pragma once

#include "Catalogue.h"
#include "FragmentPacker.h"

#include <QString>
#include <QTextStream>
#include <vector>

// Writes the whole content folder: fragments, media files, HTML pages with thumbnails and
// the price list. Output depends on nothing but the catalogue, so two runs give the same
// bytes.
class ContentBuilder {
public:
    struct Options {
        QString outDir;
        QString gstLaunch;  // empty: no video clip
        QString previewDir; // non-empty: also save every plate there as PNG
    };

    explicit ContentBuilder(Options options);

    // False after reporting the first failure on `log`.
    bool run(QTextStream& log);

    // Plate placement along the strip, lower edges on y = 0, left to right with a gap
    // between the plates' bounding boxes. Plate units; vecEnd lies 100 units from vecBeg.
    struct Placement {
        QPointF vecBeg;
        QPointF vecEnd;
    };
    static std::vector<Placement> layout(const std::vector<PlateDesign>& plates);
    // The picture record of a plate with its encoded bytes.
    static PackedPicture pack(const PlateDesign& plate, const Placement& at, QByteArray bytes);

private:
    bool writeFile(const QString& relativePath, const QByteArray& bytes, QTextStream& log);

    Options m_options;
};
