#include "BmpRectStream.h"
#include "Cp1251.h"
#include "FragCommand.h"
#include "RecordListing.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Where a media name of a record leads: the file the program would open, relative to the
// content folder, or why it would not work in class.
struct MediaCheck {
    bool ok = false;
    QString problem;
};

MediaCheck checkMedia(const QString& contentFolder, const QByteArray& cp1251Name) {
    QString name = cp1251::toUnicode(cp1251Name);
    name.replace(u'\\', u'/'); // names written on Windows
    if (name.isEmpty())
        return {false, QStringLiteral("is empty")};
    if (QDir::isAbsolutePath(name) || name.startsWith(u'/') ||
        (name.size() > 1 && name.at(1) == u':'))
        return {false, QStringLiteral("is an absolute path")};
    const QString clean = QDir::cleanPath(name);
    if (clean == u".." || clean.startsWith(QStringLiteral("../")))
        return {false, QStringLiteral("leads outside the content folder")};

    const QDir folder(contentFolder);
    const QFileInfo info(folder.filePath(clean));
    if (!info.exists()) {
        // Windows found names whatever their letter case; here the case must match.
        const QFileInfo parent(info.absolutePath());
        if (parent.isDir()) {
            const QStringList entries = QDir(parent.absoluteFilePath()).entryList(QDir::Files);
            for (const QString& e : entries)
                if (e.compare(info.fileName(), Qt::CaseInsensitive) == 0)
                    return {false, QStringLiteral("not found (there is \"%1\", which differs in "
                                                  "letter case)")
                                       .arg(e)};
        }
        return {false, QStringLiteral("not found in the content folder")};
    }
    const QString root = QFileInfo(contentFolder).canonicalFilePath();
    if (!info.canonicalFilePath().startsWith(root + u'/'))
        return {false, QStringLiteral("links outside the content folder")};
    if (!info.isFile())
        return {false, QStringLiteral("is not a file")};
    return {true, {}};
}

// The problems of one file, each a line of its own.
QStringList problemsOf(const QString& file, const QString& contentFolder, int* pictures) {
    const bool lesson = file.endsWith(QStringLiteral(".les"), Qt::CaseInsensitive);
    const ListedFile listed = listFile(file, lesson);
    QStringList problems;
    for (const QString& m : listed.messages)
        problems << QStringLiteral("the program shows \"%1\"").arg(m);
    if (!listed.documentRead && listed.messages.isEmpty())
        problems << QStringLiteral("the document cannot be read");
    *pictures = 0;
    const auto accept =
        lesson ? ObjectRecord::Accept::LessonTypes : ObjectRecord::Accept::FragmentTypes;
    for (const ListedRecord& r : listed.records) {
        const QString where =
            QStringLiteral("record %1 (%2): ").arg(r.index).arg(cp1251::toUnicode(r.fields.name));
        const BmpRectStream* p = r.picture.get();
        if (!p) {
            // A picture record the loader passed over is a plate that silently does not show.
            if (r.reached && r.outcome == ListedRecord::Outcome::Skipped &&
                ObjectRecord::isPictureType(r.fields.type, ObjectRecord::Accept::FragmentTypes))
                problems << where +
                                (ObjectRecord::isPictureType(r.fields.type, accept)
                                     ? QStringLiteral("not shown: no name or incomplete points")
                                     : QStringLiteral("not shown: a lesson reads no \"%1\" records")
                                           .arg(QString::fromLatin1(r.fields.type)));
            continue;
        }
        ++*pictures;
        auto media = [&](const char* field, const QByteArray& name) {
            const MediaCheck c = checkMedia(contentFolder, name);
            if (!c.ok)
                problems << where +
                                QStringLiteral("%1 \"%2\" %3")
                                    .arg(QLatin1String(field), cp1251::toUnicode(name), c.problem);
        };
        // What the program opens: the animation file when srcName is set, the video clip when
        // aviName holds "avi", the Flash movie when picName holds "swf".
        if (!p->srcName().isEmpty())
            media("srcName", p->srcName());
        if (p->aviName().contains("avi"))
            media("aviName", p->aviName());
        if (p->picName().contains("swf"))
            media("swfNameMy", p->swfNameMy());
    }
    return problems;
}

} // namespace

// trevalon-frag check FILE... [--content DIR]
int runCheck(const QStringList& args, std::FILE* out, std::FILE* err) {
    QStringList files;
    QString content;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--content") {
            if (i + 1 >= args.size())
                return usageError("check", err);
            content = args[++i];
        } else {
            files << args[i];
        }
    }
    if (files.isEmpty())
        return usageError("check", err);

    int exit = kExitOk;
    for (const QString& file : files) {
        const QString folder = content.isEmpty() ? QFileInfo(file).absolutePath()
                                                 : QFileInfo(content).absoluteFilePath();
        int pictures = 0;
        const QStringList problems = problemsOf(file, folder, &pictures);
        for (const QString& p : problems)
            printLine(out, file + QStringLiteral(": ") + p);
        if (problems.isEmpty()) {
            printLine(out, QStringLiteral("%1: ok, %2 pictures").arg(file).arg(pictures));
        } else {
            printLine(out, QStringLiteral("%1: %2 problems, %3 pictures")
                               .arg(file)
                               .arg(problems.size())
                               .arg(pictures));
            exit = kExitFailed;
        }
    }
    return exit;
}
