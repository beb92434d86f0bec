#include "CompoundFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr qint64 kHeaderSize = 512;
constexpr qint64 kHeaderDifatEntries = 109;
constexpr qint64 kDirEntrySize = 128;
constexpr qint64 kMiniSectorSize = 64;
constexpr int kTypeStorage = 1;
constexpr int kTypeStream = 2;
constexpr int kTypeRoot = 5;

const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

std::uint16_t le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(u[0] | (u[1] << 8));
}

std::uint32_t le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | (std::uint32_t(u[1]) << 8) | (std::uint32_t(u[2]) << 16) |
           (std::uint32_t(u[3]) << 24);
}

std::uint64_t le64(const char* p) {
    return std::uint64_t(le32(p)) | (std::uint64_t(le32(p + 4)) << 32);
}

// The format orders names by length first, then by their upper-cased UTF-16 units.
bool formatNameLess(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].toUpper().unicode();
        const char16_t y = b[i].toUpper().unicode();
        if (x != y)
            return x < y;
    }
    return false;
}

} // namespace

bool CompoundFileReader::readAt(qint64 offset, char* into, qint64 length) const {
    if (offset < 0 || length < 0 || offset > m_fileSize || length > m_fileSize - offset)
        return false;
    while (length > 0) {
        const ssize_t n = ::pread(m_fd, into, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        offset += n;
        length -= n;
    }
    return true;
}

bool CompoundFileReader::open(int fd, qint64 fileSize) {
    m_fd = fd;
    m_fileSize = fileSize;
    std::vector<std::uint32_t> fatSectors;
    std::vector<DirEntry> entries;
    return readHeader(&fatSectors) && readFat(fatSectors) && readDirectory(&entries) &&
           walkRoot(entries);
}

bool CompoundFileReader::readHeader(std::vector<std::uint32_t>* fatSectors) {
    char header[kHeaderSize];
    if (!readAt(0, header, kHeaderSize) || std::memcmp(header, kSignature, 8) != 0)
        return false;
    const int shift = le16(header + 30);
    if (shift != 9 && shift != 12)
        return false;
    m_sectorSize = qint64(1) << shift;
    if (m_fileSize < m_sectorSize)
        return false;
    // The header fills the first sector; a last sector cut short still counts, its reads
    // fail where they pass the end.
    m_sectorCount = (m_fileSize - m_sectorSize + m_sectorSize - 1) / m_sectorSize;
    m_dirStart = le32(header + 48);
    m_miniCutoff = le32(header + 56);
    m_miniFatStart = le32(header + 60);
    const std::uint32_t fatCount = le32(header + 44);
    const std::uint32_t difatStart = le32(header + 68);
    if (qint64(fatCount) > m_sectorCount)
        return false;

    fatSectors->reserve(fatCount);
    for (qint64 i = 0; i < kHeaderDifatEntries && fatSectors->size() < fatCount; ++i)
        fatSectors->push_back(le32(header + 76 + 4 * i));
    // Further FAT sectors are listed in a chain of DIFAT sectors, each ending with the next.
    const qint64 perDifat = m_sectorSize / 4 - 1;
    std::vector<bool> seen(size_t(m_sectorCount), false);
    std::vector<char> sector(static_cast<size_t>(m_sectorSize));
    for (std::uint32_t next = difatStart; fatSectors->size() < fatCount;) {
        if (next >= m_sectorCount || seen[next] ||
            !readAt(sectorOffset(next), sector.data(), m_sectorSize))
            return false;
        seen[next] = true;
        for (qint64 i = 0; i < perDifat && fatSectors->size() < fatCount; ++i)
            fatSectors->push_back(le32(sector.data() + 4 * i));
        next = le32(sector.data() + 4 * perDifat);
    }
    return true;
}

bool CompoundFileReader::readFat(const std::vector<std::uint32_t>& fatSectors) {
    const qint64 perSector = m_sectorSize / 4;
    m_fat.assign(size_t(qint64(fatSectors.size()) * perSector), 0);
    std::vector<char> sector(static_cast<size_t>(m_sectorSize));
    for (size_t i = 0; i < fatSectors.size(); ++i) {
        if (fatSectors[i] >= m_sectorCount ||
            !readAt(sectorOffset(fatSectors[i]), sector.data(), m_sectorSize))
            return false;
        for (qint64 j = 0; j < perSector; ++j)
            m_fat[size_t(qint64(i) * perSector + j)] = le32(sector.data() + 4 * j);
    }
    return true;
}

std::optional<std::vector<std::uint32_t>>
CompoundFileReader::chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                          qint64 limit, qint64 maxLength) const {
    std::vector<std::uint32_t> sectors;
    if (limit >= 0) {
        if (limit > maxLength)
            return std::nullopt;
        sectors.reserve(size_t(limit));
    }
    // A chain longer than the file has sectors has looped. Sectors past the end of the file
    // but inside the table are left to the read, which fails there.
    for (std::uint32_t s = start; s != kEndOfChain && (limit < 0 || qint64(sectors.size()) < limit);
         s = table[s]) {
        if (s > kMaxRegularSector || s >= table.size() || qint64(sectors.size()) >= maxLength)
            return std::nullopt;
        sectors.push_back(s);
    }
    if (limit >= 0 && qint64(sectors.size()) < limit)
        return std::nullopt;
    // A sorted copy finds a sector met twice without a mark per sector for every stream.
    std::vector<std::uint32_t> sorted = sectors;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        return std::nullopt;
    return sectors;
}

