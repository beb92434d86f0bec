#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Reads the root storage of a compound file through a descriptor it does not own.
//
// The file comes from other people, so everything is bounded by its own size: a chain ends
// as damaged when it meets a sector twice, is longer than the file has sectors or leaves the
// allocation table; the directory is walked without recursion, and an entry reached twice
// (a cycle, a shared subtree) makes the file damaged; sizes are checked against the file
// before anything is allocated. Opening costs time in proportion to the file's size plus
// n log n in its number of entries.
class CompoundFileReader {
public:
    struct Child {
        QString name;
        bool storage = false;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    // Reads the header, the allocation table and the directory; false when the file is not a
    // compound file or they are damaged. fd must stay open while the reader is used.
    bool open(int fd, qint64 fileSize);

    // The root's children ordered as the format orders names: shorter first, then by
    // comparing the upper-cased UTF-16 units.
    const std::vector<Child>& rootChildren() const { return m_children; }

    // Whether the content of stream child index can be read: its chain is whole and lies
    // inside the file.
    bool isReadable(int index);
    // The content of stream child index; nullopt when it is damaged or longer than limit
    // (checked before anything is read or allocated).
    std::optional<QByteArray> read(int index, qint64 limit = INT64_MAX);

private:
    struct DirEntry {
        int type = 0;
        QString name;
        std::uint32_t left = 0, right = 0, child = 0, start = 0;
        std::uint64_t size = 0;
    };
    // File offsets of the pieces of one stream, in order.
    struct Extents {
        std::vector<qint64> offsets;
        qint64 unit = 0;
    };

    bool readAt(qint64 offset, char* into, qint64 length) const;
    bool readHeader(std::vector<std::uint32_t>* fatSectors);
    bool readFat(const std::vector<std::uint32_t>& fatSectors);
    // The sectors of the chain from start in table, limit of them (all when limit < 0);
    // nullopt when it meets a sector twice, leaves the table, is longer than maxLength or
    // ends before limit.
    std::optional<std::vector<std::uint32_t>> chain(const std::vector<std::uint32_t>& table,
                                                    std::uint32_t start, qint64 limit,
                                                    qint64 maxLength) const;
    bool readDirectory(std::vector<DirEntry>* entries);
    bool walkRoot(const std::vector<DirEntry>& entries);
    bool loadMiniStream();
    std::optional<Extents> extentsOf(const Child& child);
    qint64 sectorOffset(std::uint32_t sector) const { return (qint64(sector) + 1) * m_sectorSize; }

    int m_fd = -1;
    qint64 m_fileSize = 0;
    qint64 m_sectorSize = 512;
    qint64 m_sectorCount = 0; // sectors the file has room for after its header
    std::uint32_t m_miniCutoff = 4096;
    std::uint32_t m_dirStart = 0;
    std::uint32_t m_miniFatStart = 0;
    std::vector<std::uint32_t> m_fat;
    std::vector<Child> m_children;
    std::uint32_t m_miniStreamStart = 0;
    // Loaded on the first read of a small stream; a damaged one fails every such read.
    enum class Mini { NotLoaded, Loaded, Damaged } m_mini = Mini::NotLoaded;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<std::uint32_t> m_miniStreamSectors;
};
