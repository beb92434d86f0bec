#include "RecordListing.h"

#include "BmpRectStream.h"
#include "Err.h"
#include "FragmentLoading.h"
#include "ToolMessages.h"
#include "XmlStorage.h"

namespace {

class ListingSink final : public FragmentSink {
public:
    void append(std::unique_ptr<BmpRectStream> picture) override {
        pictures.push_back(std::move(picture));
    }
    void recordDone(RecordOutcome outcome) override { outcomes.push_back(outcome); }

    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    std::vector<RecordOutcome> outcomes;
};

} // namespace

QString outcomeName(ListedRecord::Outcome outcome) {
    switch (outcome) {
    case ListedRecord::Outcome::Loaded:
        return QStringLiteral("loaded");
    case ListedRecord::Outcome::Failed:
        return QStringLiteral("failed");
    case ListedRecord::Outcome::Skipped:
        break;
    }
    return QStringLiteral("skipped");
}

ListedFile listFile(const QString& localPath, bool lesson) {
    ListedFile out;
    ToolMessages messages;
    ListingSink sink;
    {
        XmlStorage storage;
        if (lesson)
            out.documentRead = store::loadLesson(storage, localPath, sink);
        else
            store::loadFragment(storage, localPath, sink);
        storage.close();
    }
    out.messages = messages.texts;

    // The records themselves, read again from the closed file, for what the loader does not
    // hand back (fields of records it passed over or failed on).
    XmlDoc doc;
    std::vector<XmlRange> records;
    try {
        XmlStorage storage;
        storage.openLocalForUpdate(localPath);
        doc.parse(storage.readXmlStream(QStringLiteral("xml")));
        records = doc.findChildren(doc.documentRange(), "Object");
        if (!lesson)
            out.documentRead = true;
    } catch (const Err&) {
        return out;
    }

    std::size_t nextPicture = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        ListedRecord r;
        r.index = int(i) + 1;
        r.fields = ObjectRecord::readLoose(doc, records[i], &r.pointsFound);
        if (i < sink.outcomes.size()) {
            r.reached = true;
            switch (sink.outcomes[i]) {
            case FragmentSink::RecordOutcome::Loaded:
                r.outcome = ListedRecord::Outcome::Loaded;
                if (nextPicture < sink.pictures.size())
                    r.picture = std::move(sink.pictures[nextPicture++]);
                break;
            case FragmentSink::RecordOutcome::Failed:
                r.outcome = ListedRecord::Outcome::Failed;
                break;
            case FragmentSink::RecordOutcome::PassedOver:
                r.outcome = ListedRecord::Outcome::Skipped;
                break;
            }
        }
        out.records.push_back(std::move(r));
    }
    return out;
}
