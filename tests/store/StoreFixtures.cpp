#include "StoreFixtures.h"

#include "BmpRectStream.h"
#include "ScriptedWindowServices.h"
#include "XmlStorage.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTest>

namespace fixtures {

QByteArray pngBytes(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

QByteArray jpegBytes(QSize size, int seed, int quality) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(static_cast<quint32>(seed));
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random.bounded(48));
            line[x] = qRgb((x * 255 / size.width() + noise + seed * 17) & 0xFF,
                           (y * 255 / size.height() + noise) & 0xFF, ((x ^ y) + noise) & 0xFF);
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return out;
}

QByteArray recordXml(const QByteArray& name, double x, double y) {
    return "<Object type=\"BmpRectStream\">\n<bFrame>1</bFrame>\n<bAvi>0</bAvi>\n<bGif>0</bGif>\n"
           "<scale>1</scale>\n<srcName></srcName>\n<swfNameMy></swfNameMy>\n<aviName></aviName>\n"
           "<picName>" +
           name + "</picName>\n<name>" + name + "</name>\n<vecBeg>\n<x>" + XmlDoc::formatReal(x) +
           "</x>\n<y>" + XmlDoc::formatReal(y) + "</y>\n</vecBeg>\n<vecEnd>\n<x>" +
           XmlDoc::formatReal(x) + "</x>\n<y>" + XmlDoc::formatReal(y + 10) +
           "</y>\n</vecEnd>\n</Object>\n";
}

QByteArray documentXml(const QList<QByteArray>& records) {
    QByteArray out = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Data>\n<Pictures>\n"
                     "</Pictures>\n";
    for (const QByteArray& r : records)
        out += r;
    return out + "</Data>\n";
}

void writeContainer(const QString& path, const QByteArray& xml, const Streams& streams) {
    XmlStorage storage;
    storage.createLocalFile(path);
    if (!xml.isNull())
        storage.writeXmlStream(QStringLiteral("xml"), xml);
    for (const auto& [name, bytes] : streams) {
        XmlStorage::CreatedStream s = storage.createPictureStream(name);
        QVERIFY2(s.result == XmlStorage::kOk, name.constData());
        QVERIFY(s.stream.write(bytes));
    }
    QVERIFY(storage.close());
}

std::unique_ptr<BmpRectStream> picture(const ObjectRecord& record, const QByteArray& bytes) {
    return record.makePicture(bytes);
}

void CollectingSink::flushMessages() {
    for (; m_messagesSeen < m_services.messages.size(); ++m_messagesSeen)
        events << "message:" + m_services.messages.at(m_messagesSeen).text;
}

void CollectingSink::append(std::unique_ptr<BmpRectStream> picture) {
    flushMessages();
    events << "append:" + QString::fromLatin1(picture->name());
    pictures.push_back(std::move(picture));
    if (onAppend)
        onAppend();
}

void CollectingSink::setProgressRange(int minimum, int maximum) {
    flushMessages();
    rangeMin = minimum;
    rangeMax = maximum;
}

void CollectingSink::loadFailed(const QString& message) {
    flushMessages();
    events << "ended:" + message;
}

void CollectingSink::stepProgress() {
    flushMessages();
    events << "step";
    ++steps;
}

void CollectingSink::recordDone(RecordOutcome outcome) {
    outcomes += outcome == RecordOutcome::Loaded   ? 'L'
                : outcome == RecordOutcome::Failed ? 'F'
                                                   : 'P';
}

void CollectingSink::pictureFailed(const QString& message, const QString& name) {
    (void)message;
    flushMessages();
    events << "failed:" + name;
}

QStringList CollectingSink::names() const {
    QStringList out;
    for (const auto& p : pictures)
        out << QString::fromLatin1(p->name());
    return out;
}

} // namespace fixtures
