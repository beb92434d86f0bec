#include "BmpRectStream.h"
#include "Cp1251.h"
#include "FragCommand.h"
#include "PictureImage.h"
#include "RecordListing.h"
#include "XmlDoc.h"

namespace {

// A text column: tabs and line breaks would split the line, so they show as blanks.
QString text(const QByteArray& cp1251Bytes) {
    QString t = cp1251::toUnicode(cp1251Bytes);
    for (QChar& c : t)
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    return t;
}
QString real(double value) {
    return QString::fromLatin1(XmlDoc::formatReal(value));
}
QString flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

// trevalon-frag ls FILE [--lesson]
int runLs(const QStringList& args, std::FILE* out, std::FILE* err) {
    QStringList files = args;
    const bool lesson = files.removeAll(QStringLiteral("--lesson")) > 0;
    if (files.size() != 1)
        return usageError("ls", err);

    const ListedFile listed = listFile(files.first(), lesson);
    for (const ListedRecord& r : listed.records) {
        const ObjectRecord& f = r.fields;
        QStringList columns{QString::number(r.index), outcomeName(r.outcome), text(f.type),
                            text(f.name), text(f.picName)};
        if (const BmpRectStream* p = r.picture.get()) {
            const QSize size = p->image() ? p->image()->size() : QSize();
            columns << QStringLiteral("%1x%2").arg(size.width()).arg(size.height())
                    << flag(p->bFrame()) << flag(p->bAvi()) << flag(p->bGif()) << real(p->scale())
                    << real(p->vecBeg().x) << real(p->vecBeg().y) << real(p->vecEnd().x)
                    << real(p->vecEnd().y);
        } else {
            columns << QStringLiteral("-") << flag(f.bFrame) << flag(f.bAvi) << flag(f.bGif)
                    << real(f.scale);
            if (r.pointsFound)
                columns << real(f.vecBeg.x) << real(f.vecBeg.y) << real(f.vecEnd.x)
                        << real(f.vecEnd.y);
            else
                columns << QStringLiteral("-") << QStringLiteral("-") << QStringLiteral("-")
                        << QStringLiteral("-");
        }
        printLine(out, columns.join(u'\t'));
    }
    for (const QString& m : listed.messages)
        printLine(out, QStringLiteral("message:") + m);
    return listed.documentRead ? kExitOk : kExitFailed;
}
