#include "CfbBuilder.h"

#include <algorithm>
#include <functional>

namespace {

std::uint32_t sectorsFor(qint64 bytes, int unit) {
    return std::uint32_t((bytes + unit - 1) / unit);
}

// The format's order of sibling names: shorter first, then by upper-cased UTF-16 units.
bool cfbLess(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    const QString ua = a.toUpper();
    const QString ub = b.toUpper();
    if (ua != ub)
        return ua < ub;
    return a < b; // equal but for case: invalid in a real file, kept deterministic here
}

} // namespace

void CfbBuilder::put16(QByteArray& bytes, qint64 offset, std::uint16_t value) {
    for (int i = 0; i < 2; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

void CfbBuilder::put32(QByteArray& bytes, qint64 offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

void CfbBuilder::put64(QByteArray& bytes, qint64 offset, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

std::uint32_t CfbBuilder::get32(const QByteArray& bytes, qint64 offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[offset + i]);
    return value;
}

QByteArray CfbBuilder::build(Layout* layoutOut) const {
    Layout layout;
    layout.sectorSize = m_version == 4 ? 4096 : 512;
    const int ss = layout.sectorSize;
    const int n = int(m_entries.size());

    // Mini stream and regular streams.
    QByteArray miniStream;
    QVector<std::uint32_t> miniChains; // mini sector count per entry (0 if not in it)
    std::uint32_t bigSectors = 0;
    for (const Entry& e : m_entries) {
        const bool mini = !e.storage && !e.data.isEmpty() && e.data.size() < kMiniStreamCutoff;
        layout.inMiniStream.push_back(mini);
        if (mini) {
            layout.startSectors.push_back(std::uint32_t(miniStream.size() / kMiniSectorSize));
            QByteArray padded = e.data;
            padded.append(QByteArray(sectorsFor(e.data.size(), kMiniSectorSize) * kMiniSectorSize -
                                         e.data.size(),
                                     '\0'));
            miniStream += padded;
        } else {
            layout.startSectors.push_back(kEndOfChain); // assigned below for big streams
            if (!e.storage)
                bigSectors += sectorsFor(e.data.size(), ss);
        }
    }
    const std::uint32_t miniSectorCount = sectorsFor(miniStream.size(), kMiniSectorSize);
    const std::uint32_t miniFatSectors = sectorsFor(qint64(miniSectorCount) * 4, ss);
    const std::uint32_t miniStreamSectors = sectorsFor(miniStream.size(), ss);
    const std::uint32_t dirSectors = sectorsFor(qint64(n + 1) * kDirEntrySize, ss);
    const std::uint32_t others = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;
    std::uint32_t fatSectors = 1;
    while (std::uint64_t(fatSectors) * (ss / 4) < others + fatSectors)
        ++fatSectors;

    layout.fatStart = 0;
    layout.fatSectors = fatSectors;
    layout.dirStart = fatSectors;
    std::uint32_t next = layout.dirStart + dirSectors;
    if (miniFatSectors) {
        layout.miniFatStart = next;
        next += miniFatSectors;
        layout.miniStreamStart = next;
        next += miniStreamSectors;
    }
    for (int i = 0; i < n; ++i) {
        const Entry& e = m_entries[i];
        if (!e.storage && !layout.inMiniStream[i] && !e.data.isEmpty()) {
            layout.startSectors[i] = next;
            next += sectorsFor(e.data.size(), ss);
        }
    }
    const std::uint32_t totalSectors = next;

    QByteArray file(qint64(totalSectors + 1) * ss, '\0');

    // Header.
    const unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i)
        file[i] = char(signature[i]);
    put16(file, 24, 0x003E);
    put16(file, 26, std::uint16_t(m_version));
    put16(file, 28, 0xFFFE);
    put16(file, 30, m_version == 4 ? 12 : 9);
    put16(file, 32, 6);
    put32(file, 40, m_version == 4 ? dirSectors : 0);
    put32(file, 44, fatSectors);
    put32(file, 48, layout.dirStart);
    put32(file, 56, kMiniStreamCutoff);
    put32(file, 60, layout.miniFatStart);
    put32(file, 64, miniFatSectors);
    put32(file, 68, kEndOfChain);
    put32(file, 72, 0);
    for (int i = 0; i < 109; ++i)
        put32(file, 76 + 4 * i, std::uint32_t(i) < fatSectors ? std::uint32_t(i) : kFreeSect);

    // FAT.
    for (std::uint32_t s = 0; s < fatSectors * (ss / 4); ++s)
        put32(file, layout.fatEntryOffset(s), kFreeSect);
    for (std::uint32_t s = 0; s < fatSectors; ++s)
        put32(file, layout.fatEntryOffset(s), kFatSect);
    auto chain = [&](std::uint32_t start, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i)
            put32(file, layout.fatEntryOffset(start + i),
                  i + 1 < count ? start + i + 1 : kEndOfChain);
    };
    chain(layout.dirStart, dirSectors);
    if (miniFatSectors) {
        chain(layout.miniFatStart, miniFatSectors);
        chain(layout.miniStreamStart, miniStreamSectors);
    }
    for (int i = 0; i < n; ++i)
        if (!layout.inMiniStream[i] && layout.startSectors[i] != kEndOfChain)
            chain(layout.startSectors[i], sectorsFor(m_entries[i].data.size(), ss));

    // Mini FAT and mini stream.
    if (miniFatSectors) {
        const qint64 miniFatBase = layout.sectorOffset(layout.miniFatStart);
        for (std::uint32_t s = 0; s < miniFatSectors * (ss / 4); ++s)
            put32(file, miniFatBase + 4 * s, kFreeSect);
        for (int i = 0; i < n; ++i) {
            if (!layout.inMiniStream[i])
                continue;
            const std::uint32_t start = layout.startSectors[i];
            const std::uint32_t count = sectorsFor(m_entries[i].data.size(), kMiniSectorSize);
            for (std::uint32_t k = 0; k < count; ++k)
                put32(file, miniFatBase + 4 * (start + k),
                      k + 1 < count ? start + k + 1 : kEndOfChain);
        }
        file.replace(layout.sectorOffset(layout.miniStreamStart), miniStream.size(), miniStream);
    }
    for (int i = 0; i < n; ++i)
        if (!layout.inMiniStream[i] && layout.startSectors[i] != kEndOfChain)
            file.replace(layout.sectorOffset(layout.startSectors[i]), m_entries[i].data.size(),
                         m_entries[i].data);

    // Directory: a balanced tree in the format's name order, every node black.
    QVector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return cfbLess(m_entries[a].name, m_entries[b].name); });
    QVector<std::uint32_t> left(n + 1, kNoStream), right(n + 1, kNoStream);
    std::function<std::uint32_t(int, int)> subtree = [&](int lo, int hi) -> std::uint32_t {
        if (lo > hi)
            return kNoStream;
        const int mid = (lo + hi) / 2;
        const std::uint32_t id = std::uint32_t(order[mid] + 1);
        left[id] = subtree(lo, mid - 1);
        right[id] = subtree(mid + 1, hi);
        return id;
    };
    const std::uint32_t top = subtree(0, n - 1);

    const std::uint32_t dirCapacity = dirSectors * (ss / kDirEntrySize);
    for (std::uint32_t id = 0; id < dirCapacity; ++id) {
        const qint64 at = layout.dirEntryOffset(id);
        put32(file, at + kDirLeft, kNoStream);
        put32(file, at + kDirRight, kNoStream);
        put32(file, at + kDirChild, kNoStream);
        if (id > std::uint32_t(n))
            continue;
        const QString name = id == 0 ? QStringLiteral("Root Entry") : m_entries[id - 1].name;
        for (int k = 0; k < name.size() && k < 31; ++k)
            put16(file, at + 2 * k, name[k].unicode());
        put16(file, at + 64, std::uint16_t((std::min<qsizetype>(name.size(), 31) + 1) * 2));
        file[at + 67] = 1; // black
        if (id == 0) {
            file[at + 66] = 5;
            put32(file, at + kDirChild, top);
            put32(file, at + kDirStart, layout.miniStreamStart);
            put64(file, at + kDirSize, std::uint64_t(miniStream.size()));
            continue;
        }
        const Entry& e = m_entries[id - 1];
        file[at + 66] = e.storage ? 1 : 2;
        put32(file, at + kDirLeft, left[id]);
        put32(file, at + kDirRight, right[id]);
        put32(file, at + kDirStart, e.storage ? 0 : layout.startSectors[id - 1]);
        put64(file, at + kDirSize, std::uint64_t(e.data.size()));
    }
    for (int i = 0; i < n; ++i)
        layout.entryIds.push_back(std::uint32_t(i + 1));

    if (layoutOut)
        *layoutOut = layout;
    return file;
}
