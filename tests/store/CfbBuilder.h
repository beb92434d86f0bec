#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

// A small, independent writer of compound files for the tests: it shares no code with the
// container, so files it makes check our reader against the published format rather than
// against libgsf's reading of its own output. It also exposes the layout, so tests and the
// generator of malformed files can damage one field at a time.
//
// Layout, in sector order: FAT sectors, directory sectors, mini FAT sectors, the mini
// stream, then each regular stream's sectors, contiguous. No DIFAT sectors (up to 109 FAT
// sectors). Streams below 4096 bytes go to the mini stream, as the format requires.
class CfbBuilder {
public:
    static constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
    static constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
    static constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
    static constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
    static constexpr int kDirEntrySize = 128;
    static constexpr int kMiniSectorSize = 64;
    static constexpr int kMiniStreamCutoff = 4096;

    struct Entry {
        QString name;
        QByteArray data;
        bool storage = false; // an empty sub-storage instead of a stream
    };

    // Where the built file keeps things, for patching.
    struct Layout {
        int sectorSize = 512;
        std::uint32_t fatStart = 0; // first FAT sector (all FAT sectors are contiguous)
        std::uint32_t fatSectors = 0;
        std::uint32_t dirStart = 0;
        std::uint32_t miniFatStart = kEndOfChain;
        std::uint32_t miniStreamStart = kEndOfChain;
        // Per added entry (index into entries()), its directory entry id and start sector
        // (a mini sector for small streams).
        QVector<std::uint32_t> entryIds;
        QVector<std::uint32_t> startSectors;
        QVector<bool> inMiniStream;

        qint64 sectorOffset(std::uint32_t sector) const { return qint64(sector + 1) * sectorSize; }
        qint64 dirEntryOffset(std::uint32_t id) const {
            const int perSector = sectorSize / kDirEntrySize;
            // Directory sectors are contiguous in this layout.
            return sectorOffset(dirStart + id / perSector) + (id % perSector) * kDirEntrySize;
        }
        qint64 fatEntryOffset(std::uint32_t sector) const {
            const int perSector = sectorSize / 4;
            return sectorOffset(fatStart + sector / perSector) + (sector % perSector) * 4;
        }
    };

    explicit CfbBuilder(int majorVersion = 3) : m_version(majorVersion) {}

    void addStream(const QString& name, const QByteArray& data) {
        m_entries.push_back({name, data});
    }
    void addStorage(const QString& name) { m_entries.push_back({name, {}, true}); }
    const QVector<Entry>& entries() const { return m_entries; }

    QByteArray build(Layout* layout = nullptr) const;

    // Little-endian patches.
    static void put16(QByteArray& bytes, qint64 offset, std::uint16_t value);
    static void put32(QByteArray& bytes, qint64 offset, std::uint32_t value);
    static void put64(QByteArray& bytes, qint64 offset, std::uint64_t value);
    static std::uint32_t get32(const QByteArray& bytes, qint64 offset);

    // Directory entry field offsets.
    static constexpr int kDirLeft = 68;
    static constexpr int kDirRight = 72;
    static constexpr int kDirChild = 76;
    static constexpr int kDirStart = 116;
    static constexpr int kDirSize = 120;

private:
    int m_version;
    QVector<Entry> m_entries;
};
