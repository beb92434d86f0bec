#pragma once

#include "PointD.h"
#include "XmlDoc.h"

#include <QByteArray>
#include <QSize>
#include <memory>
#include <optional>

class BmpRect;
class BmpRectStream;

// One picture record: an "Object" element of the "xml" stream of a fragment or lesson file.
//
// Written records are always of type "BmpRectStream" with the points as direct "x"/"y"
// children of "vecBeg"/"vecEnd"; fragments may also hold the older type "BmpRect", whose
// points are wrapped in a "PointD" element. Both become a BmpRectStream when read.
//
// Reading is split in the steps the loaders interleave with the container: readFields (type,
// name, texts, flags, scale), then the caller fetches the picture stream by name, then
// readPoints, then makePicture. makePicture touches neither the document nor the container,
// so it may run on a worker thread.
struct ObjectRecord {
    enum class Accept {
        FragmentTypes, // "BmpRect" and "BmpRectStream"
        LessonTypes,   // "BmpRectStream" only
    };

    QByteArray type;
    QByteArray name; // also the name of the picture's stream
    QByteArray srcName;
    QByteArray swfNameMy;
    QByteArray aviName;
    QByteArray picName;
    bool bFrame = false;
    bool bAvi = false;
    bool bGif = false;
    double scale = 1.0; // image pixels to plate units
    PointD vecBeg;      // plate units
    PointD vecEnd;

    static bool isPictureType(const QByteArray& type, Accept accept);

    // Type, name, texts, flags and scale of the record at range. Nothing for a record of
    // another type or without "name"; such records are passed over without a message.
    static std::optional<ObjectRecord> readFields(const XmlDoc& doc, const XmlRange& range,
                                                  Accept accept);
    // Every field the record has, read like readFields but whatever its type and with or
    // without a name (absent texts empty, defaults as readFields gives them); pointsFound
    // tells whether readPoints succeeded. For tools that show what a file holds.
    static ObjectRecord readLoose(const XmlDoc& doc, const XmlRange& range, bool* pointsFound);

    // The four coordinates; false when one is absent (including a missing "vecBeg",
    // "vecEnd" or, for "BmpRect", "PointD"). A coordinate that is not a finite number
    // ("inf", "nan", "1e999") counts as found: the vector then places the picture upright,
    // at its start point, or at the origin when that is not finite (vecEnd = vecBeg).
    bool readPoints(const XmlDoc& doc, const XmlRange& range);

    // A picture holding these fields and decoded from bytes, placed by the vector with the
    // scale applied. Raises Err "Failed to create BmpRectStream" or "Failed to load picture.".
    // Safe on a worker thread. `shown`: the device-pixel size it will be drawn at, when known
    // (see PictureImage::decode).
    std::unique_ptr<BmpRectStream> makePicture(const QByteArray& bytes, QSize shown = {}) const;
    // The same picture without an image, as large as an image of `pixels` would make it:
    // where it will stand and how large it will be, before it is decoded.
    std::unique_ptr<BmpRectStream> makeOutline(QSize pixels) const;

    // The record a picture is saved as (its name is its stream name unless the saver
    // chooses another one).
    static ObjectRecord fromPicture(const BmpRect& picture);

    // Appends the record as a child of the document's root, as type "BmpRectStream".
    // Texts go through carriableText; a scale or coordinate that is not finite is written
    // as the value a reader would take for it when absent (scale 1, coordinate 0).
    void write(XmlDoc& doc) const;

    // The text the unescaped dialect can carry unchanged: '>' (which would end the token)
    // becomes U+203A '›', the '<' of "</" (which would end the value) becomes U+2039 '‹',
    // and a line break as the first character (which the reader drops) becomes a blank.
    // Everything else, any byte and line breaks further on included, is kept.
    static QByteArray carriableText(const QByteArray& text);

private:
    void readTextsAndFlags(const XmlDoc& doc, const XmlRange& range);
};
