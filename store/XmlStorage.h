#pragma once

#include "StreamWriter.h"
#include "XmlDoc.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A fragment (*.frag) or lesson (*.les) file: a compound file whose root storage holds the
// stream "xml" with the document and one stream per picture with its encoded image bytes.
// The container is at the same time the XmlDoc of that "xml" stream.
//
// Every open (reading, update, creating) first closes whatever the container held, then
// holds a lock on the file until close(). Update and creating hold it exclusively, so a file
// that another container holds, in this process or another, cannot be opened that way;
// readers of fragments share theirs, so several instances can show one topic while no
// writer gets in. A call that fails after the file itself was opened (a missing "xml"
// stream, say) leaves it open and locked until close().
//
// Names and paths of the byte-string calls are code page 1251; the *Local* calls take a
// path as the file system spells it, for paths that code page 1251 cannot hold.
//
// Stream names are at most 31 UTF-16 units and are looked up without regard to letter case,
// as Windows does. A created file never holds two names equal but for case.
//
// Failures raise Err with the texts below. Reading never trusts the file: damaged chains,
// loops and sizes past the end of the file give the message of the call that met them, and
// no stream is ever allocated beyond the file's own size.
class XmlStorage : public XmlDoc {
public:
    // Result codes (the structured-storage values where one fits). Negative means failure.
    enum Result : std::int32_t {
        kOk = 0,
        kInvalidFunction = std::int32_t(0x80030001u), // call does not fit the open state
        kFileNotFound = std::int32_t(0x80030002u),
        kAccessDenied = std::int32_t(0x80030005u),
        kWriteFault = std::int32_t(0x8003001Du),
        kReadFault = std::int32_t(0x8003001Eu),
        kShareViolation = std::int32_t(0x80030020u),    // held open by someone else
        kFileAlreadyExists = std::int32_t(0x80030050u), // a name equal but for case exists
        kInvalidHeader = std::int32_t(0x800300FBu),     // not a compound file, or damaged
        kInvalidName = std::int32_t(0x800300FCu),
    };

    struct StreamEntry {
        QString name;     // as stored in the file
        qint64 size = -1; // -1 when the stream's entry is damaged
    };

    struct CreatedStream {
        std::int32_t result = kInvalidFunction;
        StreamWriter stream; // open only when result is kOk
    };

    static constexpr int kMaxNameLength = 31; // UTF-16 units

    XmlStorage();
    ~XmlStorage() override;

    // Creates the file, or empties an existing one once it is locked; its content is laid
    // out and written by close(), which reports whether that succeeded. A saver that must not
    // lose the old file on failure creates a temporary file and renames it when close() is
    // true. Raises "Failed StgCreateStorageEx".
    void createFile(const QByteArray& path);
    void createLocalFile(const QString& localPath);
    // The same on a file the caller has already opened for writing (and locked): it is
    // written through a duplicate of fd and never opened by name. localPath only names it.
    void createInOpenFile(int fd, const QString& localPath);

    // Opens a fragment read-only and parses its "xml" stream into the document.
    // Raises "Не могу открыть файл. Возможно он занят другим приложением." (missing, held,
    // not a compound file, damaged), "Failed OpenStream", "Failed Read Xml" (also for a
    // stream longer than kMaxTextBytes, which is refused before it is read).
    void openForReading(const QByteArray& path);
    void openLocalForReading(const QString& localPath);

    // Opens a lesson; the XML is read by readXmlStream. Nothing is ever written to a file
    // opened this way, so read access suffices. Raises "Failed StgOpenStorage".
    void openForUpdate(const QByteArray& path);
    void openLocalForUpdate(const QString& localPath);
    // The container part of openLocalForUpdate, done away from the storage on any thread:
    // libgsf reads a directory of thousands of streams slowly. adoptDetached makes it this
    // storage's; dropDetached lets it go (with its lock), also one still being opened.
    struct Detached;
    static std::shared_ptr<Detached> newDetached();
    static void openDetached(const QString& localPath, Detached& detached);
    static void dropDetached(Detached& detached);
    // Closes this storage and takes detached's container; raises "Failed StgOpenStorage"
    // when it could not be opened (or was dropped).
    void adoptDetached(Detached& detached);

    // The whole named stream, unparsed. Raises "Failed OpenWXmlStream", "Failed Read Xml"
    // (also for a stream longer than kMaxTextBytes).
    QByteArray readXmlStream(const QString& name);

    // Only on a created file. Raises "Failed CreateStream" (also for a name that is invalid,
    // too long or already created), "Failed WriteStream", "Failed Commit".
    void writeXmlStream(const QString& name, const QByteArray& text);

    // The whole content of the named picture stream. Asking again for a name gives the same
    // bytes from the cache; each caller's QByteArray is its own. A stream whose content
    // cannot be read (broken chain, size past the end) gives an empty array, which the
    // picture loader reports as an undecodable picture. Raises "Failed OpenStream" when the
    // file holds no stream of that name or the name is not a valid stream name.
    QByteArray openPictureStream(const QByteArray& name);

    // Only on a created file; raises nothing. Fails with kInvalidName (empty, over 31
    // characters, or holding one of \ / : !), kFileAlreadyExists (a stream of that name,
    // ignoring case, was already created: libgsf cannot replace one), kInvalidFunction
    // (no file created). The stream is complete when the writer is released.
    CreatedStream createPictureStream(const QByteArray& name);

    // Releases everything, unlocks the file, empties the document being built (saveList)
    // and storagePath. For a created file this is when its bytes
    // are laid out and written: false means the file could not be written completely
    // (disk full, I/O error, a stream write that failed) and must not be trusted. True in
    // every other case; a second close() does nothing and returns true.
    bool close();

    // The root storage's streams in directory order (sub-storages are left out).
    // Empty when nothing is open for reading or update.
    std::vector<StreamEntry> rootStreams() const;

    // The path given to createFile (code page 1251); empty once closed.
    const QByteArray& storagePath() const { return m_storagePath; }
    std::int32_t lastResult() const { return m_lastResult; }
    bool isOpen() const;

private:
    struct ReadState;
    struct WriteState;

    void createAt(const QString& localPath, int openFd);
    bool openRead(const QString& localPath, bool shared);
    // Index of the first root child called name (exact match first, then ignoring case); -1 if
    // there is none or it is a storage rather than a stream. A damaged entry is found.
    int findStream(const QString& name) const;
    // Content of root child index, cached; nullopt when it cannot be read or is longer
    // than limit (checked before anything is read).
    std::optional<QByteArray> readStream(int index, qint64 limit = INT64_MAX);
    // Completes the stream being written and starts the next one; a result code.
    std::int32_t beginStream(const QString& name);
    bool finishWrite();

    std::int32_t m_lastResult = kOk;
    std::unique_ptr<ReadState> m_read;
    std::unique_ptr<WriteState> m_write;
    QByteArray m_storagePath;
};
