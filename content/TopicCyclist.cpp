#include "Catalogue.h"
#include "Scenes.h"

using scenes::kFarLane;
using scenes::kNearLane;
using scenes::kRoadBottom;
using scenes::kRoadTop;

namespace {

const QColor kTheme(20, 140, 140);

void partsOfBicycle(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(110, 200, 200));
    const QPointF at(c.width / 2, 470);
    const double s = 3.0;
    art::bicycle(p, at, s, QColor(30, 130, 200), true, false);
    // Labels with leader lines: the part in the bicycle's own units, the label in the plate's.
    struct Label {
        QPointF part;
        QPointF text;
        QString name;
    };
    const Label labels[] = {
        {{30, -88}, {c.width - 170, 130}, QStringLiteral("Руль и звонок")},
        {{34, -68}, {c.width - 130, 250}, QStringLiteral("Фара (белый свет)")},
        {{-58, -54}, {130, 250}, QStringLiteral("Катафот (красный)")},
        {{-16, -80}, {170, 130}, QStringLiteral("Седло")},
        {{-2, -28}, {300, 550}, QStringLiteral("Педали")},
        {{42, -28}, {c.width - 200, 550}, QStringLiteral("Тормоза")},
    };
    for (const Label& l : labels) {
        const QPointF part = at + l.part * s;
        p.setPen(art::outlinePen(2, QColor(30, 40, 70)));
        p.drawLine(part, l.text);
        p.setBrush(QColor(30, 40, 70));
        p.drawEllipse(part, 5, 5);
        art::badge(p, l.text, l.name, 19, kTheme);
    }
}

void helmetAndBrightClothes(QPainter& p, const Canvas& c) {
    scenes::countryBackdrop(p, c, 3);
    art::bicycle(p, QPointF(c.width / 2, kNearLane + 4), 1.6, QColor(220, 60, 50), true);
    art::hint(p, c.width, c.height, QStringLiteral("Шлем и яркая одежда"));
}

void cyclePath(QPainter& p, const Canvas& c) {
    scenes::countryBackdrop(p, c, 4);
    // A red-brown path along the road, on the near side.
    p.fillRect(QRectF(0, kRoadBottom + 20, c.width, 46), QColor(190, 90, 70));
    p.setPen(QPen(Qt::white, 3, Qt::DashLine));
    p.drawLine(QPointF(0, kRoadBottom + 43), QPointF(c.width, kRoadBottom + 43));
    art::bicycle(p, QPointF(330, kRoadBottom + 62), 1.2, QColor(40, 130, 200), true);
    art::bicycle(p, QPointF(600, kRoadBottom + 40), 1.0, QColor(240, 170, 40), false);
    art::signOnPole(p, QPointF(120, kRoadBottom + 66), 170, 80, art::Sign::CyclePath);
    art::car(p, QPointF(560, kFarLane), 0.9, QColor(120, 120, 130), false);
}

void walkTheBike(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 1);
    const double zx = 290;
    art::zebra(p, zx, zx + 190, kRoadTop, kRoadBottom);
    art::bicycle(p, QPointF(zx + 110, 445), 1.0, QColor(40, 130, 200), true, false);
    art::Person rider;
    rider.child = true;
    rider.shirt = QColor(240, 140, 40);
    rider.stride = 0.6;
    rider.armPose = 2;
    art::person(p, QPointF(zx + 80, 452), 110, rider);
    art::car(p, QPointF(120, kNearLane), 0.9, QColor(200, 60, 60), true);
    art::hint(p, c.width, c.height, QStringLiteral("Через дорогу — пешком, ведя велосипед"));
}

