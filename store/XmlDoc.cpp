#include "XmlDoc.h"

#include "Err.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

namespace {

bool hasStartTagOf(QByteArrayView token, const QByteArray& name) {
    return token.contains(name) && !token.contains("</") && token.contains('<') &&
           token.contains('>');
}

bool closes(QByteArrayView token, const QByteArray& name) {
    return token.contains(name) && token.contains("</") && token.contains('>');
}

QByteArray startTag(const QByteArray& name) {
    return '<' + name + '>';
}
QByteArray endTag(const QByteArray& name) {
    return "</" + name + '>';
}

// The token that follows a one-line value element's start tag carries "V</N>".
QByteArray valueOf(QByteArrayView token) {
    const auto end = token.indexOf("</");
    return (end < 0 ? token : token.first(end)).toByteArray();
}

} // namespace

XmlPos XmlDoc::createRoot(const QByteArray& name) {
    if (!m_saveList.empty())
        throw Err("Root already exist");
    m_saveList.push_back({startTag(name), -1});
    m_root = m_saveList.insert(m_saveList.end(), {endTag(name), -1});
    return m_root;
}

XmlPos XmlDoc::addElement(XmlPos parent, const QByteArray& name) {
    m_saveList.insert(parent, {startTag(name), -1});
    return m_saveList.insert(parent, {endTag(name), -1});
}

void XmlDoc::setAttribute(XmlPos element, const QByteArray& name, const QByteArray& value) {
    if (element == m_saveList.begin())
        return;
    QByteArray& tag = std::prev(element)->text;
    const auto gt = tag.indexOf('>');
    if (gt < 0)
        return;
    tag.insert(gt, ' ' + name + "=\"" + value + '"');
}

void XmlDoc::addTextElement(XmlPos parent, const QByteArray& name, const QByteArray& text) {
    m_saveList.insert(parent, {startTag(name) + text + endTag(name), -1});
}

void XmlDoc::addIntElement(XmlPos parent, const QByteArray& name, long long value) {
    addTextElement(parent, name, QByteArray::number(value));
}

void XmlDoc::addRealElement(XmlPos parent, const QByteArray& name, double value) {
    addTextElement(parent, name, formatReal(value));
}

QByteArray XmlDoc::formatReal(double value) {
    // The C library's general format with default precision, independent of the locale.
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return QByteArray::fromStdString(out.str());
}

QByteArray XmlDoc::serialize() const {
    QByteArray out = R"(<?xml version="1.0" encoding="windows-1251"?>)";
    out += '\n';
    for (const XmlToken& t : m_saveList) {
        out += t.text;
        out += '\n';
    }
    return out;
}

void XmlDoc::clearSaveList() {
    m_saveList.clear();
    m_root = m_saveList.end();
}

bool XmlDoc::parse(const QByteArray& text) {
    m_loadList = {};
    m_loadText = {};
    if (text.size() > kMaxTextBytes)
        return false;

    // Cut after every '>'. What follows the last '>' goes through the same rule with a '>'
    // appended; only then does the text need a copy of its own.
    const char* const data = text.constData();
    const qsizetype size = text.size();
    const char* lastGt = static_cast<const char*>(memrchr(data, '>', size_t(size)));
    const qsizetype tailStart = lastGt ? qsizetype(lastGt - data) + 1 : 0;
    qsizetype tailText = tailStart; // where the tail's text starts once stripped
    if (tailText < size && data[tailText] == '\n')
        ++tailText;
    if (tailText < size && data[tailText] == '\r')
        ++tailText;
    const bool tailToken = tailText < size;
    m_loadText = text;
    if (tailToken)
        m_loadText.append('>');
    m_loadList.reserve(size_t(std::count(data, data + size, '>')) + (tailToken ? 1 : 0));

    const char* const all = m_loadText.constData();
    std::int32_t depth = -1;
    bool previousClosed = false;
    bool first = true;
    auto add = [&](qsizetype from, qsizetype to) { // token bytes [from, to], to being '>'
        if (all[from] == '\n' && from < to)
            ++from;
        if (all[from] == '\r' && from < to)
            ++from;
        if (from == to)
            return; // just ">"
        const QByteArrayView token(all + from, to - from + 1);
        if (first) {
            first = false;
            if (token.contains("version"))
                return; // the declaration line
        }
        if (token.contains("</")) {
            if (previousClosed)
                --depth;
            previousClosed = true;
        } else if (previousClosed) {
            previousClosed = false;
        } else {
            ++depth;
        }
        m_loadList.push_back({std::uint32_t(from), std::uint32_t(to - from + 1), depth});
    };
    qsizetype from = 0;
    while (from < tailStart) {
        const char* gt =
            static_cast<const char*>(std::memchr(all + from, '>', size_t(size - from)));
        const qsizetype at = gt - all;
        add(from, at);
        from = at + 1;
    }
    if (tailToken)
        add(tailStart, size);
    return true;
}

