#pragma once

#include "BmpRectStream.h"
#include "FragmentSink.h"
#include "ObjectRecord.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class ScriptedWindowServices;

// Helpers shared by the record, loading and saving tests.
namespace fixtures {

QByteArray pngBytes(QSize size, QColor colour);
// A picture with some detail (gradients and noise), so its JPEG has a realistic size.
QByteArray jpegBytes(QSize size, int seed, int quality = 85);

// The record lines of a "BmpRectStream" picture as this program writes them.
QByteArray recordXml(const QByteArray& name, double x = 0, double y = 0);
// A whole document: declaration, <Data>, <Pictures/>, the records, </Data>.
QByteArray documentXml(const QList<QByteArray>& records);

using Streams = QList<QPair<QByteArray, QByteArray>>; // name, bytes
// Writes a compound file holding the "xml" stream (unless xml is null) and the streams.
void writeContainer(const QString& path, const QByteArray& xml, const Streams& streams);

// A picture made the way the loaders make one.
std::unique_ptr<BmpRectStream> picture(const ObjectRecord& record, const QByteArray& bytes);

// Collects what a load delivers, with the messages shown in between, as one event log:
// "append:<name>", "failed:<name>", "step", "ended:<text>" (a failure that ends the load),
// "message:<text>".
class CollectingSink : public FragmentSink {
public:
    explicit CollectingSink(ScriptedWindowServices& services) : m_services(services) {}

    void append(std::unique_ptr<BmpRectStream> picture) override;
    void setProgressRange(int minimum, int maximum) override;
    void stepProgress() override;
    void recordDone(RecordOutcome outcome) override;
    void pictureFailed(const QString& message, const QString& name) override;
    void loadFailed(const QString& message) override;
    bool isCancelled() const override { return cancelWhen && cancelWhen(); }

    // Brings messages shown since the last event into the log.
    void flushMessages();
    QStringList names() const;

    std::vector<std::unique_ptr<BmpRectStream>> pictures;
    QStringList events;
    int rangeMin = -1;
    int rangeMax = -1;
    int steps = 0;
    QString outcomes; // one letter per record: L loaded, P passed over, F failed
    std::function<bool()> cancelWhen;
    std::function<void()> onAppend;

private:
    ScriptedWindowServices& m_services;
    qsizetype m_messagesSeen = 0;
};

} // namespace fixtures
