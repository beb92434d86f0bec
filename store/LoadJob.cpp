#include "LoadJob.h"

#include "BmpRectStream.h"
#include "Cp1251.h"
#include "DecodePool.h"
#include "Err.h"
#include "FragmentLoading.h"
#include "FragmentSink.h"
#include "PictureImage.h"
#include "XmlStorage.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <new>
#include <utility>

struct LoadJob::Decode {
    ObjectRecord record;
    QByteArray bytes;
    qint64 encodedSize = 0;
    QSize shown;
    // Written by the worker, read by the loader's thread once the future has finished.
    std::unique_ptr<BmpRectStream> picture;
    QString error;
};

namespace {

const char* const kDecodeFailure = "Failed to load picture.";
constexpr qint64 kStepSliceMs = 8;
// Small pictures decode in a few microseconds: many of them are let ahead at once, or a file
// of thousands would spend its time handing pictures between threads one by one.
constexpr int kMaxSmallInFlight = 64;
constexpr qint64 kSmallInFlightBytes = qint64(4) * 1024 * 1024;
const char* const kLessonUnreadable = "Файл открыт другим приложением или поврежден.";
// A document too large for the memory left; the container bounds every read by the file's
// size, so only a huge file gets here.
const char* const kOutOfMemory = "Недостаточно памяти, чтобы прочитать файл.";

// The last container open started: the next one waits for it, so that a cancelled open still
// holding a file's lock cannot make the next open of that file fail.
QFuture<void>& lastContainerOpen() {
    static QFuture<void> last;
    return last;
}

ObjectRecord::Accept acceptedTypes(LoadJob::Kind kind) {
    return kind == LoadJob::Kind::Fragment ? ObjectRecord::Accept::FragmentTypes
                                           : ObjectRecord::Accept::LessonTypes;
}

} // namespace

LoadJob::LoadJob(Kind kind, XmlStorage& storage, const QString& localPath, FragmentSink& sink,
                 QObject* parent)
    : QObject(parent), m_kind(kind), m_storage(storage), m_path(localPath), m_sink(sink),
      m_maxInFlight(std::max(2, 2 * decodePool().maxThreadCount())),
      m_abandoned(std::make_shared<std::atomic<bool>>(false)),
      m_alive(std::make_shared<bool>(true)) {
    // Queued: the step runs from the job's own event, never inside the watcher's signal.
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, [this] { postStep(); });
}

LoadJob::~LoadJob() {
    *m_alive = false;
    cancel();
    // Decodes not started return at once (abandoned); running ones are waited for, so no
    // worker still runs image code once the job's owner (and the application) goes.
    for (Pending& p : m_pending)
        if (p.decode)
            p.future.waitForFinished();
}

void LoadJob::cancel() {
    if (m_state == State::Finished || m_state == State::Cancelled)
        return;
    m_state = State::Cancelled;
    m_abandoned->store(true);
    m_watcher.disconnect(this);
    if (m_container)
        XmlStorage::dropDetached(*m_container); // an open still running is not waited for
}

void LoadJob::startContainerOpen() {
    if (m_container)
        return;
    m_storage.close();
    m_container = XmlStorage::newDetached();
    m_containerOpen = QtConcurrent::run(
        [container = m_container, path = m_path, previous = lastContainerOpen()]() mutable {
            previous.waitForFinished();
            XmlStorage::openDetached(path, *container);
        });
    lastContainerOpen() = m_containerOpen;
}

bool LoadJob::containerReady() {
    startContainerOpen();
    return m_containerOpen.isFinished();
}

void LoadJob::start() {
    if (m_state != State::Idle)
        return;
    m_state = State::Running;
    postStep();
}

void LoadJob::runToEnd() {
    if (m_state == State::Idle)
        m_state = State::Running;
    const std::shared_ptr<bool> alive = m_alive;
    while (m_state == State::Running) {
        if (!m_opened) {
            if (!open())
                return;
        } else if (canRead()) {
            if (!readOne() || !deliverReady())
                return;
        } else if (!m_pending.empty()) {
            if (m_pending.front().decode)
                m_pending.front().future.waitForFinished();
            if (!deliverFront())
                return;
        } else if (!finishUp()) {
            return;
        }
    }
    if (*alive && m_state == State::Finished && !std::exchange(m_finishedSent, true)) {
        const bool wasInStep = std::exchange(m_inStep, true);
        emit finished(m_documentRead);
        if (*alive)
            m_inStep = wasInStep;
    }
}

