#include "Animations.h"
#include "Catalogue.h"
#include "GifWriter.h"
#include "PlateRenderer.h"
#include "Scenes.h"

namespace {

const QColor kTheme(92, 60, 160);

void videoStill(QPainter& p, const Canvas& c) {
    anim::clipFrame(p, c, 4, kClipFrames);
    art::badge(p, QPointF(c.width - 130, 560), QStringLiteral("▶ Видео"), 24, kTheme);
}

void externalStill(QPainter& p, const Canvas& c) {
    anim::lookAndCrossFrame(p, c, 4);
    art::badge(p, QPointF(c.width - 170, 560), QStringLiteral("Кнопка «Анимация»"), 20, kTheme);
}

void flashStill(QPainter& p, const Canvas& c) {
    anim::motorcyclePoster(p, c);
    art::badge(p, QPointF(c.width - 120, 560), QStringLiteral("Flash"), 24, kTheme);
}

void trafficScheme(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(160, 140, 210));
    scenes::textCard(p, QRectF(40, 110, c.width - 80, 250),
                     QStringLiteral("Что движется на плакатах"),
                     {QStringLiteral("Видео — фильм открывается поверх плаката."),
                      QStringLiteral("GIF — кадры сменяются сами, пока плакат открыт."),
                      QStringLiteral("Flash — ролик играет поверх плаката, щелчок листает "
                                     "плакаты."),
                      QStringLiteral("Анимация — внешний файл открывается кнопкой "
                                     "«Анимация».")},
                     kTheme);
    const QString kinds[4] = {QStringLiteral("Видео"), QStringLiteral("GIF"),
                              QStringLiteral("Flash"), QStringLiteral("Анимация")};
    const QColor colours[4] = {QColor(200, 60, 60), QColor(40, 140, 80), QColor(230, 130, 30),
                               QColor(60, 100, 190)};
    for (int i = 0; i < 4; ++i)
        art::badge(p, QPointF(c.width * (i + 0.5) / 4, 450), kinds[i], 26, colours[i]);
}

} // namespace

Topic mediaTopic() {
    Topic t;
    t.fragment = QStringLiteral("gifavi.frag");
    t.link = QStringLiteral("gifavi.htm");
    t.title = QStringLiteral("Видео и анимация");
    t.summary = QStringLiteral("Плакаты с движением: видеофильм, GIF-анимация, Flash-ролик "
                               "и внешняя анимация.");
    t.paragraphs = {
        QStringLiteral("Движущиеся картинки помогают показать ситуацию целиком: как "
                       "останавливается машина, как сменяются сигналы светофора."),
    };
    t.theme = kTheme;

    PlateDesign video;
    video.stream = "gifavi_01.jpg";
    video.title = QStringLiteral("Видео: перекрёсток");
    video.aviName = kClipFileName.toLatin1();
    video.aviFlag = true;
    video.draw = videoStill;

    PlateDesign gif;
    gif.stream = "gifavi_02.gif";
    gif.title = QStringLiteral("Машина пропускает пешеходов");
    gif.kind = ImageKind::Gif;
    gif.pixels = QSize(640, 480);
    gif.scale = 1.25;
    gif.animate = anim::crossingFrame;
    gif.frames = anim::kCrossingFrames;
    gif.delayCs = 40;

    PlateDesign external;
    external.stream = "gifavi_03.jpg";
    external.title = QStringLiteral("Посмотри налево и направо");
    external.srcName = "perehod.gif";
    external.draw = externalStill;

    PlateDesign flash;
    flash.stream = "gifavi_04.jpg";
    flash.title = QStringLiteral("Flash-ролик: мотоцикл");
    flash.picName = QStringLiteral("Мотоцикл на дороге (swf)");
    flash.swfNameMy = "motocikl.swf";
    flash.draw = flashStill;

    PlateDesign scheme;
    scheme.stream = "gifavi_05.png";
    scheme.title = QStringLiteral("Памятка");
    scheme.kind = ImageKind::Png;
    scheme.turnDegrees = -5;
    scheme.frame = false;
    scheme.draw = trafficScheme;

    t.plates = {video, gif, external, flash, scheme};
    for (PlateDesign& plate : t.plates)
        plate.theme = kTheme;
    return t;
}

std::vector<MediaFile> buildMediaFiles() {
    MediaFile look;
    look.fileName = QStringLiteral("perehod.gif");
    look.description = QStringLiteral("external animation");
    look.build = [] {
        PlateDesign design;
        design.title = QStringLiteral("Как переходить дорогу");
        design.pixels = QSize(480, 360);
        design.theme = QColor(36, 140, 84);
        design.animate = anim::lookAndCrossFrame;
        std::vector<QImage> frames;
        for (int i = 0; i < anim::kLookFrames; ++i)
            frames.push_back(plates::render(design, i));
        return GifWriter::encode(frames, 40);
    };
    MediaFile movie;
    movie.fileName = QStringLiteral("motocikl.swf");
    movie.description = QStringLiteral("Flash movie");
    movie.build = anim::motorcycleMovie;
    return {look, movie};
}
