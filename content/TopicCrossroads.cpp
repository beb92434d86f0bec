#include "Catalogue.h"
#include "Scenes.h"

namespace {

const QColor kTheme(112, 70, 170);
constexpr double kRoad = 160;

QPointF junction(const Canvas& c) {
    return {c.width / 2, c.height / 2 + 30};
}

void regulated(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    const QPointF o = junction(c);
    scenes::crossingPlan(p, c, o, kRoad, true);
    const double lane = kRoad / 4;
    art::trafficLightTop(p, o + QPointF(-kRoad / 2 - 40, kRoad / 2 + 40), 0, art::Lamp::Green);
    art::trafficLightTop(p, o + QPointF(kRoad / 2 + 40, -kRoad / 2 - 40), 0, art::Lamp::Green);
    art::trafficLightTop(p, o + QPointF(kRoad / 2 + 40, kRoad / 2 + 40), 90, art::Lamp::Red);
    art::trafficLightTop(p, o + QPointF(-kRoad / 2 - 40, -kRoad / 2 - 40), 90, art::Lamp::Red);
    art::carTop(p, o + QPointF(-40, lane), 0, QColor(220, 60, 50));
    art::carTop(p, o + QPointF(200, -lane), 180, QColor(60, 120, 210));
    art::carTop(p, o + QPointF(lane, kRoad / 2 + 110), -90, QColor(240, 190, 40));
    art::carTop(p, o + QPointF(-lane, -kRoad / 2 - 110), 90, QColor(120, 120, 130));
    art::arrow(p, {o + QPointF(-200, lane), o + QPointF(-100, lane)}, QColor(40, 170, 80), 8);
    // People cross the road whose light is red: the upper zebra spans the vertical road.
    for (int i = 0; i < 3; ++i)
        art::personTop(p, o + QPointF(-40 + 40 * i, -kRoad / 2 - 33),
                       i == 1 ? QColor(230, 90, 160) : QColor(60, 160, 220));
}

void unregulated(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    const QPointF o = junction(c);
    scenes::crossingPlan(p, c, o, kRoad, false);
    const double lane = kRoad / 4;
    art::sign(p, o + QPointF(-kRoad / 2 - 60, kRoad / 2 + 60), 56, art::Sign::MainRoad);
    art::sign(p, o + QPointF(kRoad / 2 + 60, kRoad / 2 + 60), 56, art::Sign::GiveWay);
    art::sign(p, o + QPointF(-kRoad / 2 - 60, -kRoad / 2 - 60), 56, art::Sign::GiveWay);
    art::carTop(p, o + QPointF(-150, lane), 0, QColor(220, 60, 50));
    art::carTop(p, o + QPointF(lane, kRoad / 2 + 70), -90, QColor(240, 190, 40));
    art::arrow(p, {o + QPointF(-90, lane), o + QPointF(140, lane)}, QColor(40, 170, 80), 9);
    art::badge(p, o + QPointF(kRoad / 2 + 150, kRoad / 2 + 130), QStringLiteral("Уступи"), 22,
               QColor(200, 60, 40));
    art::badge(p, o + QPointF(-kRoad / 2 - 150, kRoad / 2 + 130), QStringLiteral("Главная дорога"),
               22, QColor(40, 130, 70));
}

void leftTurn(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    const QPointF o = junction(c);
    scenes::crossingPlan(p, c, o, kRoad, true);
    const double lane = kRoad / 4;
    art::carTop(p, o + QPointF(lane, 70), -90, QColor(220, 60, 50));
    art::arrow(p, {o + QPointF(lane, 20), o + QPointF(lane, -lane + 10), o + QPointF(-170, -lane)},
               QColor(230, 120, 30), 9);
    art::carTop(p, o + QPointF(-lane, -190), 90, QColor(60, 120, 210));
    art::arrow(p, {o + QPointF(-lane, -130), o + QPointF(-lane, 150)}, QColor(40, 170, 80), 9);
    art::hint(p, c.width, c.height, QStringLiteral("Поворачивая налево, пропусти встречных"));
}

void roundabout(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    const QPointF o = junction(c);
    scenes::crossingPlan(p, c, o, kRoad, false);
    p.setPen(Qt::NoPen);
    p.setBrush(art::ink::asphalt);
    p.drawEllipse(o, 210, 210);
    p.setPen(art::outlinePen(4, art::ink::kerb));
    p.setBrush(QColor(120, 180, 90));
    p.drawEllipse(o, 90, 90);
    art::tree(p, o + QPointF(0, 40), 90, 0);
    // Cars go round anticlockwise.
    for (int i = 0; i < 4; ++i) {
        const double a = qDegreesToRadians(45.0 + 90 * i);
        const QPointF at = o + QPointF(std::cos(a), -std::sin(a)) * 150;
        const double heading = -qRadiansToDegrees(a) - 90;
        const QColor colours[4] = {QColor(220, 60, 50), QColor(60, 120, 210), QColor(240, 190, 40),
                                   QColor(60, 160, 100)};
        art::carTop(p, at, heading, colours[i], 80);
    }
    art::sign(p, o + QPointF(-270, 180), 64, art::Sign::Roundabout);
}

void fromTheRight(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    const QPointF o = junction(c);
    scenes::crossingPlan(p, c, o, kRoad, false);
    const double lane = kRoad / 4;
    art::carTop(p, o + QPointF(-160, lane), 0, QColor(220, 60, 50));
    art::carTop(p, o + QPointF(lane, 160), -90, QColor(60, 120, 210));
    art::arrow(p, {o + QPointF(lane, 100), o + QPointF(lane, -150)}, QColor(40, 170, 80), 9);
    art::verdict(p, o + QPointF(-160, lane + 60), 24, false);
    art::badge(p, QPointF(c.width / 2, 112), QStringLiteral("Уступи тому, кто справа"), 24,
               QColor(112, 70, 170));
}

} // namespace

