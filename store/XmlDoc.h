#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <list>
#include <optional>
#include <vector>

// The XML of fragment and lesson files, held as flat token lists rather than a tree.
//
// A token is the text up to and including one '>'. The write side (saveList) is built by
// inserting whole tokens before an element's end tag; the read side (loadList) is parsed from
// a file and searched by substring name tests at a computed depth. The dialect is exactly what
// serialize() writes: one tag per line, value elements on one line, no escaping of any kind.
// All texts are code page 1251 bytes.
//
// The read side holds every token as a span of the one parsed text, so a document costs
// about its own size plus 12 bytes per token, and every lookup is linear in its range.

// A token of the write side.
struct XmlToken {
    QByteArray text;
    std::int32_t depth = -1; // -1: inserted while building
};

using XmlTokenList = std::list<XmlToken>;
// A position in the write side; stays valid while tokens are inserted elsewhere.
using XmlPos = XmlTokenList::iterator;

// A token of the read side: bytes [offset, offset + size) of the parsed text.
struct XmlSpan {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::int32_t depth = -1; // nesting level computed by parse()
};

using XmlSpanList = std::vector<XmlSpan>;
// A position in the read side; valid until the next parse().
using XmlConstPos = XmlSpanList::const_iterator;

// An element of the read side: its start tag token and the token that closes it. A range
// whose end does not come after its begin holds no token (a closer that stands before its
// start tag in a damaged document).
struct XmlRange {
    XmlConstPos begin;
    XmlConstPos end;
};

class XmlDoc {
public:
    XmlDoc() = default;
    XmlDoc(const XmlDoc&) = delete;
    XmlDoc& operator=(const XmlDoc&) = delete;
    virtual ~XmlDoc() = default;

    // Write side. An element is named by the position of its end tag token.
    XmlPos createRoot(const QByteArray& name); // raises Err "Root already exist"
    XmlPos addElement(XmlPos parent, const QByteArray& name);
    void setAttribute(XmlPos element, const QByteArray& name, const QByteArray& value);
    void addTextElement(XmlPos parent, const QByteArray& name, const QByteArray& text);
    void addIntElement(XmlPos parent, const QByteArray& name, long long value);
    void addRealElement(XmlPos parent, const QByteArray& name, double value);
    QByteArray serialize() const;

    // Read side.

    // The longest text parse() takes (real documents are far smaller); a longer one leaves
    // the document empty. Readers of files refuse such a stream before reading it.
    static constexpr qsizetype kMaxTextBytes = qsizetype(32) * 1024 * 1024;

    // Replaces the read side; false (and an empty document) for a text over kMaxTextBytes.
    bool parse(const QByteArray& text);
    XmlRange documentRange() const; // raises Err "Empty loadList"
    std::vector<XmlRange> findChildren(const XmlRange& parent, const QByteArray& name) const;
    std::optional<QByteArray> getAttribute(const XmlRange& element, const QByteArray& name) const;
    std::optional<QByteArray> getTextElement(const XmlRange& parent, const QByteArray& name) const;
    // Found whether or not the text starts with a number; 0 when it does not.
    std::optional<double> getRealElement(const XmlRange& parent, const QByteArray& name) const;

    const XmlTokenList& saveList() const { return m_saveList; }
    const XmlSpanList& loadList() const { return m_loadList; }
    // The bytes of a read-side token; valid until the next parse().
    QByteArrayView text(XmlConstPos token) const;
    XmlPos root() const { return m_root; }
    void clearSaveList();

    // The text a real is written with: at most 6 significant digits, %g style.
    static QByteArray formatReal(double value);

protected:
    XmlTokenList m_saveList;
    QByteArray m_loadText; // the parsed text (shared with the caller's copy when possible)
    XmlSpanList m_loadList;
    XmlPos m_root = m_saveList.end();
};
