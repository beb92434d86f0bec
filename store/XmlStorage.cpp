#include "XmlStorage.h"

#include "CompoundFileReader.h"
#include "Cp1251.h"
#include "Err.h"
#include "FileLock.h"
#include "GsfSupport.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <cstdio>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

using gsfsupport::LogTrap;
using gsfsupport::Ref;

namespace {

const char* const kMsgCannotOpen = "Не могу открыть файл. Возможно он занят другим приложением.";

// Windows refuses these in element names; libgsf would write them.
bool isValidStreamName(const QString& name) {
    if (name.isEmpty() || name.size() > XmlStorage::kMaxNameLength)
        return false;
    for (QChar c : name)
        if (c == u'\\' || c == u'/' || c == u':' || c == u'!' || c.unicode() == 0)
            return false;
    return true;
}

// Compound-file names compare by upper-casing each UTF-16 unit on its own.
QString foldCase(const QString& name) {
    QString folded = name;
    for (QChar& c : folded)
        c = c.toUpper();
    return folded;
}

QString localPathOf(const QByteArray& cp1251Path) {
    return cp1251::toUnicode(cp1251Path);
}

std::int32_t resultOf(FileLock::Failure failure) {
    switch (failure) {
    case FileLock::Failure::NotFound:
        return XmlStorage::kFileNotFound;
    case FileLock::Failure::Busy:
        return XmlStorage::kShareViolation;
    default:
        return XmlStorage::kAccessDenied;
    }
}

} // namespace

struct XmlStorage::ReadState {
    FileLock lock;
    // Reads through the lock's descriptor. Our own reader rather than libgsf's: that one
    // keeps the directory in a list sorted by insertion, quadratic in the number of streams.
    CompoundFileReader reader;
    qint64 fileSize = 0;
    // Bytes still allowed to be read. Streams of a sound file do not overlap, so together
    // they never exceed the file; a file whose chains share sectors cannot make us
    // allocate more than that either.
    qint64 readBudget = 0;
    // The first child of each name, and of each name folded to upper case: a record naming
    // its stream in another letter case is found without folding every name again.
    QHash<QString, int> byName;
    QHash<QString, int> byFoldedName;
    std::map<QByteArray, int> streamCache;             // picture name (bytewise) -> child index
    std::map<int, std::optional<QByteArray>> contents; // child index -> bytes read
};

struct XmlStorage::WriteState {
    FileLock lock;
    std::FILE* file = nullptr;
    Ref<GsfOutput> sink;
    Ref<GsfOutfile> outfile;
    std::shared_ptr<gsfsupport::OpenOutput> current;
    QSet<QString> foldedNames; // names created so far, upper-cased
    bool incomplete = false;

    ~WriteState() {
        outfile.reset();
        sink.reset();
        if (file)
            std::fclose(file);
    }
};

XmlStorage::XmlStorage() = default;

XmlStorage::~XmlStorage() {
    close();
}

bool XmlStorage::isOpen() const {
    return m_read || m_write;
}

void XmlStorage::createFile(const QByteArray& path) {
    close();
    m_storagePath = path;
    createAt(localPathOf(path), -1);
}

void XmlStorage::createLocalFile(const QString& localPath) {
    close();
    m_storagePath = cp1251::fromUnicodeLossy(localPath);
    createAt(localPath, -1);
}

void XmlStorage::createInOpenFile(int fd, const QString& localPath) {
    close();
    m_storagePath = cp1251::fromUnicodeLossy(localPath);
    createAt(localPath, fd);
}

void XmlStorage::createAt(const QString& localPath, int openFd) {
    gsfsupport::ensureInitialised();

    auto state = std::make_unique<WriteState>();
    if (openFd < 0 && !state->lock.acquire(localPath, FileLock::Access::Create)) {
        m_lastResult = resultOf(state->lock.failure());
        throw Err("Failed StgCreateStorageEx");
    }
    const int fd = ::dup(openFd >= 0 ? openFd : state->lock.fd());
    if (fd >= 0 && openFd >= 0 && (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)) {
        ::close(fd);
        m_lastResult = kAccessDenied;
        throw Err("Failed StgCreateStorageEx");
    }
    state->file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!state->file) {
        if (fd >= 0)
            ::close(fd);
        m_lastResult = kAccessDenied;
        throw Err("Failed StgCreateStorageEx");
    }
    {
        LogTrap trap;
        GError* error = nullptr;
        // keep_open: the FILE is flushed, synced and closed by finishWrite, which checks
        // every step; libgsf would close it without telling us about a failure.
        state->sink.reset(
            gsf_output_stdio_new_FILE(QFile::encodeName(localPath).constData(), state->file, TRUE));
        g_clear_error(&error);
        if (state->sink)
            state->outfile.reset(gsf_outfile_msole_new(state->sink.get()));
        if (!state->outfile || trap.trapped()) {
            m_lastResult = kWriteFault;
            throw Err("Failed StgCreateStorageEx");
        }
    }
    m_write = std::move(state);
    m_lastResult = kOk;
}

