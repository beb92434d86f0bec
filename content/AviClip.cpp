#include "AviClip.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace aviclip {

QString make(const Request& r) {
    if (r.gstLaunch.isEmpty() || !QFileInfo(r.gstLaunch).isExecutable())
        return QStringLiteral("gst-launch-1.0 not found");
    if (r.frames <= 0 || !r.frame)
        return QStringLiteral("no frames");
    QTemporaryDir frames;
    if (!frames.isValid())
        return QStringLiteral("no temporary folder for the frames");
    for (int i = 0; i < r.frames; ++i) {
        const QString name =
            frames.filePath(QStringLiteral("f%1.png").arg(i, 3, 10, QLatin1Char('0')));
        if (!r.frame(i).save(name, "PNG"))
            return QStringLiteral("cannot write frame %1").arg(i);
    }
    const QString partial = r.outPath + QStringLiteral(".part");
    QFile::remove(partial);
    QProcess gst;
    gst.setProcessChannelMode(QProcess::MergedChannels);
    gst.start(r.gstLaunch,
              {QStringLiteral("-q"),
               QStringLiteral("multifilesrc"),
               QStringLiteral("location=") + frames.filePath(QStringLiteral("f%03d.png")),
               QStringLiteral("index=0"),
               QStringLiteral("stop-index=%1").arg(r.frames - 1),
               QStringLiteral("caps=image/png,framerate=(fraction)%1/1").arg(r.fps),
               QStringLiteral("!"),
               QStringLiteral("pngdec"),
               QStringLiteral("!"),
               QStringLiteral("videoconvert"),
               QStringLiteral("!"),
               QStringLiteral("video/x-raw,format=I420"),
               QStringLiteral("!"),
               QStringLiteral("jpegenc"),
               QStringLiteral("quality=85"),
               QStringLiteral("!"),
               QStringLiteral("avimux"),
               QStringLiteral("!"),
               QStringLiteral("filesink"),
               QStringLiteral("location=") + partial});
    if (!gst.waitForStarted(10000))
        return QStringLiteral("gst-launch-1.0 did not start");
    if (!gst.waitForFinished(r.timeoutMs)) {
        gst.kill();
        gst.waitForFinished(5000);
        QFile::remove(partial);
        return QStringLiteral("gst-launch-1.0 did not finish in time");
    }
    const QByteArray output = gst.readAll().trimmed();
    if (gst.exitStatus() != QProcess::NormalExit || gst.exitCode() != 0 ||
        QFileInfo(partial).size() <= 0) {
        QFile::remove(partial);
        return QStringLiteral("gst-launch-1.0 failed: %1")
            .arg(QString::fromLocal8Bit(output.left(300)));
    }
    QFile::remove(r.outPath);
    if (!QFile::rename(partial, r.outPath)) {
        QFile::remove(partial);
        return QStringLiteral("cannot move the clip into place");
    }
    return {};
}

} // namespace aviclip
