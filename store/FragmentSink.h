#pragma once

#include <QSize>
#include <QString>

#include <memory>

class BmpRect;
class BmpRectStream;

// Where a load delivers what it reads. The scene appends the pictures to its shape list; the
// loading window listens to the progress.
//
// Every call comes on the loader's thread, in record order. A load that runs from the event
// loop (LoadJob::start) lets anything happen between two calls, including a clear of the
// same scene or a second load; its owner then cancels it. isCancelled() is asked after every
// call too, and once it answers true the load ends at once without touching the
// container, the document or the sink again (no message, no progress).
class FragmentSink {
public:
    enum class RecordOutcome {
        Loaded,     // its picture was appended
        PassedOver, // another type, no name or no points: nothing shown
        Failed,     // reported by pictureFailed, or a missing stream (its message ends the load)
    };

    virtual ~FragmentSink() = default;

    // A finished picture: decoded, placed by its vector, its scale applied. A sink that only
    // listens to the progress lets it go.
    virtual void append(std::unique_ptr<BmpRectStream> picture) { (void)picture; }
    // Whether shownSize is to be asked (it costs a look at each picture's header).
    virtual bool sizesPictures() const { return false; }
    // Before a picture decodes: the size in device pixels it will be drawn at, judged from its
    // outline (its fields and its pixel size from the image's header, placed and scaled, no
    // image). The picture then decodes once, on the worker, at that size (see PictureImage).
    // Empty: it decodes when it is drawn, at the size it is drawn at.
    virtual QSize shownSize(const BmpRect& outline) {
        (void)outline;
        return {};
    }
    // A picture that did not decode: message is what to tell the user about it alone, name
    // the record's picture name. The load goes on; how and when it is shown is the sink's
    // choice (the job shows no box for it), before the record's recordDone.
    virtual void pictureFailed(const QString& message, const QString& name) {
        (void)message;
        (void)name;
    }
    // A failure that ends the load (the file cannot be opened or read, a picture's stream is
    // missing): message is what to tell the user. It comes once, after the records before it
    // were delivered, and the load ends after it; the job shows no box, the sink decides.
    virtual void loadFailed(const QString& message) { (void)message; }
    // Fragment loads only: range 0 … records + 1, before the first record.
    virtual void setProgressRange(int minimum, int maximum) {
        (void)minimum;
        (void)maximum;
    }
    // Fragment loads only: once after every "Object" record, whatever became of it.
    virtual void stepProgress() {}
    // Every load: once for every "Object" record read, in record order, after its picture or
    // its failure and before its progress step; for a record that ends the load (its stream
    // is missing), just before the message. Records after it are not read and get no call.
    virtual void recordDone(RecordOutcome outcome) { (void)outcome; }
    virtual bool isCancelled() const { return false; }
};