bool CompoundFileReader::readDirectory(std::vector<DirEntry>* entries) {
    const auto sectors = chain(m_fat, m_dirStart, -1, m_sectorCount);
    if (!sectors || sectors->empty())
        return false;
    const bool wideSizes = m_sectorSize > 512; // 512-byte-sector files keep 32-bit sizes
    std::vector<char> sector(static_cast<size_t>(m_sectorSize));
    entries->reserve(size_t(qint64(sectors->size()) * (m_sectorSize / kDirEntrySize)));
    for (std::uint32_t s : *sectors) {
        if (!readAt(sectorOffset(s), sector.data(), m_sectorSize))
            return false;
        for (qint64 at = 0; at < m_sectorSize; at += kDirEntrySize) {
            const char* e = sector.data() + at;
            DirEntry entry;
            entry.type = static_cast<unsigned char>(e[66]);
            // The length counts bytes with the terminating zero, which writers do not always
            // put there: the name ends at the length or at a zero, whichever comes first. A
            // length past the field's 64 bytes leaves the name empty.
            const int length = le16(e + 64);
            const int units = length <= 64 ? length / 2 : 0;
            QString name;
            for (int i = 0; i < units; ++i) {
                const char16_t c = le16(e + 2 * i);
                if (c == 0)
                    break;
                name.append(QChar(c));
            }
            entry.name = name;
            entry.left = le32(e + 68);
            entry.right = le32(e + 72);
            entry.child = le32(e + 76);
            entry.start = le32(e + 116);
            entry.size = wideSizes ? le64(e + 120) : le32(e + 120);
            entries->push_back(std::move(entry));
        }
    }
    return true;
}

bool CompoundFileReader::walkRoot(const std::vector<DirEntry>& entries) {
    if (entries.front().type != kTypeRoot)
        return false;
    m_miniStreamStart = entries.front().start;
    std::vector<bool> visited(entries.size(), false);
    visited[0] = true;
    struct Pending {
        std::uint32_t id;
        bool atRoot;
    };
    // Every storage is walked, so damage anywhere in the tree is found; only the root's
    // own children are kept.
    std::vector<Pending> pending{{entries.front().child, true}};
    while (!pending.empty()) {
        const Pending p = pending.back();
        pending.pop_back();
        if (p.id == kNoStream)
            continue;
        if (p.id >= entries.size() || visited[p.id])
            return false;
        visited[p.id] = true;
        const DirEntry& e = entries[p.id];
        if (e.type != kTypeStorage && e.type != kTypeStream)
            return false;
        if (e.type == kTypeStream && e.size >= m_miniCutoff && e.size > std::uint64_t(m_fileSize))
            return false;
        pending.push_back({e.right, p.atRoot});
        pending.push_back({e.left, p.atRoot});
        if (e.type == kTypeStorage)
            pending.push_back({e.child, false});
        if (p.atRoot)
            m_children.push_back({e.name, e.type == kTypeStorage, e.start, e.size});
    }
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const Child& a, const Child& b) { return formatNameLess(a.name, b.name); });
    return true;
}

