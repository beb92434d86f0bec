// Parses arbitrary text as the token document and runs every lookup a loader makes.
#include "Err.h"
#include "XmlDoc.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XmlDoc doc;
    doc.parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        const XmlRange all = doc.documentRange();
        for (const XmlRange& list : doc.findChildren(all, "ObjectList")) {
            for (const XmlRange& obj : doc.findChildren(list, "Object")) {
                doc.getAttribute(obj, "type");
                doc.getTextElement(obj, "name");
                doc.getRealElement(obj, "scale");
                for (const XmlRange& p : doc.findChildren(obj, "PointD"))
                    doc.getRealElement(p, "x");
            }
        }
    } catch (const Err&) {
    }
    return 0;
}
