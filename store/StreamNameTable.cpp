#include "StreamNameTable.h"

#include "Cp1251.h"
#include "ObjectRecord.h"

namespace {

// The stream that holds the document itself.
const QByteArray kXmlStreamUpper = "XML";

bool isForbiddenInStreamName(char c) {
    return c == '\\' || c == '/' || c == ':' || c == '!';
}

} // namespace

bool StreamNameTable::isStorable(const QByteArray& name) {
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return false;
    for (char c : name)
        if (isForbiddenInStreamName(c))
            return false;
    if (ObjectRecord::carriableText(name) != name)
        return false;
    // Byte 0x98 has no character in code page 1251; its name would not come back the same.
    if (cp1251::fromUnicode(cp1251::toUnicode(name)) != name)
        return false;
    return cp1251::upper(name) != kXmlStreamUpper;
}

StreamNameTable::Assignment StreamNameTable::assign(const QByteArray& name,
                                                    const QByteArray& bytes) {
    for (const Entry& e : m_entries)
        if (e.name == name && e.bytes == bytes)
            return {e.streamName, false};

    const QByteArray streamName =
        isStorable(name) && !isTaken(name) ? take(name) : take(derive(name));
    m_entries.push_back({name, bytes, streamName});
    return {streamName, true};
}

bool StreamNameTable::isTaken(const QByteArray& streamName) const {
    const QByteArray key = cp1251::upper(streamName);
    return key == kXmlStreamUpper || m_takenUpper.count(key) > 0;
}

QByteArray StreamNameTable::take(const QByteArray& streamName) {
    m_takenUpper.insert(cp1251::upper(streamName));
    return streamName;
}

QByteArray StreamNameTable::derive(const QByteArray& name) const {
    QByteArray base = ObjectRecord::carriableText(name);
    for (char& c : base)
        if (isForbiddenInStreamName(c) || c == '\x98')
            c = '_';
    if (base.isEmpty())
        base = "picture";
    // At most one candidate per name already given out can be taken, so this ends.
    for (int n = 1;; ++n) {
        const QByteArray suffix = '~' + QByteArray::number(n);
        const QByteArray candidate = base.left(kMaxNameLength - suffix.size()) + suffix;
        if (!isTaken(candidate))
            return candidate;
    }
}