void LoadJob::postStep() {
    if (m_stepPosted || m_state != State::Running)
        return;
    m_stepPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_stepPosted = false;
            step();
        },
        Qt::QueuedConnection);
}

void LoadJob::step() {
    if (m_state != State::Running || m_inStep)
        return; // the event loop ran inside this job's own step (a box the sink showed)
    if (!m_opened && m_kind == Kind::Lesson && !containerReady()) {
        scheduleNext();
        return;
    }
    const std::shared_ptr<bool> alive = m_alive;
    m_inStep = true;
    bool going = true;
    if (!m_opened) {
        going = open();
    } else {
        // Records for a few milliseconds per turn: a turn of the event loop per record would
        // make a file of thousands of small pictures take seconds of turns alone.
        QElapsedTimer slice;
        slice.start();
        while (going && canRead()) {
            going = readOne() && deliverReady();
            if (slice.elapsed() >= kStepSliceMs)
                break;
        }
    }
    if (going)
        going = deliverReady();
    if (going && !canRead() && m_pending.empty())
        going = finishUp();
    if (!*alive)
        return;
    if (m_state == State::Finished && !std::exchange(m_finishedSent, true))
        emit finished(m_documentRead); // still in the step: the receiver may start another load
    if (!*alive)
        return;
    m_inStep = false;
    if (m_state == State::Running)
        scheduleNext();
}

void LoadJob::scheduleNext() {
    if (!m_opened && m_container && !m_containerOpen.isFinished()) {
        m_watcher.setFuture(m_containerOpen);
        return;
    }
    if (canRead() || m_pending.empty() || !m_pending.front().decode ||
        m_pending.front().future.isFinished()) {
        postStep();
        return;
    }
    // Waits for the picture that is next in record order.
    m_watcher.setFuture(m_pending.front().future);
}

bool LoadJob::canRead() const {
    return m_opened && !m_ending && m_next < m_records.size() &&
           (m_inFlight < m_maxInFlight ||
            (m_inFlight < kMaxSmallInFlight && m_inFlightBytes < kSmallInFlightBytes));
}

bool LoadJob::stopped() {
    if (m_state == State::Running && m_sink.isCancelled())
        cancel();
    return m_state != State::Running;
}

bool LoadJob::open() {
    m_opened = true;
    QString failure;
    try {
        if (m_kind == Kind::Fragment) {
            m_storage.openLocalForReading(m_path);
            const int n = store::countPictures(m_storage);
            const std::shared_ptr<bool> alive = m_alive;
            m_sink.setProgressRange(0, n + 1);
            if (!*alive)
                return false;
        } else {
            startContainerOpen();
            m_containerOpen.waitForFinished(); // done already, unless the load blocks
            try {
                m_storage.adoptDetached(*m_container);
            } catch (const Err&) {
                failure = QString::fromUtf8(kLessonUnreadable);
            }
            if (failure.isEmpty())
                m_storage.parse(m_storage.readXmlStream(QStringLiteral("xml")));
        }
        if (failure.isEmpty())
            m_records = m_storage.findChildren(m_storage.documentRange(), "Object");
    } catch (const Err& e) {
        failure = e.text();
    } catch (const std::bad_alloc&) {
        failure = QString::fromUtf8(kOutOfMemory);
    }
    if (failure.isEmpty())
        return !stopped();
    return endWith(failure);
}

bool LoadJob::endWith(const QString& message) {
    if (stopped())
        return false; // no message after a cancel
    const std::shared_ptr<bool> alive = m_alive;
    m_sink.loadFailed(message); // the sink may end the job's owner, and the job with it
    if (!*alive || stopped())
        return false;
    m_state = State::Finished;
    return true;
}

