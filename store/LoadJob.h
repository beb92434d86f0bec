#pragma once

#include "ObjectRecord.h"
#include "XmlDoc.h"
#include "XmlStorage.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

class FragmentSink;

// One load of a fragment or lesson file into a sink, as an object that runs in steps.
//
// The loader's thread reads the document and the picture streams in record order; pictures
// decode on the global thread pool, a bounded number ahead; outcomes reach the sink strictly
// in record order on the loader's thread (see FragmentSink). A picture that does not decode is
// reported to the sink (pictureFailed), and so is a failure that ends the load (the file, its
// document, a missing picture stream: loadFailed); the sink decides how to tell the user.
//
// start() returns at once and the load goes on from the event loop, reading records for a
// few milliseconds per event-loop turn (a lesson's container is opened on a worker first), so the
// thread that shows the window is never held for much longer than that (or one record's read).
// runToEnd() does the same work blocking, without any event loop (tools and tests).
//
// cancel() ends the load at once: nothing more reaches the sink, the container or the
// document, and decodes not yet started are dropped. The destructor cancels and waits for the
// decodes that are running, so nothing of the load outlives it. The job may be destroyed
// while one of its own calls is on the stack (a call into the sink, the finished signal): it
// notices and returns without touching itself again.
class LoadJob : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        // Opened read-only (and kept open, and locked, until the container is closed by its
        // owner); progress 0 … n + 1 and one step per "Object" record; "BmpRect" and
        // "BmpRectStream" records.
        Fragment,
        // The container is closed, the file opened for update and, when every record was
        // read, closed again; "BmpRectStream" records only, no progress.
        Lesson,
    };

    // The sink and the container must outlive the job or its cancel().
    LoadJob(Kind kind, XmlStorage& storage, const QString& localPath, FragmentSink& sink,
            QObject* parent = nullptr);
    ~LoadJob() override;

    void start();
    // Also finishes a started load here and now (its remaining records, blocking).
    void runToEnd();
    void cancel();

    bool isRunning() const { return m_state == State::Running; }
    bool isFinished() const { return m_state == State::Finished; }
    bool isCancelled() const { return m_state == State::Cancelled; }
    // Lesson loads: the document was read and every record handled (pictures that did not
    // decode were dropped and reported). Fragment loads: the load ran to its end.
    bool documentRead() const { return m_documentRead; }
    // One of the job's calls is on the stack now; destroying it is then left to its owner's
    // next chance (the job copes either way, but Qt's own callers may not).
    bool isInStep() const { return m_inStep; }
    // Pictures allowed to decode ahead of delivery (more while they are small).
    int maxInFlight() const { return m_maxInFlight; }
    // The "Object" records of the document; 0 until it was read.
    int recordCount() const { return int(m_records.size()); }

signals:
    // Once, after the last outcome; never after cancel().
    void finished(bool documentRead);

private:
    enum class State { Idle, Running, Finished, Cancelled };
    struct Decode;
    struct Pending {
        std::shared_ptr<Decode> decode; // null for a record passed over
        QFuture<void> future;
    };

    void step();
    void postStep();
    void scheduleNext();
    // Each returns false when the job was cancelled or destroyed meanwhile.
    bool open();
    bool readOne();
    bool deliverReady();
    bool deliverFront();
    bool finishUp();
    // Reports the failure that ends the load; then finished unless cancelled meanwhile.
    bool endWith(const QString& message);
    bool stopped();
    bool canRead() const;
    // Lesson loads: starts opening the container on a worker; true once it is open (or failed).
    bool containerReady();
    void startContainerOpen();

    Kind m_kind;
    XmlStorage& m_storage;
    QString m_path;
    FragmentSink& m_sink;
    State m_state = State::Idle;
    bool m_opened = false;
    bool m_documentRead = false;
    bool m_inStep = false;
    bool m_stepPosted = false;
    bool m_finishedSent = false;
    // A failure that ends the load once the outcomes before it are delivered.
    bool m_ending = false;
    bool m_endingRecordFailed = false;
    QString m_endingMessage;

    // Lesson loads: the container as the worker opens it.
    std::shared_ptr<XmlStorage::Detached> m_container;
    QFuture<void> m_containerOpen;

    std::vector<XmlRange> m_records;
    std::size_t m_next = 0;
    int m_maxInFlight;
    int m_inFlight = 0;
    qint64 m_inFlightBytes = 0; // encoded bytes of the pictures in flight
    std::deque<Pending> m_pending;
    QFutureWatcher<void> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_abandoned;
    std::shared_ptr<bool> m_alive;
};