// A cyclist seen from behind giving a hand signal: 0 left turn, 1 right turn, 2 stop.
void signallingRider(QPainter& p, QPointF at, double s, int signal) {
    p.save();
    p.translate(at);
    p.scale(s, s);
    p.setPen(art::outlinePen(3));
    p.setBrush(QColor(34, 34, 38));
    p.drawRoundedRect(QRectF(-6, -70, 12, 70), 6, 6); // rear wheel seen edge on
    p.setPen(art::outlinePen(4, QColor(60, 60, 66)));
    p.drawLine(QPointF(-34, -96), QPointF(34, -96)); // handlebar
    const QColor shirt(240, 140, 40);
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(50, 60, 100));
    p.drawRoundedRect(QRectF(-20, -110, 40, 40), 8, 8);
    p.setBrush(shirt);
    p.drawRoundedRect(QRectF(-24, -170, 48, 66), 10, 10);
    auto arm = [&](QPointF from, std::initializer_list<QPointF> to) {
        QPolygonF poly;
        poly << from;
        for (QPointF q : to)
            poly << q;
        p.setPen(QPen(art::ink::outline, 13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(poly);
        p.setPen(QPen(shirt, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(poly);
    };
    const QPointF lShoulder(-20, -160), rShoulder(20, -160);
    switch (signal) {
    case 0:
        arm(lShoulder, {{-80, -160}});
        arm(rShoulder, {{30, -96}});
        break;
    case 1:
        arm(rShoulder, {{80, -160}});
        arm(lShoulder, {{-30, -96}});
        break;
    default:
        arm(lShoulder, {{-30, -96}});
        arm(rShoulder, {{30, -230}});
        break;
    }
    p.setPen(art::outlinePen(2));
    p.setBrush(art::ink::skin);
    p.drawEllipse(QPointF(0, -188), 18, 18);
    p.setBrush(QColor(40, 160, 220));
    p.drawChord(QRectF(-21, -210, 42, 42), 0, 180 * 16);
    p.restore();
}

void handSignals(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(120, 200, 190));
    const QString names[3] = {QStringLiteral("Поворот налево"), QStringLiteral("Поворот направо"),
                              QStringLiteral("Остановка")};
    for (int i = 0; i < 3; ++i) {
        const double x = c.width * (i + 0.5) / 3;
        p.setPen(art::outlinePen(1.5, QColor(0, 0, 0, 40)));
        p.setBrush(QColor(255, 255, 255, 210));
        p.drawRoundedRect(QRectF(x - 120, 90, 240, 490), 18, 18);
        signallingRider(p, QPointF(x, 470), 1.35, i);
        p.setPen(QColor(30, 40, 80));
        p.setFont(art::font(22, true));
        p.drawText(QRectF(x - 115, 500, 230, 60), Qt::AlignCenter, names[i]);
    }
}

} // namespace

Topic cyclistTopic() {
    Topic t;
    t.fragment = QStringLiteral("pravo1.frag");
    t.link = QStringLiteral("pravo1.htm");
    t.pageShown = true;
    t.title = QStringLiteral("Велосипедист");
    t.summary = QStringLiteral("Исправный велосипед, шлем, велосипедная дорожка и сигналы "
                               "рукой.");
    t.paragraphs = {
        QStringLiteral("Ездить на велосипеде по дороге можно с 14 лет; младшие дети катаются "
                       "по тротуарам, пешеходным и велосипедным дорожкам, во дворах и парках."),
        QStringLiteral("Переходя дорогу по пешеходному переходу, велосипедист сходит с "
                       "велосипеда и ведёт его рядом с собой."),
        QStringLiteral("Перед поворотом и остановкой велосипедист подаёт сигнал рукой."),
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
        plate("pravo1_01.png", QStringLiteral("Устройство велосипеда"), ImageKind::Png,
              partsOfBicycle),
        plate("pravo1_02.jpg", QStringLiteral("Шлем и яркая одежда"), ImageKind::Jpeg,
              helmetAndBrightClothes),
        plate("pravo1_03.jpg", QStringLiteral("Велосипедная дорожка"), ImageKind::Jpeg, cyclePath),
        plate("pravo1_04.jpg", QStringLiteral("Веди велосипед по переходу"), ImageKind::Jpeg,
              walkTheBike),
        plate("pravo1_05.png", QStringLiteral("Сигналы велосипедиста"), ImageKind::Png,
              handSignals),
    };
    t.plates[4].pixels = QSize(900, 600);
    return t;
}
