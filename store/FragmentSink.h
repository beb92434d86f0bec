#pragma once

#include <memory>

class BmpRectStream;

// Where a load delivers what it reads. The scene appends the pictures to its shape list; the
// loading window listens to the progress.
//
// Every call comes on the thread that called the loader, in record order. While pictures
// decode, a fragment load keeps the event loop running, so anything may happen in between,
// including a second load or a clear of the same scene: isCancelled() is asked after every
// such moment, and once it answers true the load returns at once without touching the
// container, the document or the sink again (no message, no progress).
class FragmentSink {
public:
    enum class RecordOutcome {
        Loaded,     // its picture was appended
        PassedOver, // another type, no name or no points: nothing shown
        Failed,     // its message was shown (a picture that did not decode, a missing stream)
    };

    virtual ~FragmentSink() = default;

    // A finished picture: decoded, placed by its vector, its scale applied.
    virtual void append(std::unique_ptr<BmpRectStream> picture) = 0;
    // Fragment loads only: range 0 … records + 1, before the first record.
    virtual void setProgressRange(int minimum, int maximum) {
        (void)minimum;
        (void)maximum;
    }
    // Fragment loads only: once after every "Object" record, whatever became of it.
    virtual void stepProgress() {}
    // Every load: once for every "Object" record read, in record order, after its picture or
    // its message and before its progress step; for a record that ends the load (its stream
    // is missing), just before the message. Records after it are not read and get no call.
    virtual void recordDone(RecordOutcome outcome) { (void)outcome; }
    virtual bool isCancelled() const { return false; }
};
