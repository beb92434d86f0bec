#include "Animations.h"
#include "Catalogue.h"
#include "Scenes.h"

using scenes::kFarLane;
using scenes::kNearLane;
using scenes::kRoadBottom;
using scenes::kRoadTop;

namespace {

const QColor kTheme(36, 140, 84);

void onZebra(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 0);
    const double zx = 300;
    art::zebra(p, zx, zx + 180, kRoadTop, kRoadBottom);
    art::signOnPole(p, QPointF(zx - 40, kRoadBottom + 64), 175, 82, art::Sign::InfoCrossing);
    art::car(p, QPointF(150, kNearLane), 1.0, QColor(230, 170, 40), true);
    art::car(p, QPointF(650, kFarLane), 0.95, QColor(120, 120, 130), false);
    art::Person mum;
    mum.girl = true;
    mum.shirt = QColor(150, 90, 190);
    mum.stride = 0.6;
    art::person(p, QPointF(zx + 80, 440), 140, mum);
    art::Person kid;
    kid.child = true;
    kid.shirt = QColor(250, 190, 40);
    kid.stride = -0.6;
    art::person(p, QPointF(zx + 125, 452), 92, kid);
    art::verdict(p, QPointF(c.width - 70, 540), 34, true);
    art::hint(p, c.width, c.height, QStringLiteral("Переходи только по «зебре»"));
}

void lookBothWays(QPainter& p, const Canvas& c) {
    anim::lookAndCrossFrame(p, c, 0);
    art::arrow(p, {{380, 560}, {560, 560}}, QColor(40, 120, 200), 10);
    art::badge(p, QPointF(160, 560), QStringLiteral("1. Налево"), 22, QColor(230, 80, 40));
    art::badge(p, QPointF(650, 560), QStringLiteral("2. Направо"), 22, QColor(40, 120, 200));
}

void underpass(QPainter& p, const Canvas& c) {
    // Cut through the street: road on top, the tunnel under it.
    art::sky(p, QRectF(0, 0, c.width, 240));
    art::cloud(p, QPointF(170, 150), 140);
    art::house(p, QRectF(420, 100, 200, 120), QColor(200, 220, 235), QColor(90, 100, 120), 2);
    p.fillRect(QRectF(0, 220, c.width, 20), art::ink::pavement);
    p.fillRect(QRectF(0, 240, c.width, 70), art::ink::asphalt);
    art::car(p, QPointF(560, 300), 0.9, QColor(200, 50, 60), true);
    art::truck(p, QPointF(220, 300), 0.7, QColor(40, 120, 200), QColor(220, 220, 210), false);
    p.fillRect(QRectF(0, 310, c.width, c.height - 310), QColor(150, 120, 90));
    // Tunnel and stairs.
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(226, 218, 200));
    p.drawRect(QRectF(130, 380, c.width - 260, 150));
    for (int side = 0; side < 2; ++side) {
        QPolygonF stairs;
        const double x0 = side == 0 ? 20 : c.width - 20;
        const double dir = side == 0 ? 1 : -1;
        stairs << QPointF(x0, 240);
        for (int i = 0; i < 7; ++i) {
            stairs << QPointF(x0 + dir * i * 16, 240 + i * 20)
                   << QPointF(x0 + dir * (i + 1) * 16, 240 + i * 20);
        }
        stairs << QPointF(x0 + dir * 130, 530) << QPointF(x0, 530);
        p.drawPolygon(stairs);
    }
    p.setBrush(QColor(255, 240, 180));
    for (double x = 200; x < c.width - 160; x += 120)
        p.drawEllipse(QPointF(x, 392), 14, 6);
    art::Person a;
    a.stride = 0.6;
    a.shirt = QColor(60, 140, 200);
    art::person(p, QPointF(300, 528), 120, a);
    a.child = true;
    a.shirt = QColor(240, 110, 60);
    a.backpack = true;
    a.right = false;
    a.stride = -0.5;
    art::person(p, QPointF(480, 528), 88, a);
    art::signOnPole(p, QPointF(60, 220), 90, 70, art::Sign::InfoUnderpass);
    art::hint(p, c.width, c.height, QStringLiteral("Подземный переход — самый безопасный"));
}

void behindBus(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 1);
    art::bus(p, QPointF(300, kNearLane), 1.0, QColor(240, 190, 40), true);
    // The boy steps out in front of the bus; a car overtakes it unseen.
    art::Person boy;
    boy.child = true;
    boy.shirt = QColor(60, 160, 220);
    boy.stride = 0.7;
    boy.right = true;
    art::person(p, QPointF(480, 430), 92, boy);
    art::car(p, QPointF(700, kFarLane), 1.0, QColor(200, 40, 50), false);
    art::arrow(p, {{620, 390}, {540, 390}}, QColor(220, 40, 40), 8);
    art::verdict(p, QPointF(70, 540), 34, false);
    art::hint(p, c.width, c.height, QStringLiteral("Стоящий автобус закрывает дорогу от глаз"));
}

void animationStill(QPainter& p, const Canvas& c) {
    anim::lookAndCrossFrame(p, c, 9);
    art::badge(p, QPointF(c.width - 150, 170), QStringLiteral("Кнопка «Анимация»"), 20,
               QColor(120, 60, 170));
}

