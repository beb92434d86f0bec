#pragma once

#include <QImage>
#include <QString>
#include <functional>

// The video clip of the demo content: frames drawn here, encoded to Motion-JPEG and muxed to
// AVI by GStreamer's command-line tool (no codec of our own).
namespace aviclip {

struct Request {
    QString gstLaunch; // path of gst-launch-1.0
    QString outPath;
    int frames = 0;
    int fps = 10;
    std::function<QImage(int)> frame;
    int timeoutMs = 120000;
};

// Empty on success, otherwise why the clip was not made (nothing is left at outPath then).
QString make(const Request& request);

} // namespace aviclip
