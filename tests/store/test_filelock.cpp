// Every error path of the file lock, with the errors of file systems the test machine does
// not have injected into its system calls.
#include "FileLock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/file.h>

namespace {

enum class Call { None, Open, Fstat, SetFlags, LockExclusive, LockShared, Truncate };

// Fails chosen calls with an error, `times` times in a row (-1: always); the rest are real.
class FailingSystem final : public FileLock::System {
public:
    struct Fault {
        Call call = Call::None;
        int error = 0;
        int times = -1;
    };
    Fault faults[2];

    int open(const char* path, int flags, mode_t mode) override {
        return fails(Call::Open) ? -1 : System::open(path, flags, mode);
    }
    int fstat(int fd, struct stat* st) override {
        return fails(Call::Fstat) ? -1 : System::fstat(fd, st);
    }
    int setFlags(int fd, int flags) override {
        return fails(Call::SetFlags) ? -1 : System::setFlags(fd, flags);
    }
    int flock(int fd, int operation) override {
        const Call c = operation & LOCK_EX ? Call::LockExclusive : Call::LockShared;
        return fails(c) ? -1 : System::flock(fd, operation);
    }
    int ftruncate(int fd, off_t length) override {
        return fails(Call::Truncate) ? -1 : System::ftruncate(fd, length);
    }

private:
    bool fails(Call c) {
        for (Fault& f : faults) {
            if (f.call != c || f.times == 0)
                continue;
            if (f.times > 0)
                --f.times;
            errno = f.error;
            return true;
        }
        return false;
    }
};

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot).size());
}

} // namespace

class TestFileLock : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void init() {
        m_file = m_dir.filePath(QStringLiteral("lesson.les"));
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("content") == 7);
    }
    void cleanup() { FileLock::setSystem(nullptr); }

    void injectedErrors_data() {
        QTest::addColumn<int>("call");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("sharedError"); // 0, or the error of the shared lock as well
        QTest::addColumn<bool>("create");
        QTest::addColumn<int>("failure"); // FileLock::Failure; None: acquired
        QTest::addColumn<int>("hold");

        using F = FileLock::Failure;
        using H = FileLock::Hold;
        auto row = [](const char* name, Call call, int error, int times, bool create, F failure,
                      H hold, int sharedError = 0) {
            QTest::newRow(name) << int(call) << error << times << sharedError << create
                                << int(failure) << int(hold);
        };
        const Call lock = Call::LockExclusive;
        row("nothing fails", Call::None, 0, 0, false, F::None, H::Exclusive);
        row("open: missing", Call::Open, ENOENT, -1, false, F::NotFound, H::None);
        row("open: no permission", Call::Open, EACCES, -1, false, F::Other, H::None);
        row("open: interrupted once", Call::Open, EINTR, 1, false, F::None, H::Exclusive);
        row("fstat fails", Call::Fstat, EIO, -1, false, F::Other, H::None);
        row("clearing O_NONBLOCK fails", Call::SetFlags, EIO, -1, false, F::Other, H::None);
        row("held elsewhere", lock, EWOULDBLOCK, -1, false, F::Busy, H::None);
        row("lock interrupted once", lock, EINTR, 1, false, F::None, H::Exclusive);
        row("cannot lock: ENOLCK", lock, ENOLCK, -1, false, F::None, H::Unlocked);
        row("cannot lock: EOPNOTSUPP", lock, EOPNOTSUPP, -1, false, F::None, H::Unlocked);
        row("cannot lock: ENOSYS", lock, ENOSYS, -1, false, F::None, H::Unlocked);
        row("cannot lock: EINVAL", lock, EINVAL, -1, false, F::None, H::Unlocked);
        row("cannot lock when creating", lock, ENOLCK, -1, true, F::None, H::Unlocked);
        row("NFS read-only: shared lock", lock, EBADF, -1, false, F::None, H::Shared);
        row("NFS read-only, held elsewhere", lock, EBADF, -1, false, F::Busy, H::None, EWOULDBLOCK);
        row("NFS read-only, no lock at all", lock, EBADF, -1, false, F::None, H::Unlocked, EBADF);
        row("NFS read-only, shared lock fails", lock, EBADF, -1, false, F::Other, H::None, EIO);
        row("EBADF when open for writing", lock, EBADF, -1, true, F::Other, H::None);
        row("lock: I/O error", lock, EIO, -1, false, F::Other, H::None);
        row("emptying fails", Call::Truncate, EIO, -1, true, F::Other, H::None);
    }
    void injectedErrors() {
        QFETCH(int, call);
        QFETCH(int, error);
        QFETCH(int, times);
        QFETCH(int, sharedError);
        QFETCH(bool, create);
        QFETCH(int, failure);
        QFETCH(int, hold);

        FailingSystem system;
        system.faults[0] = {Call(call), error, times};
        if (sharedError)
            system.faults[1] = {Call::LockShared, sharedError, -1};
        FileLock::setSystem(&system);

        const int descriptors = openDescriptors();
        FileLock lock;
        const bool acquired =
            lock.acquire(m_file, create ? FileLock::Access::Create : FileLock::Access::Read);
        QCOMPARE(acquired, FileLock::Failure(failure) == FileLock::Failure::None);
        QCOMPARE(int(lock.failure()), failure);
        QCOMPARE(int(lock.hold()), hold);
        if (!acquired)
            QCOMPARE(openDescriptors(), descriptors); // nothing left open
        lock.release();
        QCOMPARE(openDescriptors(), descriptors);
    }

    // A shared lock taken where exclusive ones need write access still keeps out every
    // exclusive opener, and lets other such readers in.
    void sharedLockKeepsExclusiveOpenersOut() {
        FailingSystem nfs;
        nfs.faults[0] = {Call::LockExclusive, EBADF, -1};
        FileLock::setSystem(&nfs);
        FileLock reader, secondReader;
        QVERIFY(reader.acquire(m_file, FileLock::Access::Read));
        QVERIFY(secondReader.acquire(m_file, FileLock::Access::Read));
        QCOMPARE(secondReader.hold(), FileLock::Hold::Shared);
        FileLock::setSystem(nullptr);
        FileLock local;
        QVERIFY(!local.acquire(m_file, FileLock::Access::Read));
        QCOMPARE(local.failure(), FileLock::Failure::Busy);
        QVERIFY(!local.acquire(m_file, FileLock::Access::Create));
        QCOMPARE(local.failure(), FileLock::Failure::Busy);
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("content")); // not emptied by the refused create
    }
};

QTEST_GUILESS_MAIN(TestFileLock)
#include "test_filelock.moc"
