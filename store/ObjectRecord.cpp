#include "ObjectRecord.h"

#include "BmpRectStream.h"
#include "CreateShape.h"
#include "Err.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

const QByteArray kTypeStream = "BmpRectStream";
const QByteArray kTypeLegacy = "BmpRect";

// Whether the number a real element's text starts with is infinite or not a number, read
// the way strtod reads it in the C locale ("inf", "nan", "1e999"). The document's own reader
// does not produce such values, but a coordinate or scale like that would poison placement
// and sizes, so it counts as absent whichever reader is in use.
bool startsWithNonFinite(const QByteArray& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (!cLocale)
        return false;
    const char* begin = text.constData();
    char* end = nullptr;
    const double value = strtod_l(begin, &end, cLocale);
    return end != begin && !std::isfinite(value);
}

std::optional<double> readReal(const XmlDoc& doc, const XmlRange& range, const QByteArray& name) {
    const std::optional<double> value = doc.getRealElement(range, name);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const std::optional<QByteArray> text = doc.getTextElement(range, name);
    if (text && startsWithNonFinite(*text))
        return std::nullopt;
    return value;
}

// A flag is true when its number, truncated toward zero, is not 0 (compared as a double, so
// huge values are true without converting them to an integer).
std::optional<bool> readFlag(const XmlDoc& doc, const XmlRange& range, const QByteArray& name) {
    const std::optional<double> value = readReal(doc, range, name);
    if (!value)
        return std::nullopt;
    return std::trunc(*value) != 0.0;
}

// A coordinate: absent only when its element is. One that is not a finite number reads as
// NaN, which readPoints turns into an upright placement.
std::optional<double> readCoordinate(const XmlDoc& doc, const XmlRange& range,
                                     const QByteArray& name) {
    if (!doc.getRealElement(range, name))
        return std::nullopt;
    const std::optional<double> value = readReal(doc, range, name);
    return value ? *value : std::numeric_limits<double>::quiet_NaN();
}

std::optional<XmlRange> firstChild(const XmlDoc& doc, const XmlRange& parent,
                                   const QByteArray& name) {
    const std::vector<XmlRange> children = doc.findChildren(parent, name);
    if (children.empty())
        return std::nullopt;
    return children.front();
}

std::optional<PointD> readPoint(const XmlDoc& doc, const XmlRange& record,
                                const QByteArray& element, bool wrappedInPointD) {
    std::optional<XmlRange> holder = firstChild(doc, record, element);
    if (holder && wrappedInPointD)
        holder = firstChild(doc, *holder, "PointD");
    if (!holder)
        return std::nullopt;
    const std::optional<double> x = readCoordinate(doc, *holder, "x");
    const std::optional<double> y = readCoordinate(doc, *holder, "y");
    if (!x || !y)
        return std::nullopt;
    return PointD{*x, *y};
}

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

} // namespace

bool ObjectRecord::isPictureType(const QByteArray& type, Accept accept) {
    if (type == kTypeStream)
        return true;
    return accept == Accept::FragmentTypes && type == kTypeLegacy;
}

std::optional<ObjectRecord> ObjectRecord::readFields(const XmlDoc& doc, const XmlRange& range,
                                                     Accept accept) {
    const std::optional<QByteArray> type = doc.getAttribute(range, "type");
    if (!type || !isPictureType(*type, accept))
        return std::nullopt;
    std::optional<QByteArray> name = doc.getTextElement(range, "name");
    if (!name)
        return std::nullopt;

    ObjectRecord r;
    r.readTextsAndFlags(doc, range);
    r.type = *type;
    r.name = std::move(*name);
    return r;
}

ObjectRecord ObjectRecord::readLoose(const XmlDoc& doc, const XmlRange& range, bool* pointsFound) {
    ObjectRecord r;
    r.readTextsAndFlags(doc, range);
    r.type = doc.getAttribute(range, "type").value_or(QByteArray());
    r.name = doc.getTextElement(range, "name").value_or(QByteArray());
    const bool found = r.readPoints(doc, range);
    if (pointsFound)
        *pointsFound = found;
    return r;
}

void ObjectRecord::readTextsAndFlags(const XmlDoc& doc, const XmlRange& range) {
    ObjectRecord& r = *this;
    r.srcName = doc.getTextElement(range, "srcName").value_or(QByteArray());
    r.swfNameMy = doc.getTextElement(range, "swfNameMy").value_or(QByteArray());
    r.aviName = doc.getTextElement(range, "aviName").value_or(QByteArray());
    r.picName = doc.getTextElement(range, "picName").value_or(QByteArray());
    // Every record this program writes carries bFrame. A record without it never asked for a
    // frame: it gets the picture's own default (no frame), as an absent bAvi or bGif does.
    r.bFrame = readFlag(doc, range, "bFrame").value_or(false);
    r.bAvi = readFlag(doc, range, "bAvi").value_or(false);
    r.bGif = readFlag(doc, range, "bGif").value_or(false);
    r.scale = readReal(doc, range, "scale").value_or(1.0);
}

