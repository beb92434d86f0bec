#include "MalformedFiles.h"

#include "CfbBuilder.h"

namespace {

using Layout = CfbBuilder::Layout;

QByteArray pictureBytes() {
    QByteArray bytes(kPictureSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}

// An "xml" text of at least minSize bytes (padded with blank lines), so that it can be made
// to live in regular sectors instead of the mini stream.
QByteArray xmlText(int minSize = 0) {
    QByteArray text = soundFragmentXml();
    while (text.size() < minSize)
        text.append('\n');
    return text;
}

struct Fragment {
    QByteArray bytes;
    Layout layout;
};

// Entry 0 is "xml", entry 1 "pic.jpg".
Fragment fragment(int xmlMinSize = 0) {
    CfbBuilder builder;
    builder.addStream(QStringLiteral("xml"), xmlText(xmlMinSize));
    builder.addStream(QStringLiteral("pic.jpg"), pictureBytes());
    Fragment f;
    f.bytes = builder.build(&f.layout);
    return f;
}

qint64 miniFatEntryOffset(const Layout& layout, std::uint32_t miniSector) {
    return layout.sectorOffset(layout.miniFatStart) + 4 * qint64(miniSector);
}

} // namespace

QByteArray soundFragmentXml() {
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n<Pictures>\n</Pictures>\n"
           "<Object type=\"BmpRectStream\">\n<name>pic.jpg</name>\n</Object>\n</Data>\n";
}

std::vector<MalformedFile> malformedFiles() {
    std::vector<MalformedFile> files;
    auto add = [&](const char* name, const QByteArray& bytes) {
        files.push_back({QString::fromLatin1(name), bytes});
    };

    add("empty.frag", QByteArray());
    add("not-a-compound-file.frag", "<Data>\nThis is a text file, not a compound file.\n</Data>\n");

    {
        Fragment f = fragment();
        f.bytes[0] = 'X'; // first signature byte
        add("wrong-signature.frag", f.bytes);
    }
    add("truncated-header.frag", fragment().bytes.left(256));
    {
        // Cut inside the picture's sectors, which are the last in the file.
        const Fragment f = fragment();
        add("truncated-picture.frag", f.bytes.left(f.bytes.size() - 1000));
    }
    {
        Fragment f = fragment();
        CfbBuilder::put16(f.bytes, 30, 30); // 2^30-byte sectors
        add("bad-sector-shift.frag", f.bytes);
    }
    {
        Fragment f = fragment();
        CfbBuilder::put32(f.bytes, 44, 0x00FFFFFF); // number of FAT sectors
        add("fat-sector-count-huge.frag", f.bytes);
    }
    {
        Fragment f = fragment();
        CfbBuilder::put32(f.bytes, 48, 100000); // first directory sector
        add("directory-start-past-end.frag", f.bytes);
    }
    {
        // "xml" in regular sectors; its third sector leads back to its first.
        Fragment f = fragment(5000);
        const std::uint32_t start = f.layout.startSectors[0];
        CfbBuilder::put32(f.bytes, f.layout.fatEntryOffset(start + 2), start);
        add("fat-chain-loop.frag", f.bytes);
    }
    {
        // The directory's own chain leads back to itself.
        Fragment f = fragment();
        CfbBuilder::put32(f.bytes, f.layout.fatEntryOffset(f.layout.dirStart), f.layout.dirStart);
        add("directory-chain-loop.frag", f.bytes);
    }
    {
        // "xml" in the mini stream; its second mini sector leads back to its first.
        Fragment f = fragment();
        const std::uint32_t start = f.layout.startSectors[0];
        CfbBuilder::put32(f.bytes, miniFatEntryOffset(f.layout, start + 1), start);
        add("mini-chain-loop.frag", f.bytes);
    }
    {
        // The root's child is its own left sibling.
        Fragment f = fragment();
        const qint64 root = f.layout.dirEntryOffset(0);
        const std::uint32_t top = CfbBuilder::get32(f.bytes, root + CfbBuilder::kDirChild);
        CfbBuilder::put32(f.bytes, f.layout.dirEntryOffset(top) + CfbBuilder::kDirLeft, top);
        add("directory-loop.frag", f.bytes);
    }
    {
        // A sibling link back to the root entry.
        Fragment f = fragment();
        const qint64 root = f.layout.dirEntryOffset(0);
        const std::uint32_t top = CfbBuilder::get32(f.bytes, root + CfbBuilder::kDirChild);
        CfbBuilder::put32(f.bytes, f.layout.dirEntryOffset(top) + CfbBuilder::kDirRight, 0);
        add("directory-sibling-is-root.frag", f.bytes);
    }
    {
        // The root's child has the other entry on both sides: one entry reached twice.
        Fragment f = fragment();
        const qint64 root = f.layout.dirEntryOffset(0);
        const std::uint32_t top = CfbBuilder::get32(f.bytes, root + CfbBuilder::kDirChild);
        const qint64 topEntry = f.layout.dirEntryOffset(top);
        const std::uint32_t other = top == 1 ? 2 : 1;
        CfbBuilder::put32(f.bytes, topEntry + CfbBuilder::kDirLeft, other);
        CfbBuilder::put32(f.bytes, topEntry + CfbBuilder::kDirRight, other);
        add("directory-shared-entry.frag", f.bytes);
    }
    {
        // The mini stream's own chain (the root entry's) leads back to itself.
        Fragment f = fragment();
        const std::uint32_t start = f.layout.miniStreamStart;
        CfbBuilder::put32(f.bytes, f.layout.fatEntryOffset(start), start);
        add("mini-stream-chain-loop.frag", f.bytes);
    }
    {
        Fragment f = fragment();
        CfbBuilder::put64(f.bytes, f.layout.dirEntryOffset(1) + CfbBuilder::kDirSize, 0x7FFFFFF0);
        add("xml-size-past-end.frag", f.bytes);
    }
    {
        Fragment f = fragment();
        CfbBuilder::put64(f.bytes, f.layout.dirEntryOffset(2) + CfbBuilder::kDirSize, 0x7FFFFFF0);
        add("stream-size-past-end.frag", f.bytes);
    }
    {
        Fragment f = fragment();
        CfbBuilder::put32(f.bytes, f.layout.dirEntryOffset(2) + CfbBuilder::kDirStart, 100000);
        add("stream-start-past-end.frag", f.bytes);
    }
    {
        // The mini stream (held by the root entry) claims far more than the file holds.
        Fragment f = fragment();
        CfbBuilder::put64(f.bytes, f.layout.dirEntryOffset(0) + CfbBuilder::kDirSize, 0x7FFFFFC0);
        add("mini-stream-size-past-end.frag", f.bytes);
    }
    {
        Fragment f = fragment();
        CfbBuilder::put16(f.bytes, f.layout.dirEntryOffset(2) + 64, 0xFFFF); // name length
        add("name-length-oversized.frag", f.bytes);
    }
    {
        CfbBuilder builder;
        builder.addStream(QStringLiteral("pic.jpg"), pictureBytes());
        add("no-xml-stream.frag", builder.build());
    }
    {
        CfbBuilder builder;
        builder.addStorage(QStringLiteral("xml"));
        builder.addStream(QStringLiteral("pic.jpg"), pictureBytes());
        add("xml-is-storage.frag", builder.build());
    }
    return files;
}
