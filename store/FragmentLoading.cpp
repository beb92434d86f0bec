#include "FragmentLoading.h"

#include "Err.h"
#include "FragmentSink.h"
#include "ObjectRecord.h"
#include "RecordPipeline.h"
#include "WindowServices.h"
#include "XmlStorage.h"

#include <new>

namespace {

const char* const kLessonUnreadable = "Файл открыт другим приложением или поврежден.";
// A document too large for the memory left; the container bounds every read by the file's
// size, so only a huge file gets here.
const char* const kOutOfMemory = "Недостаточно памяти, чтобы прочитать файл.";

// Reads the records of the parsed document in order and feeds the pipeline. A failure to get
// a picture stream is raised after the outcomes of the records before it were delivered, so
// messages keep record order. False once the load is cancelled.
bool readRecords(XmlStorage& storage, ObjectRecord::Accept accept, RecordPipeline& pipeline,
                 FragmentSink& sink) {
    const std::vector<XmlRange> records = storage.findChildren(storage.documentRange(), "Object");
    for (const XmlRange& range : records) {
        std::optional<ObjectRecord> record = ObjectRecord::readFields(storage, range, accept);
        if (!record) {
            pipeline.addPassedOver();
        } else {
            // The stream is asked for before the points are looked at: a record naming a
            // missing stream ends the load even when its points are absent.
            QByteArray bytes;
            try {
                bytes = storage.openPictureStream(record->name);
            } catch (const Err&) {
                if (!pipeline.deliverAll())
                    return false;
                sink.recordDone(FragmentSink::RecordOutcome::Failed);
                throw;
            }
            if (record->readPoints(storage, range))
                pipeline.addPicture(std::move(*record), bytes);
            else
                pipeline.addPassedOver();
        }
        if (!pipeline.deliverReady())
            return false;
    }
    return pipeline.deliverAll();
}

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

void loadFragment(XmlStorage& storage, const QString& localPath, FragmentSink& sink) {
    RecordPipeline pipeline(sink, RecordPipeline::Waiting::KeepEventsRunning, true);
    try {
        storage.openLocalForReading(localPath);
        const int n = countPictures(storage);
        sink.setProgressRange(0, n + 1);
        readRecords(storage, ObjectRecord::Accept::FragmentTypes, pipeline, sink);
    } catch (const Err& e) {
        if (!pipeline.isCancelled() && !sink.isCancelled())
            messageBox(e.text());
    } catch (const std::bad_alloc&) {
        if (!pipeline.isCancelled() && !sink.isCancelled())
            messageBox(QString::fromUtf8(kOutOfMemory));
    }
}

bool loadLesson(XmlStorage& storage, const QString& localPath, FragmentSink& sink) {
    storage.close();
    try {
        storage.openLocalForUpdate(localPath);
    } catch (const Err&) {
        messageBox(QString::fromUtf8(kLessonUnreadable));
        return false;
    }
    RecordPipeline pipeline(sink, RecordPipeline::Waiting::Block, false);
    try {
        storage.parse(storage.readXmlStream(QStringLiteral("xml")));
        if (!readRecords(storage, ObjectRecord::Accept::LessonTypes, pipeline, sink))
            return false;
    } catch (const Err& e) {
        if (!pipeline.isCancelled())
            messageBox(e.text());
        return false;
    } catch (const std::bad_alloc&) {
        messageBox(QString::fromUtf8(kOutOfMemory));
        return false;
    }
    storage.close();
    return true;
}

} // namespace store
