#include "RecordPipeline.h"

#include "BmpRectStream.h"
#include "Err.h"
#include "FragmentSink.h"
#include "WindowServices.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <new>

struct RecordPipeline::Job {
    ObjectRecord record;
    QByteArray bytes;
    // Written by the worker, read by the calling thread once the future has finished.
    std::unique_ptr<BmpRectStream> picture;
    QString error;
};

namespace {

const char* const kDecodeFailure = "Failed to load picture.";

} // namespace

RecordPipeline::RecordPipeline(FragmentSink& sink, Waiting waiting, bool reportsProgress)
    : m_sink(sink), m_waiting(waiting), m_reportsProgress(reportsProgress),
      m_maxInFlight(std::max(2, 2 * QThreadPool::globalInstance()->maxThreadCount())),
      m_abandoned(std::make_shared<std::atomic<bool>>(false)) {}

RecordPipeline::~RecordPipeline() {
    m_abandoned->store(true);
}

void RecordPipeline::addPassedOver() {
    m_pending.push_back({});
}

void RecordPipeline::addPicture(ObjectRecord record, const QByteArray& bytes) {
    auto job = std::make_shared<Job>();
    job->record = std::move(record);
    job->bytes = bytes;
    QFuture<void> future =
        QtConcurrent::run(QThreadPool::globalInstance(), [job, abandoned = m_abandoned] {
            if (abandoned->load())
                return;
            try {
                job->picture = job->record.makePicture(job->bytes);
            } catch (const Err& e) {
                job->error = e.text();
            } catch (const std::bad_alloc&) {
                job->error = QString::fromLatin1(kDecodeFailure);
            } catch (...) {
                job->error = QString::fromLatin1(kDecodeFailure);
            }
            job->bytes = QByteArray(); // the picture holds its own reference
        });
    m_pending.push_back({std::move(job), std::move(future)});
    ++m_inFlight;
}

bool RecordPipeline::deliverReady() {
    while (!m_cancelled && !m_pending.empty()) {
        const Pending& front = m_pending.front();
        const bool ready = !front.job || front.future.isFinished();
        if (!ready && m_inFlight < m_maxInFlight)
            break;
        if (!deliverFront())
            return false;
    }
    return !m_cancelled;
}

bool RecordPipeline::deliverAll() {
    while (!m_cancelled && !m_pending.empty())
        if (!deliverFront())
            return false;
    return !m_cancelled;
}

bool RecordPipeline::cancelledNow() {
    if (!m_cancelled && m_sink.isCancelled()) {
        m_cancelled = true;
        m_abandoned->store(true);
    }
    return m_cancelled;
}

bool RecordPipeline::waitFor(QFuture<void> future) {
    if (future.isFinished())
        return true;
    if (m_waiting == Waiting::KeepEventsRunning && QCoreApplication::instance()) {
        QEventLoop loop;
        QFutureWatcher<void> watcher;
        QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(future);
        if (!future.isFinished())
            loop.exec();
        if (cancelledNow())
            return false;
    }
    // Blocking (or an event loop that returned early because the application is quitting).
    future.waitForFinished();
    return true;
}

bool RecordPipeline::deliverFront() {
    if (cancelledNow())
        return false;
    if (Pending& front = m_pending.front(); front.job) {
        if (!waitFor(front.future))
            return false;
        const std::shared_ptr<Job> job = std::move(front.job);
        m_pending.pop_front();
        --m_inFlight;
        const bool loaded = job->picture != nullptr;
        if (loaded)
            m_sink.append(std::move(job->picture));
        else
            messageBox(job->error.isEmpty() ? QString::fromLatin1(kDecodeFailure) : job->error);
        if (cancelledNow())
            return false;
        m_sink.recordDone(loaded ? FragmentSink::RecordOutcome::Loaded
                                 : FragmentSink::RecordOutcome::Failed);
    } else {
        m_pending.pop_front();
        m_sink.recordDone(FragmentSink::RecordOutcome::PassedOver);
    }
    if (m_reportsProgress)
        m_sink.stepProgress();
    return !cancelledNow();
}
