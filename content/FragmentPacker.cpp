#include "FragmentPacker.h"

#include "Cp1251.h"
#include "Err.h"
#include "XmlStorage.h"

#include <set>

namespace fragmentpacker {

namespace {

// The token XML has no escaping: '>' would end the element's token, "</" would be taken for
// its end tag, and a line break would split it.
void checkText(const QByteArray& text, const char* what) {
    if (text.contains('>') || text.contains('<') || text.contains('\n') || text.contains('\r'))
        throw Err(QStringLiteral("%1 cannot be stored in a fragment: %2")
                      .arg(QLatin1String(what), cp1251::toUnicode(text)));
}

void addPoint(XmlDoc& doc, XmlPos parent, const char* element, QPointF point, bool legacy) {
    XmlPos at = doc.addElement(parent, element);
    if (legacy)
        at = doc.addElement(at, "PointD");
    doc.addRealElement(at, "x", point.x());
    doc.addRealElement(at, "y", point.y());
}

} // namespace

void buildDocument(XmlDoc& doc, const std::vector<PackedPicture>& pictures) {
    const XmlPos root = doc.createRoot("Data");
    doc.addElement(root, "Pictures");
    for (const PackedPicture& pic : pictures) {
        checkText(pic.srcName, "srcName");
        checkText(pic.swfNameMy, "swfNameMy");
        checkText(pic.aviName, "aviName");
        checkText(pic.picName, "picName");
        checkText(pic.name, "name");
        const XmlPos object = doc.addElement(root, "Object");
        doc.setAttribute(object, "type", pic.legacy ? "BmpRect" : "BmpRectStream");
        doc.addIntElement(object, "bFrame", pic.frame ? 1 : 0);
        doc.addIntElement(object, "bAvi", pic.avi ? 1 : 0);
        doc.addIntElement(object, "bGif", pic.gif ? 1 : 0);
        doc.addRealElement(object, "scale", pic.scale);
        doc.addTextElement(object, "srcName", pic.srcName);
        doc.addTextElement(object, "swfNameMy", pic.swfNameMy);
        doc.addTextElement(object, "aviName", pic.aviName);
        doc.addTextElement(object, "picName", pic.picName);
        doc.addTextElement(object, "name", pic.name);
        addPoint(doc, object, "vecBeg", pic.vecBeg, pic.legacy);
        addPoint(doc, object, "vecEnd", pic.vecEnd, pic.legacy);
    }
}

void writeFragment(const QString& localPath, const std::vector<PackedPicture>& pictures) {
    XmlStorage storage;
    storage.createLocalFile(localPath);
    buildDocument(storage, pictures);
    storage.writeXmlStream(QStringLiteral("xml"), storage.serialize());
    // Stream names compare without regard to case in compound files.
    std::set<QByteArray> written;
    for (const PackedPicture& pic : pictures) {
        if (!written.insert(cp1251::upper(pic.name)).second)
            continue;
        XmlStorage::CreatedStream created = storage.createPictureStream(pic.name);
        if (created.result != XmlStorage::kOk)
            throw Err(QStringLiteral("Cannot create the picture stream %1 (result %2)")
                          .arg(cp1251::toUnicode(pic.name))
                          .arg(created.result));
        if (!created.stream.write(pic.bytes))
            throw Err(QStringLiteral("Cannot write the picture stream %1")
                          .arg(cp1251::toUnicode(pic.name)));
        created.stream.release();
    }
    if (!storage.close())
        throw Err(QStringLiteral("The fragment %1 could not be written completely").arg(localPath));
}

} // namespace fragmentpacker
