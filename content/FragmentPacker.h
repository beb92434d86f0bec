#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <vector>

class XmlDoc;

// One picture of a fragment, as its "Object" record and its stream hold it. Texts are code
// page 1251; points are plate units with y up.
struct PackedPicture {
    bool legacy = false; // record type "BmpRect": each point wrapped in a "PointD" element
    bool frame = true;
    bool avi = false;
    bool gif = false;
    double scale = 1.0;
    QByteArray srcName, swfNameMy, aviName, picName;
    QByteArray name; // the record's "name" and the name of the picture's stream
    QPointF vecBeg, vecEnd;
    QByteArray bytes; // the encoded image file
};

// Writes fragment files: the "xml" stream of picture records and one stream per picture.
// The records are built exactly as the program's own lesson saver builds them.
namespace fragmentpacker {

// Fills doc's write side: root "Data", an empty "Pictures", then one "Object" per picture.
// Raises Err for a text the token XML cannot carry (it would end a tag early).
void buildDocument(XmlDoc& doc, const std::vector<PackedPicture>& pictures);

// Creates the fragment at localPath (replacing a file there). A picture whose name was
// already written shares that stream, as records naming one stream do. Raises Err.
void writeFragment(const QString& localPath, const std::vector<PackedPicture>& pictures);

} // namespace fragmentpacker