bool LoadJob::readOne() {
    const XmlRange range = m_records[m_next++];
    std::optional<ObjectRecord> record;
    QByteArray bytes;
    try {
        record = ObjectRecord::readFields(m_storage, range, acceptedTypes(m_kind));
        if (record) {
            // The stream is asked for before the points are looked at: a record naming a
            // missing stream ends the load even when its points are absent.
            try {
                bytes = m_storage.openPictureStream(record->name);
            } catch (const Err& e) {
                m_ending = true;
                m_endingRecordFailed = true;
                m_endingMessage = e.text();
                return true;
            }
            if (!record->readPoints(m_storage, range))
                record.reset();
        }
    } catch (const Err& e) {
        m_ending = true;
        m_endingMessage = e.text();
        return true;
    } catch (const std::bad_alloc&) {
        m_ending = true;
        m_endingMessage = QString::fromUtf8(kOutOfMemory);
        return true;
    }
    if (!record) {
        m_pending.push_back({});
        return true;
    }

    auto decode = std::make_shared<Decode>();
    decode->record = std::move(*record);
    decode->bytes = bytes;
    decode->encodedSize = bytes.size();
    if (m_sink.sizesPictures()) {
        const QSize pixels = PictureImage::headerSize(bytes);
        if (pixels.isValid() && !pixels.isEmpty()) {
            try {
                const std::unique_ptr<BmpRectStream> outline = decode->record.makeOutline(pixels);
                decode->shown = m_sink.shownSize(*outline); // a question: it changes nothing
            } catch (const Err&) {
                // No outline, no size: the picture decodes when it is drawn.
            }
        }
    }
    QFuture<void> future = QtConcurrent::run(&decodePool(), [decode, abandoned = m_abandoned] {
        if (abandoned->load())
            return;
        try {
            decode->picture = decode->record.makePicture(decode->bytes, decode->shown);
        } catch (const Err& e) {
            decode->error = e.text();
        } catch (...) {
            decode->error = QString::fromLatin1(kDecodeFailure);
        }
        decode->bytes = QByteArray(); // the picture holds its own reference
    });
    m_pending.push_back({std::move(decode), std::move(future)});
    ++m_inFlight;
    m_inFlightBytes += m_pending.back().decode->encodedSize;
    return true;
}

bool LoadJob::deliverReady() {
    while (m_state == State::Running && !m_pending.empty()) {
        const Pending& front = m_pending.front();
        if (front.decode && !front.future.isFinished())
            break;
        if (!deliverFront())
            return false;
    }
    return !stopped();
}

bool LoadJob::deliverFront() {
    if (stopped())
        return false;
    // Any call into the sink may end the job's owner, and the job with it.
    const std::shared_ptr<bool> alive = m_alive;
    Pending front = std::move(m_pending.front());
    m_pending.pop_front();
    if (front.decode) {
        --m_inFlight;
        m_inFlightBytes -= front.decode->encodedSize;
        const std::shared_ptr<Decode> decode = std::move(front.decode);
        const bool loaded = decode->picture != nullptr;
        if (loaded)
            m_sink.append(std::move(decode->picture));
        else
            m_sink.pictureFailed(decode->error.isEmpty() ? QString::fromLatin1(kDecodeFailure)
                                                         : decode->error,
                                 cp1251::toUnicode(decode->record.name));
        if (!*alive || stopped())
            return false;
        m_sink.recordDone(loaded ? FragmentSink::RecordOutcome::Loaded
                                 : FragmentSink::RecordOutcome::Failed);
    } else {
        m_sink.recordDone(FragmentSink::RecordOutcome::PassedOver);
    }
    if (!*alive || stopped())
        return false;
    if (m_kind == Kind::Fragment)
        m_sink.stepProgress();
    return *alive && !stopped();
}

bool LoadJob::finishUp() {
    if (stopped())
        return false;
    if (m_ending) {
        // A failure of the file or a missing picture stream: the records before it were
        // delivered, its message comes last.
        const std::shared_ptr<bool> alive = m_alive;
        if (m_endingRecordFailed)
            m_sink.recordDone(FragmentSink::RecordOutcome::Failed);
        return *alive && endWith(m_endingMessage);
    }
    if (m_kind == Kind::Lesson)
        m_storage.close();
    m_documentRead = true;
    m_state = State::Finished;
    return true;
}