bool XmlStorage::openRead(const QString& localPath, bool shared) {
    auto state = std::make_unique<ReadState>();
    if (!state->lock.acquire(localPath,
                             shared ? FileLock::Access::SharedRead : FileLock::Access::Read)) {
        m_lastResult = resultOf(state->lock.failure());
        return false;
    }
    struct stat st {};
    if (::fstat(state->lock.fd(), &st) != 0) {
        m_lastResult = kAccessDenied;
        return false;
    }
    state->fileSize = st.st_size;
    state->readBudget = st.st_size;
    if (!state->reader.open(state->lock.fd(), st.st_size)) {
        m_lastResult = kInvalidHeader;
        return false;
    }
    const std::vector<CompoundFileReader::Child>& children = state->reader.rootChildren();
    state->byName.reserve(qsizetype(children.size()));
    state->byFoldedName.reserve(qsizetype(children.size()));
    for (int i = 0; i < int(children.size()); ++i) {
        const QString& name = children[size_t(i)].name;
        const QString folded = foldCase(name);
        if (!state->byName.contains(name))
            state->byName.insert(name, i);
        if (!state->byFoldedName.contains(folded))
            state->byFoldedName.insert(folded, i);
    }
    m_read = std::move(state);
    m_lastResult = kOk;
    return true;
}

void XmlStorage::openForReading(const QByteArray& path) {
    openLocalForReading(localPathOf(path));
}

void XmlStorage::openLocalForReading(const QString& localPath) {
    close();
    if (!openRead(localPath, true))
        throw Err(kMsgCannotOpen);
    // From here on a failure leaves the file open (and locked) until close().
    const int xml = findStream(QStringLiteral("xml"));
    if (xml < 0) {
        m_lastResult = kFileNotFound;
        throw Err("Failed OpenStream");
    }
    const std::optional<QByteArray> text = readStream(xml, kMaxTextBytes);
    if (!text)
        throw Err("Failed Read Xml");
    parse(*text);
}

void XmlStorage::openForUpdate(const QByteArray& path) {
    openLocalForUpdate(localPathOf(path));
}

void XmlStorage::openLocalForUpdate(const QString& localPath) {
    close();
    if (!openRead(localPath, false))
        throw Err("Failed StgOpenStorage");
}

struct XmlStorage::Detached {
    std::mutex mutex;
    bool dropped = false;
    std::int32_t result = kInvalidFunction;
    std::unique_ptr<ReadState> read;
};

std::shared_ptr<XmlStorage::Detached> XmlStorage::newDetached() {
    return std::make_shared<Detached>();
}

void XmlStorage::openDetached(const QString& localPath, Detached& detached) {
    XmlStorage storage; // closes what is not taken, after the lock below is let go
    const bool opened = storage.openRead(localPath, false);
    const std::lock_guard<std::mutex> lock(detached.mutex);
    detached.result = storage.m_lastResult;
    if (opened && !detached.dropped)
        detached.read = std::move(storage.m_read);
}

void XmlStorage::dropDetached(Detached& detached) {
    std::unique_ptr<ReadState> read;
    const std::lock_guard<std::mutex> lock(detached.mutex);
    detached.dropped = true;
    read = std::move(detached.read);
}

void XmlStorage::adoptDetached(Detached& detached) {
    close();
    const std::lock_guard<std::mutex> lock(detached.mutex);
    m_lastResult = detached.result;
    if (!detached.read)
        throw Err("Failed StgOpenStorage");
    m_read = std::move(detached.read);
}

int XmlStorage::findStream(const QString& name) const {
    if (!m_read || !isValidStreamName(name))
        return -1;
    int found = m_read->byName.value(name, -1);
    if (found < 0)
        found = m_read->byFoldedName.value(foldCase(name), -1);
    if (found < 0)
        return -1;
    // A storage is not a stream. A damaged stream is found, and reading it fails
    // (readStream).
    if (m_read->reader.rootChildren()[size_t(found)].storage)
        return -1;
    return found;
}

std::optional<QByteArray> XmlStorage::readStream(int index, qint64 limit) {
    auto& read = *m_read;
    if (auto cached = read.contents.find(index); cached != read.contents.end())
        return cached->second;
    const qint64 size = qint64(read.reader.rootChildren()[size_t(index)].size);
    std::optional<QByteArray> bytes;
    if (size >= 0 && size <= read.readBudget && size <= limit)
        bytes = read.reader.read(index, limit);
    read.contents[index] = bytes;
    if (!bytes) {
        m_lastResult = kReadFault;
        return std::nullopt;
    }
    read.readBudget -= size;
    m_lastResult = kOk;
    return bytes;
}

