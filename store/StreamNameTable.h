#pragma once

#include <QByteArray>
#include <set>
#include <vector>

// Chooses, for every picture of one save, the name of the compound-file stream that holds its
// encoded bytes; the picture's record then carries that name.
//
// A picture keeps its own name whenever the file can hold it under that name. Two pictures
// of the same name share one stream only when their bytes are identical; otherwise, and for a
// name the file cannot hold (empty, over 31 characters, holding one of \ / : !, a character
// the unescaped XML cannot carry, or equal to the "xml" stream's name), the picture gets a
// derived name: the usable part of its own name followed by "~" and a number, at most 31
// characters, different from every other stream name of the file without regard to case
// (stream names are compared that way).
class StreamNameTable {
public:
    static constexpr int kMaxNameLength = 31;

    struct Assignment {
        QByteArray streamName;
        bool firstUse = true; // the caller writes the bytes into a new stream
    };

    Assignment assign(const QByteArray& name, const QByteArray& bytes);

    // A name the file and its XML can hold unchanged (ignores what is already taken).
    static bool isStorable(const QByteArray& name);

private:
    struct Entry {
        QByteArray name;
        QByteArray bytes;
        QByteArray streamName;
    };

    bool isTaken(const QByteArray& streamName) const;
    QByteArray derive(const QByteArray& name) const;
    QByteArray take(const QByteArray& streamName);

    std::vector<Entry> m_entries;
    std::set<QByteArray> m_takenUpper; // upper-case forms of the names given out, and "XML"
};
