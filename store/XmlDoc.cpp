#include "XmlDoc.h"

#include "Err.h"

#include <sstream>

namespace {

bool hasStartTagOf(const QByteArray& token, const QByteArray& name) {
    return token.contains(name) && !token.contains("</") && token.contains('<') &&
           token.contains('>');
}

bool closes(const QByteArray& token, const QByteArray& name) {
    return token.contains(name) && token.contains("</") && token.contains('>');
}

QByteArray startTag(const QByteArray& name) {
    return '<' + name + '>';
}
QByteArray endTag(const QByteArray& name) {
    return "</" + name + '>';
}

// The token that follows a one-line value element's start tag carries "V</N>".
QByteArray valueOf(const QByteArray& token) {
    const auto end = token.indexOf("</");
    return end < 0 ? token : token.left(end);
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

void XmlDoc::parse(const QByteArray& text) {
    m_loadList.clear();

    // Cut after every '>'; what follows the last '>' goes through the same rule.
    qsizetype from = 0;
    const qsizetype size = text.size();
    while (from <= size) {
        qsizetype gt = text.indexOf('>', from);
        const qsizetype stop = gt < 0 ? size : gt;
        QByteArray token = text.mid(from, stop - from);
        token += '>';
        if (token.startsWith('\n'))
            token.remove(0, 1);
        if (token.startsWith('\r'))
            token.remove(0, 1);
        if (token != ">")
            m_loadList.push_back({token, -1});
        if (gt < 0)
            break;
        from = gt + 1;
    }

    if (!m_loadList.empty() && m_loadList.front().text.contains("version"))
        m_loadList.pop_front();

    std::int32_t depth = -1;
    bool previousClosed = false;
    for (XmlToken& t : m_loadList) {
        if (t.text.contains("</")) {
            if (previousClosed)
                --depth;
            previousClosed = true;
        } else if (previousClosed) {
            previousClosed = false;
        } else {
            ++depth;
        }
        t.depth = depth;
    }
}

XmlRange XmlDoc::documentRange() const {
    if (m_loadList.size() < 2)
        throw Err("Empty loadList");
    return {m_loadList.begin(), std::prev(m_loadList.end())};
}

std::vector<XmlRange> XmlDoc::findChildren(const XmlRange& parent, const QByteArray& name) const {
    std::vector<XmlRange> found;
    const std::int32_t depth = parent.begin->depth + 1;
    std::optional<XmlConstPos> begin;
    std::optional<XmlConstPos> end;
    for (auto it = parent.begin; it != parent.end && it != m_loadList.end(); ++it) {
        if (it->depth != depth)
            continue;
        if (hasStartTagOf(it->text, name))
            begin = it;
        if (closes(it->text, name))
            end = it;
        if (begin && end) {
            found.push_back({*begin, *end});
            begin.reset();
            end.reset();
        }
    }
    return found;
}

std::optional<QByteArray> XmlDoc::getAttribute(const XmlRange& element,
                                               const QByteArray& name) const {
    const QByteArray& tag = element.begin->text;
    const auto at = tag.indexOf(name);
    if (at < 0)
        return std::nullopt;
    const auto open = tag.indexOf('"', at + name.size());
    if (open < 0)
        return std::nullopt;
    const auto close = tag.indexOf('"', open + 1);
    if (close < 0 || close == open + 1)
        return std::nullopt;
    return tag.mid(open + 1, close - open - 1);
}

std::optional<QByteArray> XmlDoc::getTextElement(const XmlRange& parent,
                                                 const QByteArray& name) const {
    const std::int32_t depth = parent.begin->depth + 1;
    for (auto it = parent.begin; it != parent.end && it != m_loadList.end(); ++it) {
        if (it->depth != depth || !hasStartTagOf(it->text, name))
            continue;
        const auto next = std::next(it);
        if (next == m_loadList.end())
            return QByteArray();
        return valueOf(next->text);
    }
    return std::nullopt;
}

std::optional<double> XmlDoc::getRealElement(const XmlRange& parent, const QByteArray& name) const {
    const auto text = getTextElement(parent, name);
    if (!text)
        return std::nullopt;
    // Stream extraction: leading blanks skipped, stops at the first character that does not
    // belong to the number, 0 when no number could be read.
    std::istringstream in(text->toStdString());
    in.imbue(std::locale::classic());
    double value = 0;
    if (!(in >> value))
        value = 0;
    return value;
}