bool CompoundFileReader::loadMiniStream() {
    if (m_mini != Mini::NotLoaded)
        return m_mini == Mini::Loaded;
    m_mini = Mini::Damaged;
    const auto fatSectors = chain(m_fat, m_miniFatStart, -1, m_sectorCount);
    const auto streamSectors = chain(m_fat, m_miniStreamStart, -1, m_sectorCount);
    if (!fatSectors || !streamSectors)
        return false;
    const qint64 perSector = m_sectorSize / 4;
    m_miniFat.assign(size_t(qint64(fatSectors->size()) * perSector), 0);
    std::vector<char> sector(static_cast<size_t>(m_sectorSize));
    for (size_t i = 0; i < fatSectors->size(); ++i) {
        if (!readAt(sectorOffset((*fatSectors)[i]), sector.data(), m_sectorSize))
            return false;
        for (qint64 j = 0; j < perSector; ++j)
            m_miniFat[size_t(qint64(i) * perSector + j)] = le32(sector.data() + 4 * j);
    }
    m_miniStreamSectors = *streamSectors;
    m_mini = Mini::Loaded;
    return true;
}

std::optional<CompoundFileReader::Extents> CompoundFileReader::extentsOf(const Child& child) {
    Extents extents;
    if (child.storage)
        return std::nullopt;
    if (child.size == 0)
        return extents;
    if (child.size < m_miniCutoff) {
        if (!loadMiniStream())
            return std::nullopt;
        const qint64 perSector = m_sectorSize / kMiniSectorSize;
        const qint64 count = qint64((child.size + kMiniSectorSize - 1) / kMiniSectorSize);
        const auto minis =
            chain(m_miniFat, child.start, count, qint64(m_miniStreamSectors.size()) * perSector);
        if (!minis)
            return std::nullopt;
        extents.unit = kMiniSectorSize;
        extents.offsets.reserve(minis->size());
        for (std::uint32_t m : *minis) {
            if (m / perSector >= qint64(m_miniStreamSectors.size()))
                return std::nullopt; // past the end of the mini stream
            extents.offsets.push_back(sectorOffset(m_miniStreamSectors[m / perSector]) +
                                      (m % perSector) * kMiniSectorSize);
        }
        return extents;
    }
    if (child.size > std::uint64_t(m_fileSize))
        return std::nullopt;
    const qint64 count = qint64((child.size + m_sectorSize - 1) / std::uint64_t(m_sectorSize));
    const auto sectors = chain(m_fat, child.start, count, m_sectorCount);
    if (!sectors)
        return std::nullopt;
    extents.unit = m_sectorSize;
    extents.offsets.reserve(sectors->size());
    for (std::uint32_t s : *sectors)
        extents.offsets.push_back(sectorOffset(s));
    return extents;
}

bool CompoundFileReader::isReadable(int index) {
    if (index < 0 || index >= int(m_children.size()))
        return false;
    return extentsOf(m_children[size_t(index)]).has_value();
}

std::optional<QByteArray> CompoundFileReader::read(int index, qint64 limit) {
    if (index < 0 || index >= int(m_children.size()))
        return std::nullopt;
    const Child& child = m_children[size_t(index)];
    if (child.size > std::uint64_t(m_fileSize) || qint64(child.size) > limit)
        return std::nullopt;
    const auto extents = extentsOf(child);
    if (!extents)
        return std::nullopt;
    const qint64 size = qint64(child.size);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    // Pieces that follow each other in the file are read together.
    qint64 done = 0;
    for (size_t i = 0; i < extents->offsets.size();) {
        size_t j = i + 1;
        while (j < extents->offsets.size() &&
               extents->offsets[j] == extents->offsets[j - 1] + extents->unit)
            ++j;
        const qint64 length = std::min<qint64>(qint64(j - i) * extents->unit, size - done);
        if (!readAt(extents->offsets[i], bytes.data() + done, length))
            return std::nullopt;
        done += length;
        i = j;
    }
    return bytes;
}
