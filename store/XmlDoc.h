#pragma once

#include <QByteArray>
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

struct XmlToken {
    QByteArray text;
    std::int32_t depth = -1; // nesting level from parse(); -1 for tokens inserted while building
};

using XmlTokenList = std::list<XmlToken>;
// A position in a token list; stays valid while tokens are inserted elsewhere.
using XmlPos = XmlTokenList::iterator;
using XmlConstPos = XmlTokenList::const_iterator;

// An element of the read side: its start tag token and the token that closes it.
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
    void parse(const QByteArray& text);
    XmlRange documentRange() const; // raises Err "Empty loadList"
    std::vector<XmlRange> findChildren(const XmlRange& parent, const QByteArray& name) const;
    std::optional<QByteArray> getAttribute(const XmlRange& element, const QByteArray& name) const;
    std::optional<QByteArray> getTextElement(const XmlRange& parent, const QByteArray& name) const;
    // Found whether or not the text starts with a number; 0 when it does not.
    std::optional<double> getRealElement(const XmlRange& parent, const QByteArray& name) const;

    const XmlTokenList& saveList() const { return m_saveList; }
    const XmlTokenList& loadList() const { return m_loadList; }
    XmlPos root() const { return m_root; }
    void clearSaveList();

    // The text a real is written with: at most 6 significant digits, %g style.
    static QByteArray formatReal(double value);

protected:
    XmlTokenList m_saveList;
    XmlTokenList m_loadList;
    XmlPos m_root = m_saveList.end();
};