QByteArrayView XmlDoc::text(XmlConstPos token) const {
    return {m_loadText.constData() + token->offset, qsizetype(token->size)};
}

XmlRange XmlDoc::documentRange() const {
    if (m_loadList.size() < 2)
        throw Err("Empty loadList");
    return {m_loadList.begin(), std::prev(m_loadList.end())};
}

std::vector<XmlRange> XmlDoc::findChildren(const XmlRange& parent, const QByteArray& name) const {
    std::vector<XmlRange> found;
    if (!(parent.begin < parent.end))
        return found;
    const std::int32_t depth = parent.begin->depth + 1;
    const XmlConstPos none = m_loadList.end();
    XmlConstPos begin = none; // pending start tag
    XmlConstPos end = none;   // pending closer
    for (auto it = parent.begin; it != parent.end; ++it) {
        if (it->depth != depth)
            continue;
        const QByteArrayView token = text(it);
        if (hasStartTagOf(token, name))
            begin = it;
        if (closes(token, name))
            end = it;
        if (begin != none && end != none) {
            found.push_back({begin, end});
            begin = end = none;
        }
    }
    return found;
}

std::optional<QByteArray> XmlDoc::getAttribute(const XmlRange& element,
                                               const QByteArray& name) const {
    if (element.begin == m_loadList.end())
        return std::nullopt;
    const QByteArrayView tag = text(element.begin);
    const auto at = tag.indexOf(name);
    if (at < 0)
        return std::nullopt;
    const auto open = tag.indexOf('"', at + name.size());
    if (open < 0)
        return std::nullopt;
    const auto close = tag.indexOf('"', open + 1);
    if (close < 0 || close == open + 1)
        return std::nullopt;
    return tag.sliced(open + 1, close - open - 1).toByteArray();
}

std::optional<QByteArray> XmlDoc::getTextElement(const XmlRange& parent,
                                                 const QByteArray& name) const {
    if (!(parent.begin < parent.end))
        return std::nullopt;
    const std::int32_t depth = parent.begin->depth + 1;
    for (auto it = parent.begin; it != parent.end; ++it) {
        if (it->depth != depth || !hasStartTagOf(text(it), name))
            continue;
        const auto next = std::next(it);
        if (next == m_loadList.end())
            return QByteArray();
        return valueOf(text(next));
    }
    return std::nullopt;
}

namespace {

// A plain decimal number ("12", "-0.5", "1e+006") alone or followed by blanks: read directly,
// which gives what stream extraction gives for it. Anything else (junk after the number, a
// lone exponent mark, "inf") is left to the stream. Each picture record holds several
// numbers, and a stream per number cost a lesson of 10,000 pictures a tenth of a second.
std::optional<double> plainNumber(const QByteArray& text) {
    const char* p = text.constData();
    const char* const end = p + text.size();
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    if (p != end && *p == '+')
        ++p; // from_chars takes no plus sign
    const char* const start = p;
    if (p != end && *p == '-')
        ++p;
    const auto digits = [&p, end] {
        const char* from = p;
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
        return p - from;
    };
    qsizetype mantissa = digits();
    if (p != end && *p == '.') {
        ++p;
        mantissa += digits();
    }
    if (mantissa == 0)
        return std::nullopt;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        if (digits() == 0)
            return std::nullopt;
    }
    const char* const numberEnd = p;
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    if (p != end)
        return std::nullopt;
    double value = 0;
    const auto [stop, error] = std::from_chars(start, numberEnd, value);
    if (error != std::errc() || stop != numberEnd)
        return std::nullopt; // out of range: the stream's own answer
    return value;
}

} // namespace

std::optional<double> XmlDoc::getRealElement(const XmlRange& parent, const QByteArray& name) const {
    const auto text = getTextElement(parent, name);
    if (!text)
        return std::nullopt;
    if (const std::optional<double> plain = plainNumber(*text))
        return plain;
    // Stream extraction: leading blanks skipped, stops at the first character that does not
    // belong to the number, 0 when no number could be read.
    std::istringstream in(text->toStdString());
    in.imbue(std::locale::classic());
    double value = 0;
    if (!(in >> value))
        value = 0;
    return value;
}