bool ObjectRecord::readPoints(const XmlDoc& doc, const XmlRange& range) {
    const bool wrapped = type == kTypeLegacy;
    const std::optional<PointD> beg = readPoint(doc, range, "vecBeg", wrapped);
    if (!beg)
        return false;
    const std::optional<PointD> end = readPoint(doc, range, "vecEnd", wrapped);
    if (!end)
        return false;
    vecBeg = *beg;
    vecEnd = *end;
    // A vector that is not finite has no direction: the picture stands upright at its start
    // point (a vector of length 0), at the origin when the start point is not finite either.
    if (!vecBeg.isFinite())
        vecBeg = {};
    if (!beg->isFinite() || !vecEnd.isFinite())
        vecEnd = vecBeg;
    return true;
}

namespace {

std::unique_ptr<BmpRectStream> makeEmpty(const ObjectRecord& r) {
    std::unique_ptr<Shape> shape = createShape(static_cast<int>(ShapeKind::BmpRectStream));
    auto* made = dynamic_cast<BmpRectStream*>(shape.get());
    if (!made)
        throw Err("Failed to create BmpRectStream");
    shape.release();
    std::unique_ptr<BmpRectStream> picture(made);
    picture->setBFrame(r.bFrame);
    picture->setBAvi(r.bAvi);
    picture->setBGif(r.bGif);
    picture->setSrcName(r.srcName);
    picture->setSwfNameMy(r.swfNameMy);
    picture->setAviName(r.aviName);
    picture->setPicName(r.picName);
    picture->setStoredScale(r.scale);
    picture->setCaption(r.picName);
    return picture;
}

} // namespace

std::unique_ptr<BmpRectStream> ObjectRecord::makeOutline(QSize pixels) const {
    std::unique_ptr<BmpRectStream> picture = makeEmpty(*this);
    picture->placeOutline(pixels, name, vecBeg, vecEnd);
    return picture;
}

std::unique_ptr<BmpRectStream> ObjectRecord::makePicture(const QByteArray& bytes,
                                                         QSize shown) const {
    std::unique_ptr<BmpRectStream> picture = makeEmpty(*this);
    picture->loadFromStream(bytes, name, vecBeg, vecEnd, shown);
    return picture;
}

ObjectRecord ObjectRecord::fromPicture(const BmpRect& picture) {
    ObjectRecord r;
    r.type = kTypeStream;
    r.name = picture.name();
    r.srcName = picture.srcName();
    r.swfNameMy = picture.swfNameMy();
    r.aviName = picture.aviName();
    r.picName = picture.picName();
    r.bFrame = picture.bFrame();
    r.bAvi = picture.bAvi();
    r.bGif = picture.bGif();
    r.scale = picture.scale();
    r.vecBeg = picture.vecBeg();
    r.vecEnd = picture.vecEnd();
    return r;
}

void ObjectRecord::write(XmlDoc& doc) const {
    const XmlPos e = doc.addElement(doc.root(), "Object");
    doc.setAttribute(e, "type", kTypeStream);
    doc.addIntElement(e, "bFrame", bFrame ? 1 : 0);
    doc.addIntElement(e, "bAvi", bAvi ? 1 : 0);
    doc.addIntElement(e, "bGif", bGif ? 1 : 0);
    doc.addRealElement(e, "scale", finiteOr(scale, 1.0));
    doc.addTextElement(e, "srcName", carriableText(srcName));
    doc.addTextElement(e, "swfNameMy", carriableText(swfNameMy));
    doc.addTextElement(e, "aviName", carriableText(aviName));
    doc.addTextElement(e, "picName", carriableText(picName));
    doc.addTextElement(e, "name", carriableText(name));
    const XmlPos b = doc.addElement(e, "vecBeg");
    doc.addRealElement(b, "x", finiteOr(vecBeg.x, 0.0));
    doc.addRealElement(b, "y", finiteOr(vecBeg.y, 0.0));
    const XmlPos v = doc.addElement(e, "vecEnd");
    doc.addRealElement(v, "x", finiteOr(vecEnd.x, 0.0));
    doc.addRealElement(v, "y", finiteOr(vecEnd.y, 0.0));
}

QByteArray ObjectRecord::carriableText(const QByteArray& text) {
    constexpr char kSingleRightAngle = '\x9B'; // U+203A in code page 1251
    constexpr char kSingleLeftAngle = '\x8B';  // U+2039
    QByteArray out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        char& c = out[i];
        if (c == '>')
            c = kSingleRightAngle;
        else if (c == '<' && i + 1 < out.size() && out[i + 1] == '/')
            c = kSingleLeftAngle;
    }
    // The reader drops a line feed, then a carriage return, at the start of a value; inside
    // it, line breaks read back as written.
    if (!out.isEmpty() && (out[0] == '\n' || out[0] == '\r'))
        out[0] = ' ';
    return out;
}
