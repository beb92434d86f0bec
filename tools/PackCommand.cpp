#include "BmpRectStream.h"
#include "Cp1251.h"
#include "Err.h"
#include "FragCommand.h"
#include "LessonSaving.h"
#include "ObjectRecord.h"
#include "StreamNameTable.h"
#include "ToolMessages.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Picture files larger than this are refused rather than read whole into memory.
constexpr qint64 kMaxPictureBytes = qint64(256) * 1024 * 1024;
constexpr double kRowGap = 30.0;   // plate units between pictures laid out in a row
constexpr double kUpright = 100.0; // length of an upright placement vector

struct PackError {
    QString text;
};

QByteArray toCp1251(const QString& value, int line, const QString& key) {
    const std::optional<QByteArray> bytes = cp1251::fromUnicode(value);
    if (!bytes)
        throw PackError{QStringLiteral("line %1: %2 holds a character code page 1251 cannot "
                                       "hold")
                            .arg(line)
                            .arg(key)};
    return *bytes;
}

std::vector<double> numbers(const QString& value, int count, int line, const QString& key) {
    const QStringList parts = value.split(u',');
    std::vector<double> out;
    for (const QString& p : parts) {
        bool ok = false;
        const double d = p.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(d))
            break;
        out.push_back(d);
    }
    if (int(out.size()) != count || parts.size() != count)
        throw PackError{QStringLiteral("line %1: %2 needs %3 numbers separated by commas")
                            .arg(line)
                            .arg(key)
                            .arg(count)};
    return out;
}

bool flagValue(const QString& value, int line, const QString& key) {
    if (value == u"0")
        return false;
    if (value == u"1")
        return true;
    throw PackError{QStringLiteral("line %1: %2 must be 0 or 1").arg(line).arg(key)};
}

QByteArray readPicture(const QString& path, int line) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !QFileInfo(path).isFile())
        throw PackError{QStringLiteral("line %1: cannot read %2").arg(line).arg(path)};
    if (file.size() > kMaxPictureBytes)
        throw PackError{QStringLiteral("line %1: %2 is too large").arg(line).arg(path)};
    return file.readAll();
}

bool isAnimated(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.imageCount() > 1;
}

// One manifest line: the picture file, then key=value fields, separated by tabs.
std::unique_ptr<BmpRectStream> pictureFromLine(const QString& lineText, int line,
                                               const QString& folder, const BmpRectStream* prev) {
    const QStringList fields = lineText.split(u'\t');
    const QString file = fields.first().trimmed();
    const QString path = QFileInfo(file).isAbsolute() ? file : folder + u'/' + file;
    const QByteArray bytes = readPicture(path, line);

    ObjectRecord r;
    const QFileInfo info(file);
    r.name = toCp1251(info.fileName().right(StreamNameTable::kMaxNameLength), line, "name");
    r.picName = toCp1251(info.completeBaseName(), line, "picName");
    r.bFrame = true;
    r.bGif = isAnimated(bytes);
    std::optional<std::vector<double>> at;
    std::optional<std::vector<double>> vector;
    for (int i = 1; i < fields.size(); ++i) {
        const QString field = fields[i];
        if (field.trimmed().isEmpty())
            continue;
        const qsizetype eq = field.indexOf(u'=');
        if (eq <= 0)
            throw PackError{
                QStringLiteral("line %1: \"%2\" is not key=value").arg(line).arg(field)};
        const QString key = field.left(eq).trimmed();
        const QString value = field.mid(eq + 1);
        if (key == u"name")
            r.name = toCp1251(value, line, key);
        else if (key == u"picName")
            r.picName = toCp1251(value, line, key);
        else if (key == u"srcName")
            r.srcName = toCp1251(value, line, key);
        else if (key == u"swfNameMy")
            r.swfNameMy = toCp1251(value, line, key);
        else if (key == u"aviName")
            r.aviName = toCp1251(value, line, key);
        else if (key == u"bFrame")
            r.bFrame = flagValue(value, line, key);
        else if (key == u"bAvi")
            r.bAvi = flagValue(value, line, key);
        else if (key == u"bGif")
            r.bGif = flagValue(value, line, key);
        else if (key == u"scale")
            r.scale = numbers(value, 1, line, key).front();
        else if (key == u"at")
            at = numbers(value, 2, line, key);
        else if (key == u"vector")
            vector = numbers(value, 4, line, key);
        else
            throw PackError{QStringLiteral("line %1: unknown key \"%2\"").arg(line).arg(key)};
    }
    if (vector) {
        r.vecBeg = {(*vector)[0], (*vector)[1]};
        r.vecEnd = {(*vector)[2], (*vector)[3]};
    } else {
        PointD start;
        if (at)
            start = {(*at)[0], (*at)[1]};
        else if (prev)
            start = {prev->corner(1).x + kRowGap, prev->corner(1).y};
        r.vecBeg = start;
        r.vecEnd = {start.x, start.y + kUpright};
    }
    try {
        return r.makePicture(bytes);
    } catch (const Err& e) {
        throw PackError{QStringLiteral("line %1: %2: %3").arg(line).arg(file, e.text())};
    }
}

} // namespace

// trevalon-frag pack MANIFEST OUT
int runPack(const QStringList& args, std::FILE* out, std::FILE* err) {
    if (args.size() != 2)
        return usageError("pack", err);
    QFile manifest(args[0]);
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        printLine(err, QStringLiteral("cannot read %1").arg(args[0]));
        return kExitFailed;
    }
    const QString folder = QFileInfo(args[0]).absolutePath();
    const QStringList lines = QString::fromUtf8(manifest.readAll()).split(u'\n');

    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    try {
        for (int i = 0; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed().isEmpty() ? QString() : lines[i];
            if (line.isEmpty() || line.trimmed().startsWith(u'#'))
                continue;
            pictures.push_back(pictureFromLine(line, i + 1, folder,
                                               pictures.empty() ? nullptr : pictures.back().get()));
        }
    } catch (const PackError& e) {
        printLine(err, e.text);
        return kExitFailed;
    }
    if (pictures.empty()) {
        printLine(err, QStringLiteral("%1 names no picture").arg(args[0]));
        return kExitFailed;
    }

    std::vector<const Shape*> shapes;
    for (const auto& p : pictures)
        shapes.push_back(p.get());
    ToolMessages messages;
    XmlStorage storage;
    const bool saved = store::saveLesson(storage, args[1], shapes);
    for (const QString& m : messages.texts)
        printLine(err, m);
    if (!saved)
        return kExitFailed;
    printLine(out, QStringLiteral("%1 pictures written to %2").arg(pictures.size()).arg(args[1]));
    return kExitOk;
}
