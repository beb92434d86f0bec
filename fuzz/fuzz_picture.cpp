// Decodes arbitrary bytes as a picture with the program's limits, the way a plate or lesson
// picture is: header size, a decode for a small shown size and a full one, drawing, and the
// frames of an animation. Any crash, hang, leak or decode past the limits is a finding.
#include "Graphics.h"
#include "PictureImage.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void application() {
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the platform plugin is gone by the time static objects end.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)offscreen;
    (void)app;
    // Decoders' complaints about damaged input are expected by the thousand.
    static const QtMessageHandler quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    (void)quiet;
    gfx::installDecodeLimits();
}

void exercise(PictureImage& picture) {
    const QSize size = picture.size();
    if (size.isEmpty() || qint64(size.width()) * size.height() > gfx::kMaxImagePixels)
        std::abort(); // the decoder let through what the limits refuse
    QImage canvas(48, 32, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    picture.draw(painter, {2, 2}, {40, 4}, {3, 30});
    // The frames an animation plays: the next, the last (bounded), and back to the first.
    const int last = std::min(picture.frameCount() - 1, 64);
    for (int frame = 1; frame <= last; ++frame) {
        picture.selectFrame(frame);
        picture.draw(painter, {2, 2}, {40, 4}, {3, 30});
    }
    picture.selectFrame(0);
    picture.draw(painter, {0, 0}, {48, 0}, {0, 32});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    application();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)PictureImage::headerSize(bytes);
    if (auto shown = PictureImage::decode(bytes, {24, 16})) {
        exercise(*shown);
        if (auto copy = shown->copy())
            exercise(*copy);
    }
    if (auto full = PictureImage::decode(bytes)) {
        exercise(*full);
        (void)full->fullImage();
    }
    return 0;
}
