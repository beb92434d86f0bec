#include "Animations.h"
#include "Catalogue.h"
#include "Scenes.h"

using scenes::kNearLane;
using scenes::kRoadBottom;
using scenes::kRoadTop;

namespace {

const QColor kTheme(214, 120, 20);

void threeSignals(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(230, 170, 90));
    const art::Lamp lamps[3] = {art::Lamp::Red, art::Lamp::Yellow, art::Lamp::Green};
    const QString words[3] = {QStringLiteral("Стой!"), QStringLiteral("Внимание!"),
                              QStringLiteral("Иди!")};
    const QString notes[3] = {QStringLiteral("движение запрещено"),
                              QStringLiteral("жди смены сигнала"),
                              QStringLiteral("движение разрешено")};
    const QColor colours[3] = {QColor(210, 40, 40), QColor(210, 150, 0), QColor(30, 150, 70)};
    for (int i = 0; i < 3; ++i) {
        const double x = c.width * (i + 0.5) / 3;
        p.setPen(art::outlinePen(1.5, QColor(0, 0, 0, 40)));
        p.setBrush(QColor(255, 255, 255, 210));
        p.drawRoundedRect(QRectF(x - 115, 90, 230, 490), 18, 18);
        art::trafficLight(p, QPointF(x, 390), 290, lamps[i], false);
        p.setPen(colours[i]);
        p.setFont(art::font(34, true));
        p.drawText(QRectF(x - 115, 420, 230, 50), Qt::AlignCenter, words[i]);
        p.setPen(QColor(40, 44, 60));
        p.setFont(art::font(21));
        p.drawText(QRectF(x - 110, 475, 220, 80), Qt::AlignHCenter | Qt::TextWordWrap, notes[i]);
    }
}

void pedestrianSignals(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 3);
    art::pedestrianLight(p, QPointF(120, kRoadBottom + 64), 200, false);
    art::pedestrianLight(p, QPointF(c.width - 120, kRoadBottom + 64), 200, true);
    art::Person waiting;
    waiting.shirt = QColor(200, 70, 60);
    art::person(p, QPointF(230, kRoadBottom + 60), 130, waiting);
    art::Person going;
    going.shirt = QColor(40, 150, 90);
    going.stride = 0.7;
    going.child = true;
    going.backpack = true;
    art::person(p, QPointF(c.width - 250, kRoadBottom + 40), 96, going);
    art::badge(p, QPointF(200, 300), QStringLiteral("Стой и жди"), 24, QColor(200, 50, 40));
    art::badge(p, QPointF(c.width - 200, 300), QStringLiteral("Можно идти"), 24,
               QColor(40, 150, 70));
}

void trafficOfficer(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(110, 140, 200));
    const QString notes[3] = {
        QStringLiteral("Руки опущены: переходи за спиной или перед грудью"),
        QStringLiteral("Рука поднята вверх: движение запрещено всем"),
        QStringLiteral("Руки в стороны: переходи за спиной или перед грудью")};
    for (int i = 0; i < 3; ++i) {
        const double x = c.width * (i + 0.5) / 3;
        p.setPen(art::outlinePen(1.5, QColor(0, 0, 0, 40)));
        p.setBrush(QColor(255, 255, 255, 210));
        p.drawRoundedRect(QRectF(x - 120, 90, 240, 490), 18, 18);
        art::controller(p, QPointF(x, 420), 270, i);
        p.setPen(QColor(30, 40, 80));
        p.setFont(art::font(19, true));
        p.drawText(QRectF(x - 110, 440, 220, 130), Qt::AlignHCenter | Qt::TextWordWrap, notes[i]);
    }
}

void flashingYellow(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, true, 0);
    art::trafficLight(p, QPointF(c.width / 2 + 120, kRoadBottom + 64), 250, art::Lamp::Yellow);
    art::car(p, QPointF(230, kNearLane), 1.0, QColor(230, 230, 235), true, true);
    art::Person man;
    man.shirt = QColor(90, 90, 160);
    man.reflector = true;
    man.headTurn = -1;
    art::person(p, QPointF(c.width / 2 + 20, kRoadBottom + 58), 130, man);
    art::hint(p, c.width, c.height, QStringLiteral("Мигает жёлтый: светофор не регулирует"));
}

} // namespace

Topic lightsTopic() {
    Topic t;
    t.fragment = QStringLiteral("bezop2.frag");
    t.link = QStringLiteral("Tema_1_2.htm");
    t.pageShown = true;
    t.title = QStringLiteral("Светофор и регулировщик");
    t.summary = QStringLiteral("Сигналы транспортного и пешеходного светофора, жесты "
                               "регулировщика.");
    t.paragraphs = {
        QStringLiteral("Светофор управляет движением на перекрёстках и переходах. Красный "
                       "сигнал запрещает движение, жёлтый предупреждает о смене сигналов, "
                       "зелёный разрешает."),
        QStringLiteral("Пешеходный светофор показывает стоящего человечка красным цветом и "
                       "идущего — зелёным. Если на перекрёстке работает регулировщик, его "
                       "сигналы главнее сигналов светофора."),
    };
    t.theme = kTheme;

    PlateDesign meaning;
    meaning.stream = "bezop2_01.png";
    meaning.title = QStringLiteral("Сигналы светофора");
    meaning.kind = ImageKind::Png;
    meaning.draw = threeSignals;

    // Animated GIF in the fragment: drawn at 640 x 480 and placed at scale 1.25 so that it
    // stands as tall as its 800 x 600 neighbours.
    PlateDesign cycle;
    cycle.stream = "bezop2_02.gif";
    cycle.title = QStringLiteral("Светофор работает");
    cycle.kind = ImageKind::Gif;
    cycle.pixels = QSize(640, 480);
    cycle.scale = 1.25;
    cycle.animate = anim::lightsFrame;
    cycle.frames = anim::kLightsFrames;
    cycle.delayCs = 50;

    PlateDesign walkers;
    walkers.stream = "bezop2_03.jpg";
    walkers.title = QStringLiteral("Пешеходный светофор");
    walkers.draw = pedestrianSignals;

    PlateDesign officer;
    officer.stream = "bezop2_04.jpg";
    officer.title = QStringLiteral("Сигналы регулировщика");
    officer.pixels = QSize(900, 600);
    officer.draw = trafficOfficer;

    PlateDesign yellow;
    yellow.stream = "bezop2_05.jpg";
    yellow.title = QStringLiteral("Жёлтый мигающий сигнал");
    yellow.draw = flashingYellow;

    t.plates = {meaning, cycle, walkers, officer, yellow};
    for (PlateDesign& plate : t.plates)
        plate.theme = kTheme;
    return t;
}