void reflectors(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, true, 2);
    art::car(p, QPointF(180, kNearLane), 1.0, QColor(90, 100, 120), true, true);
    art::Person girl;
    girl.child = true;
    girl.girl = true;
    girl.reflector = true;
    girl.shirt = QColor(80, 80, 140);
    girl.hair = QColor(60, 40, 30);
    girl.right = false;
    girl.stride = 0.5;
    art::person(p, QPointF(560, kRoadBottom + 58), 100, girl);
    art::hint(p, c.width, c.height, QStringLiteral("Световозвращатель видно издалека"));
}

void whereToPlay(QPainter& p, const Canvas& c) {
    const double half = c.width / 2;
    p.save();
    p.setClipRect(QRectF(0, 0, half, c.height));
    scenes::streetBackdrop(p, c, false, 4);
    art::Person kid;
    kid.child = true;
    kid.stride = 0.8;
    kid.shirt = QColor(230, 70, 60);
    art::person(p, QPointF(200, 440), 92, kid);
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(250, 230, 60));
    p.drawEllipse(QPointF(290, 420), 14, 14);
    art::car(p, QPointF(60, kNearLane), 0.9, QColor(60, 110, 200), true);
    art::verdict(p, QPointF(60, 150), 34, false);
    p.restore();

    p.save();
    p.setClipRect(QRectF(half, 0, half, c.height));
    p.fillRect(QRectF(half, 0, half, c.height), QColor(205, 232, 250));
    art::grass(p, QRectF(half, 330, half, c.height - 330));
    art::tree(p, QPointF(half + 320, 380), 190, 0);
    // Playground: a swing and a sandpit.
    p.setPen(art::outlinePen(5, QColor(180, 70, 60)));
    p.drawLine(QPointF(half + 60, 440), QPointF(half + 100, 300));
    p.drawLine(QPointF(half + 180, 440), QPointF(half + 140, 300));
    p.drawLine(QPointF(half + 90, 300), QPointF(half + 150, 300));
    p.setPen(art::outlinePen(2));
    p.drawLine(QPointF(half + 110, 300), QPointF(half + 110, 390));
    p.drawLine(QPointF(half + 130, 300), QPointF(half + 130, 390));
    p.setBrush(QColor(120, 80, 50));
    p.drawRect(QRectF(half + 100, 388, 40, 8));
    p.setBrush(QColor(240, 214, 150));
    p.drawRoundedRect(QRectF(half + 200, 450, 170, 50), 10, 10);
    kid.shirt = QColor(60, 170, 90);
    kid.right = false;
    art::person(p, QPointF(half + 260, 470), 92, kid);
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(250, 230, 60));
    p.drawEllipse(QPointF(half + 200, 430), 14, 14);
    art::verdict(p, QPointF(c.width - 60, 150), 34, true);
    p.restore();
    p.setPen(QPen(Qt::white, 6));
    p.drawLine(QPointF(half, 70), QPointF(half, c.height));
    art::hint(p, c.width, c.height, QStringLiteral("Играй во дворе, а не у дороги"));
}

PlateDesign plate(const char* stream, const QString& title, ImageKind kind,
                  std::function<void(QPainter&, const Canvas&)> draw) {
    PlateDesign s;
    s.stream = stream;
    s.title = title;
    s.kind = kind;
    s.theme = kTheme;
    s.draw = std::move(draw);
    return s;
}

} // namespace

Topic pedestrianTopic() {
    Topic t;
    t.fragment = QStringLiteral("bezop.frag");
    t.link = QStringLiteral("bezop.htm");
    t.title = QStringLiteral("Пешеход на дороге");
    t.summary = QStringLiteral("Где и как переходить дорогу, почему опасен стоящий автобус, "
                               "как стать заметным в темноте.");
    t.paragraphs = {
        QStringLiteral("Переходить дорогу можно по пешеходному переходу, подземному или "
                       "надземному переходу, а на регулируемом перекрёстке — на зелёный "
                       "сигнал."),
        QStringLiteral("Перед тем как выйти на проезжую часть, остановись у края тротуара, "
                       "посмотри налево, затем направо и убедись, что машины остановились."),
    };
    t.theme = kTheme;
    t.plates = {
        plate("bezop_01.jpg", QStringLiteral("Переходи по пешеходному переходу"), ImageKind::Jpeg,
              onZebra),
        plate("bezop_02.jpg", QStringLiteral("Посмотри налево, затем направо"), ImageKind::Jpeg,
              lookBothWays),
        plate("bezop_03.png", QStringLiteral("Подземный переход"), ImageKind::Png, underpass),
        plate("bezop_04.jpg", QStringLiteral("Не выходи из-за автобуса"), ImageKind::Jpeg,
              behindBus),
        plate("bezop_05.jpg", QStringLiteral("Как переходить дорогу: анимация"), ImageKind::Jpeg,
              animationStill),
        plate("bezop_06.jpg", QStringLiteral("Будь заметен в темноте"), ImageKind::Jpeg,
              reflectors),
        plate("bezop_07.png", QStringLiteral("Где можно играть"), ImageKind::Png, whereToPlay),
    };
    t.plates[4].srcName = "perehod.gif"; // opened by the "Анимация" button
    t.plates[6].frame = false;
    return t;
}
