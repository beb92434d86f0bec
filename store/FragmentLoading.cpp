#include "FragmentLoading.h"

#include "BmpRectStream.h"
#include "FailureSummary.h"
#include "FragmentSink.h"
#include "LoadJob.h"
#include "ObjectRecord.h"
#include "WindowServices.h"
#include "XmlStorage.h"

#include <utility>

namespace {

// Passes a load on to the caller's sink, keeping back its failures for the end: the one that
// ended the load, then the pictures that did not decode in one message.
class Gathering final : public FragmentSink {
public:
    explicit Gathering(FragmentSink& sink) : m_sink(sink) {}

    void append(std::unique_ptr<BmpRectStream> picture) override {
        m_failures.addRead();
        m_sink.append(std::move(picture));
    }
    bool sizesPictures() const override { return m_sink.sizesPictures(); }
    QSize shownSize(const BmpRect& outline) override { return m_sink.shownSize(outline); }
    void pictureFailed(const QString& message, const QString& name) override {
        m_failures.addFailure(message, name);
        m_sink.pictureFailed(message, name);
    }
    void setProgressRange(int minimum, int maximum) override {
        m_sink.setProgressRange(minimum, maximum);
    }
    void stepProgress() override { m_sink.stepProgress(); }
    void recordDone(RecordOutcome outcome) override { m_sink.recordDone(outcome); }
    bool isCancelled() const override { return m_sink.isCancelled(); }

    void loadFailed(const QString& message) override {
        m_loadFailure = message;
        m_sink.loadFailed(message);
    }

    void showFailures() {
        if (!m_loadFailure.isEmpty())
            messageBox(std::exchange(m_loadFailure, QString()));
        m_failures.show();
    }

private:
    FragmentSink& m_sink;
    FailureSummary m_failures;
    QString m_loadFailure;
};

} // namespace

namespace store {

int countPictures(const XmlDoc& doc) {
    int n = 0;
    for (const XmlRange& r : doc.findChildren(doc.documentRange(), "Object")) {
        const std::optional<QByteArray> type = doc.getAttribute(r, "type");
        if (type && ObjectRecord::isPictureType(*type, ObjectRecord::Accept::FragmentTypes))
            ++n;
    }
    return n;
}

namespace {
// Reads the whole file at once; the failures are summed up after, unless cancelled.
bool loadToEnd(LoadJob::Kind kind, XmlStorage& storage, const QString& localPath,
               FragmentSink& sink) {
    Gathering gathering(sink);
    LoadJob job(kind, storage, localPath, gathering);
    job.runToEnd();
    if (!job.isCancelled())
        gathering.showFailures();
    return job.documentRead();
}
} // namespace

void loadFragment(XmlStorage& storage, const QString& localPath, FragmentSink& sink) {
    loadToEnd(LoadJob::Kind::Fragment, storage, localPath, sink);
}

bool loadLesson(XmlStorage& storage, const QString& localPath, FragmentSink& sink) {
    return loadToEnd(LoadJob::Kind::Lesson, storage, localPath, sink);
}

} // namespace store
