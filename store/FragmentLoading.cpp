#include "FragmentLoading.h"

#include "LoadJob.h"
#include "ObjectRecord.h"
#include "XmlStorage.h"

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
    LoadJob job(LoadJob::Kind::Fragment, storage, localPath, sink);
    job.runToEnd();
}

bool loadLesson(XmlStorage& storage, const QString& localPath, FragmentSink& sink) {
    LoadJob job(LoadJob::Kind::Lesson, storage, localPath, sink);
    job.runToEnd();
    return job.documentRead();
}

} // namespace store
