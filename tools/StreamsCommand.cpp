#include "Err.h"
#include "FragCommand.h"
#include "XmlStorage.h"

// trevalon-frag streams FILE
int runStreams(const QStringList& args, std::FILE* out, std::FILE* err) {
    if (args.size() != 1)
        return usageError("streams", err);
    XmlStorage storage;
    try {
        storage.openLocalForUpdate(args.first());
    } catch (const Err& e) {
        printLine(err, e.text());
        return kExitFailed;
    }
    for (const XmlStorage::StreamEntry& entry : storage.rootStreams()) {
        const QString size = entry.size < 0 ? QStringLiteral("?") : QString::number(entry.size);
        printLine(out, size + u'\t' + entry.name);
    }
    return kExitOk;
}