QByteArray XmlStorage::readXmlStream(const QString& name) {
    const int index = findStream(name);
    if (index < 0) {
        m_lastResult = m_read ? kFileNotFound : kInvalidFunction;
        throw Err("Failed OpenWXmlStream");
    }
    const std::optional<QByteArray> text = readStream(index, kMaxTextBytes);
    if (!text)
        throw Err("Failed Read Xml");
    return *text;
}

QByteArray XmlStorage::openPictureStream(const QByteArray& name) {
    if (m_read) {
        if (auto hit = m_read->streamCache.find(name); hit != m_read->streamCache.end())
            return readStream(hit->second).value_or(QByteArray());
    }
    const int index = findStream(cp1251::toUnicode(name));
    if (index < 0) {
        m_lastResult = m_read ? kFileNotFound : kInvalidFunction;
        throw Err("Failed OpenStream");
    }
    m_read->streamCache[name] = index;
    return readStream(index).value_or(QByteArray());
}

std::int32_t XmlStorage::beginStream(const QString& name) {
    if (!m_write || !m_write->outfile)
        return kInvalidFunction;
    if (!isValidStreamName(name))
        return kInvalidName;
    auto& write = *m_write;
    const QString folded = foldCase(name);
    if (write.foldedNames.contains(folded))
        return kFileAlreadyExists;
    if (write.current) {
        write.current->finish();
        write.incomplete |= write.current->failed;
        write.current.reset();
    }
    LogTrap trap;
    Ref<GsfOutput> child(
        gsf_outfile_new_child(write.outfile.get(), name.toUtf8().constData(), FALSE));
    if (!child || trap.trapped())
        return kWriteFault;
    write.current = std::make_shared<gsfsupport::OpenOutput>();
    write.current->output = std::move(child);
    write.foldedNames.insert(folded);
    return kOk;
}

void XmlStorage::writeXmlStream(const QString& name, const QByteArray& text) {
    m_lastResult = beginStream(name);
    if (m_lastResult < 0)
        throw Err("Failed CreateStream");
    auto& current = *m_write->current;
    {
        LogTrap trap;
        const bool written =
            text.isEmpty() || gsf_output_write(current.output.get(), size_t(text.size()),
                                               reinterpret_cast<const guint8*>(text.constData()));
        if (!written || trap.trapped()) {
            current.failed = true;
            m_lastResult = kWriteFault;
            throw Err("Failed WriteStream");
        }
    }
    current.finish();
    if (current.failed) {
        m_lastResult = kWriteFault;
        throw Err("Failed Commit");
    }
}

XmlStorage::CreatedStream XmlStorage::createPictureStream(const QByteArray& name) {
    CreatedStream created;
    created.result = m_lastResult = beginStream(cp1251::toUnicode(name));
    if (created.result == kOk)
        created.stream = StreamWriter(m_write->current);
    return created;
}

bool XmlStorage::finishWrite() {
    auto& write = *m_write;
    bool ok = true;
    if (write.current) {
        write.current->finish();
        ok = !write.current->failed;
        write.current.reset();
    }
    {
        LogTrap trap;
        if (write.outfile && !gsf_output_close(GSF_OUTPUT(write.outfile.get())))
            ok = false;
        write.outfile.reset();
        if (write.sink && !gsf_output_is_closed(write.sink.get()) &&
            !gsf_output_close(write.sink.get()))
            ok = false;
        write.sink.reset();
        if (trap.trapped())
            ok = false;
    }
    if (write.file) {
        ok = std::fflush(write.file) == 0 && ok;
        ok = !std::ferror(write.file) && ok;
        ok = ::fsync(::fileno(write.file)) == 0 && ok;
        ok = std::fclose(write.file) == 0 && ok;
        write.file = nullptr;
    }
    return ok && !write.incomplete;
}

bool XmlStorage::close() {
    bool ok = true;
    if (m_write) {
        ok = finishWrite();
        if (!ok)
            m_lastResult = kWriteFault;
    }
    m_write.reset();
    m_read.reset();
    clearSaveList();
    m_storagePath.clear();
    return ok;
}

std::vector<XmlStorage::StreamEntry> XmlStorage::rootStreams() const {
    std::vector<StreamEntry> entries;
    if (!m_read)
        return entries;
    const std::vector<CompoundFileReader::Child>& children = m_read->reader.rootChildren();
    for (int i = 0; i < int(children.size()); ++i) {
        const CompoundFileReader::Child& child = children[size_t(i)];
        if (child.storage)
            continue;
        StreamEntry entry;
        entry.name = child.name;
        entry.size = m_read->reader.isReadable(i) ? qint64(child.size) : -1;
        entries.push_back(entry);
    }
    return entries;
}
