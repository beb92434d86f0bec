#include "Cp1251.h"
#include "Err.h"
#include "FragCommand.h"
#include "XmlStorage.h"

// trevalon-frag xml FILE
int runXml(const QStringList& args, std::FILE* out, std::FILE* err) {
    if (args.size() != 1)
        return usageError("xml", err);
    XmlStorage storage;
    QByteArray text;
    try {
        storage.openLocalForUpdate(args.first());
        text = storage.readXmlStream(QStringLiteral("xml"));
    } catch (const Err& e) {
        printLine(err, e.text());
        return kExitFailed;
    }
    const QByteArray utf8 = cp1251::toUnicode(text).toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), out);
    return std::fflush(out) == 0 ? kExitOk : kExitFailed;
}