Topic crossroadsTopic() {
    Topic t;
    t.fragment = QStringLiteral("bezop3.frag");
    t.link = QStringLiteral("Tema_1_3.htm");
    t.pageShown = true;
    t.title = QStringLiteral("Перекрёсток");
    t.summary = QStringLiteral("Регулируемый и нерегулируемый перекрёсток, поворот налево, "
                               "круговое движение, помеха справа.");
    t.paragraphs = {
        QStringLiteral("Перекрёсток — место пересечения дорог. На регулируемом перекрёстке "
                       "очерёдность движения определяют светофор или регулировщик, на "
                       "нерегулируемом — знаки приоритета."),
        QStringLiteral("Если знаков нет, водитель уступает тому, кто приближается справа. "
                       "Пешеход переходит перекрёсток по переходам, а если их нет — по линии "
                       "тротуаров."),
    };
    t.theme = kTheme;
    auto plate = [](const char* stream, const QString& title, ImageKind kind,
                    void (*draw)(QPainter&, const Canvas&)) {
        PlateDesign s;
        s.stream = stream;
        s.title = title;
        s.kind = kind;
        s.theme = kTheme;
        s.draw = draw;
        return s;
    };
    t.plates = {
        plate("bezop3_01.png", QStringLiteral("Регулируемый перекрёсток"), ImageKind::Png,
              regulated),
        plate("bezop3_02.png", QStringLiteral("Нерегулируемый перекрёсток"), ImageKind::Png,
              unregulated),
        plate("bezop3_03.jpg", QStringLiteral("Поворот налево"), ImageKind::Jpeg, leftTurn),
        plate("bezop3_04.jpg", QStringLiteral("Круговое движение"), ImageKind::Jpeg, roundabout),
        plate("bezop3_05.jpg", QStringLiteral("Помеха справа"), ImageKind::Jpeg, fromTheRight),
    };
    t.plates[2].turnDegrees = 6; // placed slightly turned on the strip
    t.plates[4].frame = false;
    return t;
}
