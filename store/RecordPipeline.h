#pragma once

#include "ObjectRecord.h"

#include <QFuture>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>

class FragmentSink;

// The outcomes of one load's "Object" records, in record order: records passed over, and
// pictures that decode on worker threads (the global thread pool) while the calling thread
// reads on. Outcomes are handed to the sink strictly in record order on the calling thread:
// a picture is appended, a picture that failed shows its message, and every outcome steps the
// progress when the load reports progress.
//
// Waiting for a picture either keeps the caller's event loop running (fragment loads, so the
// window stays responsive) or blocks (lesson loads). After every wait and every message the
// sink's cancel query is asked; once cancelled, nothing further is delivered and work not yet
// started is dropped.
class RecordPipeline {
public:
    enum class Waiting { KeepEventsRunning, Block };

    RecordPipeline(FragmentSink& sink, Waiting waiting, bool reportsProgress);
    RecordPipeline(const RecordPipeline&) = delete;
    RecordPipeline& operator=(const RecordPipeline&) = delete;
    // Abandons what was not delivered; work already running finishes on its own and is freed.
    ~RecordPipeline();

    void addPassedOver();
    void addPicture(ObjectRecord record, const QByteArray& bytes);

    // Delivers outcomes that are ready, waiting only while too many pictures are in flight.
    // False once the load is cancelled.
    bool deliverReady();
    // Delivers every outcome, waiting as needed. False once the load is cancelled.
    bool deliverAll();

    bool isCancelled() const { return m_cancelled; }
    // Pictures allowed to decode ahead of delivery; bounds the memory the load holds beyond
    // what the sink keeps.
    int maxInFlight() const { return m_maxInFlight; }

private:
    struct Job;
    struct Pending {
        std::shared_ptr<Job> job; // null for a record passed over
        QFuture<void> future;
    };

    bool deliverFront();
    bool waitFor(QFuture<void> future);
    bool cancelledNow();

    FragmentSink& m_sink;
    Waiting m_waiting;
    bool m_reportsProgress;
    bool m_cancelled = false;
    int m_maxInFlight;
    int m_inFlight = 0;
    std::deque<Pending> m_pending;
    std::shared_ptr<std::atomic<bool>> m_abandoned;
};
