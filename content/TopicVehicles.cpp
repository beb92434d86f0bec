#include "Animations.h"
#include "Catalogue.h"
#include "Scenes.h"

using scenes::kFarLane;
using scenes::kNearLane;
using scenes::kRoadBottom;
using scenes::kRoadTop;

namespace {

PlateDesign plate(const char* stream, const QString& title, ImageKind kind, QColor theme,
                  std::function<void(QPainter&, const Canvas&)> draw) {
    PlateDesign s;
    s.stream = stream;
    s.title = title;
    s.kind = kind;
    s.theme = theme;
    s.draw = std::move(draw);
    return s;
}

// ---- trucks ----

const QColor kTruckTheme(28, 120, 130);

void truckOnRoad(QPainter& p, const Canvas& c) {
    scenes::countryBackdrop(p, c, 0);
    art::truck(p, QPointF(c.width / 2, kNearLane), 1.35, QColor(220, 70, 50), QColor(230, 230, 220),
               true);
    art::car(p, QPointF(c.width - 120, kFarLane), 0.8, QColor(60, 120, 210), false);
}

void blindSpots(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    art::roadTop(p, QRectF(0, 190, c.width, 300), true);
    const QPointF truckAt(c.width / 2 - 20, 390);
    const double len = 420, half = len * 0.32 / 2;
    // Zones the driver cannot see: just in front of the cab, along the right side, behind.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 40, 40, 90));
    p.drawRect(QRectF(truckAt.x() + len / 2, truckAt.y() - half, 80, 2 * half));
    p.drawRect(QRectF(truckAt.x() - len / 2, truckAt.y() + half, len + 80, 70));
    p.drawRect(QRectF(truckAt.x() - len / 2 - 140, truckAt.y() - half, 140, 2 * half));
    art::truckTop(p, truckAt, 0, QColor(220, 70, 50), len);
    art::personTop(p, QPointF(truckAt.x() + 60, truckAt.y() + half + 35), QColor(60, 160, 220), 34);
    art::bicycleIcon(p, QRectF(truckAt.x() - 150, truckAt.y() + half + 14, 56, 42),
                     QColor(40, 40, 50));
    art::badge(p, QPointF(truckAt.x(), 140), QStringLiteral("Красные зоны водитель не видит"), 22,
               QColor(200, 50, 40));
    art::hint(p, c.width, c.height, QStringLiteral("Не стой рядом с большой машиной"));
}

void brakingDistance(QPainter& p, const Canvas& c) {
    scenes::countryBackdrop(p, c, 1);
    art::truck(p, QPointF(200, kNearLane), 1.0, QColor(40, 110, 190), QColor(220, 220, 210), true);
    // Distance ruler along the road.
    p.setPen(art::outlinePen(3, Qt::white));
    p.drawLine(QPointF(340, 530), QPointF(c.width - 40, 530));
    p.setFont(art::font(20, true));
    for (int m = 0; m <= 40; m += 10) {
        const double x = 340 + (c.width - 380) * m / 40.0;
        p.drawLine(QPointF(x, 518), QPointF(x, 542));
        p.drawText(QRectF(x - 40, 546, 80, 26), Qt::AlignCenter, QStringLiteral("%1 м").arg(m));
    }
    art::badge(p, QPointF(c.width - 230, 150), QStringLiteral("Грузовик не остановится сразу"), 22,
               kTruckTheme);
}

void turningTruck(QPainter& p, const Canvas& c) {
    scenes::planBackdrop(p, c);
    const QPointF o(c.width / 2 - 60, c.height / 2 + 40);
    scenes::crossingPlan(p, c, o, 170, true);
    art::truckTop(p, o + QPointF(-40, 60), 30, QColor(220, 70, 50), 200);
    art::arrow(p, {o + QPointF(30, 100), o + QPointF(50, 160), o + QPointF(45, 250)},
               QColor(230, 120, 30), 9);
    art::personTop(p, o + QPointF(140, 150), QColor(60, 160, 220), 24);
    art::hint(p, c.width, c.height, QStringLiteral("Прицеп срезает угол: отойди от края"));
}

void reversing(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 2);
    art::truck(p, QPointF(460, kNearLane), 1.0, QColor(240, 180, 40), QColor(200, 200, 190), true);
    art::arrow(p, {{300, 310}, {200, 310}}, QColor(220, 40, 40), 9);
    art::Person boy;
    boy.child = true;
    boy.shirt = QColor(60, 160, 90);
    art::person(p, QPointF(210, kRoadBottom + 58), 92, boy);
    art::verdict(p, QPointF(120, 520), 30, false);
    art::hint(p, c.width, c.height, QStringLiteral("Машина даёт задний ход — отойди"));
}

// ---- buses ----

const QColor kBusTheme(30, 100, 190);

void busStop(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 0);
    // Shelter on the near pavement.
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(170, 210, 235, 170));
    p.drawRect(QRectF(470, 420, 200, 110));
    p.setBrush(QColor(40, 110, 180));
    p.drawRect(QRectF(460, 404, 220, 18));
    art::signOnPole(p, QPointF(700, kRoadBottom + 64), 160, 70, art::Sign::InfoBusStop);
    art::bus(p, QPointF(230, kNearLane), 0.95, QColor(240, 190, 40), true);
    art::Person a;
    a.shirt = QColor(190, 70, 70);
    art::person(p, QPointF(530, 540), 130, a);
    a.child = true;
    a.girl = true;
    a.shirt = QColor(90, 160, 90);
    art::person(p, QPointF(590, 545), 92, a);
}

void boarding(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 3);
    art::bus(p, QPointF(c.width / 2, kNearLane), 1.1, QColor(60, 160, 90), true, true);
    art::Person q;
    q.shirt = QColor(200, 80, 60);
    q.stride = 0.4;
    for (int i = 0; i < 3; ++i) {
        q.child = i == 1;
        q.backpack = i == 1;
        q.shirt = i == 1 ? QColor(240, 170, 40) : QColor(80 + 60 * i, 90, 170 - 40 * i);
        art::person(p, QPointF(c.width / 2 + 140 + i * 55, 548), q.child ? 92 : 128, q);
    }
    art::hint(p, c.width, c.height, QStringLiteral("Входи, когда автобус остановился"));
}

void waitingPlace(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 1);
    art::bus(p, QPointF(170, kNearLane), 0.9, QColor(240, 190, 40), true);
    art::Person ok;
    ok.shirt = QColor(60, 150, 90);
    art::person(p, QPointF(520, 545), 120, ok);
    art::Person wrong;
    wrong.child = true;
    wrong.shirt = QColor(220, 80, 60);
    art::person(p, QPointF(650, 470), 92, wrong);
    art::verdict(p, QPointF(720, 420), 26, false);
    art::verdict(p, QPointF(580, 440), 26, true);
    art::hint(p, c.width, c.height, QStringLiteral("Жди на площадке, не выходи на дорогу"));
}

void afterTheBus(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 4);
    art::bus(p, QPointF(c.width - 190, kNearLane), 1.0, QColor(240, 190, 40), true);
    art::arrow(p, {{c.width - 120, 300}, {c.width - 20, 300}}, QColor(40, 120, 200), 8);
    art::Person boy;
    boy.child = true;
    boy.backpack = true;
    boy.shirt = QColor(60, 140, 220);
    boy.headTurn = 1;
    art::person(p, QPointF(250, kRoadBottom + 58), 96, boy);
    art::hint(p, c.width, c.height, QStringLiteral("Подожди, пока автобус уедет"));
}

// ---- motorcycles ----

const QColor kMotoTheme(176, 40, 64);

void motorcycleOnRoad(QPainter& p, const Canvas& c) {
    scenes::countryBackdrop(p, c, 2);
    art::motorcycle(p, QPointF(c.width / 2, kNearLane), 1.8, QColor(220, 50, 50), true);
}

void helmets(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(220, 120, 130));
    art::motorcycle(p, QPointF(c.width * 0.27, 470), 1.5, QColor(40, 110, 200), true, true, true);
    art::motorcycle(p, QPointF(c.width * 0.73, 470), 1.5, QColor(40, 110, 200), true, true, false);
    art::verdict(p, QPointF(c.width * 0.27, 540), 30, true);
    art::verdict(p, QPointF(c.width * 0.73, 540), 30, false);
    art::badge(p, QPointF(c.width / 2, 120), QStringLiteral("Шлем спасает жизнь"), 26, kMotoTheme);
}

void moped(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 0);
    art::motorcycle(p, QPointF(c.width / 2, kNearLane), 1.2, QColor(60, 170, 160), true);
    art::signOnPole(p, QPointF(120, kRoadBottom + 64), 160, 80, art::Sign::Speed40);
    art::hint(p, c.width, c.height, QStringLiteral("Мопед: права категории «М» с 16 лет"));
}

// ---- cars ----

const QColor kCarTheme(56, 90, 140);

void carOnStreet(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 4);
    art::car(p, QPointF(c.width / 2, kNearLane), 1.6, QColor(200, 40, 50), true);
}

// Side view of a car seat with someone sitting in it, facing right; `at` is the floor
// under the front edge of the cushion.
void seat(QPainter& p, QPointF at, double s, bool child) {
    p.save();
    p.translate(at);
    p.scale(s, s);
    p.setPen(art::outlinePen(2.5));
    p.setBrush(QColor(70, 74, 90));
    p.drawRoundedRect(QRectF(-150, -110, 160, 40), 12, 12); // cushion
    p.drawRoundedRect(QRectF(-170, -310, 40, 220), 16, 16); // back
    p.drawRoundedRect(QRectF(-172, -360, 46, 44), 12, 12);  // head rest
    p.setBrush(QColor(60, 60, 66));
    p.drawRect(QRectF(-110, -70, 80, 70)); // base
    const double k = child ? 0.66 : 1.0;   // a child is smaller in every part
    double hipY = -110;
    if (child) {
        p.setBrush(QColor(230, 120, 40));
        p.drawRoundedRect(QRectF(-132, -270, 120, 175), 22, 22); // booster seat
        hipY = -130;
    }
    const QPointF hip(-120 + (1 - k) * 10, hipY - 14);
    const QPointF knee = hip + QPointF(110 * k, 0);
    const QPointF foot = knee + QPointF(20 * k, 100 * k);
    const QPointF shoulder = hip + QPointF(8 * k, -120 * k);
    const QColor shirt = child ? QColor(80, 170, 220) : QColor(225, 225, 230);
    const QColor trousers(50, 60, 100);
    auto limb = [&](QPointF a, QPointF b, double w, QColor col) {
        p.setPen(QPen(art::ink::outline, w + 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(a, b);
        p.setPen(QPen(col, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(a, b);
    };
    limb(hip, knee, 26 * k, trousers);
    limb(knee, foot, 22 * k, trousers);
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(40, 36, 34));
    p.drawRoundedRect(QRectF(foot.x() - 10 * k, foot.y() - 8 * k, 40 * k, 14 * k), 5, 5);
    limb(hip + QPointF(0, -10 * k), shoulder, 40 * k, shirt);
    limb(shoulder + QPointF(6 * k, 6 * k), shoulder + QPointF(60 * k, 60 * k), 14 * k, shirt);
    const QPointF head = shoulder + QPointF(6 * k, -36 * k);
    p.setPen(art::outlinePen(2));
    p.setBrush(art::ink::skin);
    p.drawEllipse(head, 22 * k, 24 * k);
    p.setBrush(QColor(90, 60, 40));
    p.drawChord(QRectF(head.x() - 23 * k, head.y() - 26 * k, 46 * k, 40 * k), 20 * 16, 180 * 16);
    // The belt: across the chest from the shoulder and across the lap.
    p.setPen(QPen(QColor(30, 30, 30), 10 * k + 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(shoulder + QPointF(-16 * k, 4 * k), hip + QPointF(34 * k, -16 * k));
    p.drawLine(hip + QPointF(-10 * k, 4 * k), hip + QPointF(60 * k, 4 * k));
    p.restore();
}

void seatBelt(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(120, 150, 200));
    seat(p, QPointF(c.width * 0.38, 540), 1.25, false);
    scenes::textCard(p, QRectF(c.width * 0.58, 150, c.width * 0.38, 300), QStringLiteral("Ремень"),
                     {QStringLiteral("Пристёгивайся всегда, даже на короткий путь."),
                      QStringLiteral("Ремень лежит на плече и на бёдрах, не на шее.")},
                     kCarTheme);
}

void childSeat(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(230, 160, 90));
    seat(p, QPointF(c.width * 0.38, 540), 1.25, true);
    scenes::textCard(p, QRectF(c.width * 0.58, 150, c.width * 0.38, 300),
                     QStringLiteral("Детское кресло"),
                     {QStringLiteral("Детей до 7 лет возят только в детском кресле."),
                      QStringLiteral("До 12 лет на переднем сиденье — тоже в кресле.")},
                     QColor(210, 110, 30));
}

void stoppingChart(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(140, 170, 210));
    // Stopping distance = reaction (1 s) + braking v^2 / 2a; a = 7 m/s^2 dry, 4 wet.
    const int speeds[3] = {40, 60, 80};
    const double left = 170, right = c.width - 60, top = 130;
    const double metresToPx = (right - left) / 90.0;
    p.setFont(art::font(22, true));
    for (int i = 0; i < 3; ++i) {
        const double v = speeds[i] / 3.6;
        const double dry = v + v * v / 14.0, wet = v + v * v / 8.0;
        const double y = top + i * 140;
        p.setPen(QColor(30, 40, 70));
        p.drawText(QRectF(20, y + 10, 140, 60), Qt::AlignVCenter | Qt::AlignRight,
                   QStringLiteral("%1 км/ч").arg(speeds[i]));
        p.setPen(art::outlinePen(1.5));
        p.setBrush(QColor(240, 170, 40));
        p.drawRoundedRect(QRectF(left, y, dry * metresToPx, 40), 6, 6);
        p.setBrush(QColor(60, 130, 210));
        p.drawRoundedRect(QRectF(left, y + 46, wet * metresToPx, 40), 6, 6);
        p.setPen(Qt::white);
        p.drawText(QRectF(left + 10, y, 300, 40), Qt::AlignVCenter,
                   QStringLiteral("сухо: %1 м").arg(qRound(dry)));
        p.drawText(QRectF(left + 10, y + 46, 300, 40), Qt::AlignVCenter,
                   QStringLiteral("мокро: %1 м").arg(qRound(wet)));
    }
    art::hint(p, c.width, c.height, QStringLiteral("Остановочный путь легкового автомобиля"));
}

} // namespace

Topic truckTopic() {
    Topic t;
    t.fragment = QStringLiteral("gruz1.frag");
    t.link = QStringLiteral("gruz1.htm");
    t.title = QStringLiteral("Грузовой автомобиль");
    t.summary = QStringLiteral("Почему опасно находиться рядом с грузовиком: мёртвые зоны, "
                               "длинный тормозной путь, поворот и задний ход.");
    t.paragraphs = {
        QStringLiteral("Водитель грузовика сидит высоко и не видит того, кто стоит совсем "
                       "рядом с кабиной или сбоку от кузова."),
        QStringLiteral("Тяжёлой машине нужно больше места, чтобы остановиться и повернуть."),
    };
    t.theme = kTruckTheme;
    t.plates = {
        plate("gruz1_01.jpg", QStringLiteral("Грузовой автомобиль"), ImageKind::Jpeg, kTruckTheme,
              truckOnRoad),
        plate("gruz1_02.png", QStringLiteral("Мёртвые зоны грузовика"), ImageKind::Png, kTruckTheme,
              blindSpots),
        plate("gruz1_03.jpg", QStringLiteral("Тормозной путь грузовика"), ImageKind::Jpeg,
              kTruckTheme, brakingDistance),
        plate("gruz1_04.bmp", QStringLiteral("Грузовик поворачивает"), ImageKind::Bmp, kTruckTheme,
              turningTruck),
        plate("gruz1_05.jpg", QStringLiteral("Задний ход"), ImageKind::Jpeg, kTruckTheme,
              reversing),
    };
    // Drawn large and stored at a reduced scale, as scanned plates often were.
    t.plates[2].pixels = QSize(1280, 960);
    t.plates[2].scale = 0.625;
    t.plates[3].frame = false;
    return t;
}

Topic busTopic() {
    Topic t;
    t.fragment = QStringLiteral("avtob1.frag");
    t.link = QStringLiteral("avtob1.htm");
    t.title = QStringLiteral("Автобус и остановка");
    t.summary = QStringLiteral("Как ждать автобус, как входить и выходить, почему нельзя "
                               "обходить его сразу.");
    t.paragraphs = {
        QStringLiteral("Ожидай автобус на посадочной площадке или на тротуаре, не выходи на "
                       "проезжую часть."),
        QStringLiteral("Выйдя из автобуса, не обходи его: дождись, пока он отъедет, и переходи "
                       "дорогу по пешеходному переходу."),
    };
    t.theme = kBusTheme;
    t.plates = {
        plate("avtob1_01.jpg", QStringLiteral("Остановка автобуса"), ImageKind::Jpeg, kBusTheme,
              busStop),
        plate("avtob1_02.jpg", QStringLiteral("Посадка в автобус"), ImageKind::Jpeg, kBusTheme,
              boarding),
        plate("avtob1_03.png", QStringLiteral("Где ждать автобус"), ImageKind::Png, kBusTheme,
              waitingPlace),
        plate("avtob1_04.jpg", QStringLiteral("Выйдя из автобуса, не спеши"), ImageKind::Jpeg,
              kBusTheme, afterTheBus),
    };
    // An older fragment: its first three records are of the legacy kind.
    for (int i = 0; i < 3; ++i)
        t.plates[std::size_t(i)].legacyRecord = true;
    return t;
}

Topic motorcycleTopic() {
    Topic t;
    t.fragment = QStringLiteral("mot1.frag");
    t.link = QStringLiteral("mot1.htm");
    t.title = QStringLiteral("Мотоцикл и мопед");
    t.summary = QStringLiteral("Мотоцикл быстр и плохо заметен: шлем, скорость, внимание "
                               "пешехода.");
    t.paragraphs = {
        QStringLiteral("Мотоцикл узкий и быстрый: пешеход часто замечает его слишком поздно. "
                       "Прислушивайся к дороге и не переходи её перед близко идущим "
                       "транспортом."),
        QStringLiteral("Мотоциклист и пассажир обязаны ехать в застёгнутом мотошлеме."),
    };
    t.theme = kMotoTheme;
    PlateDesign movie = plate("mot1_03.jpg", QStringLiteral("Мотоцикл в движении"), ImageKind::Jpeg,
                              kMotoTheme, anim::motorcyclePoster);
    movie.picName = QStringLiteral("Мотоцикл в движении (swf)"); // "swf" opens the movie
    movie.swfNameMy = "motocikl.swf";
    t.plates = {
        plate("mot1_01.jpg", QStringLiteral("Мотоцикл"), ImageKind::Jpeg, kMotoTheme,
              motorcycleOnRoad),
        plate("mot1_02.png", QStringLiteral("Без шлема ездить нельзя"), ImageKind::Png, kMotoTheme,
              helmets),
        movie,
        plate("mot1_04.jpg", QStringLiteral("Мопед"), ImageKind::Jpeg, kMotoTheme, moped),
    };
    return t;
}

Topic carTopic() {
    Topic t;
    t.fragment = QStringLiteral("vaz1.frag");
    t.link = QStringLiteral("vaz1.htm");
    t.title = QStringLiteral("Легковой автомобиль");
    t.summary = QStringLiteral("Пассажир легкового автомобиля: ремень, детское кресло, "
                               "остановочный путь.");
    t.paragraphs = {
        QStringLiteral("Пассажир обязан быть пристёгнут ремнём безопасности. Дети ездят в "
                       "детском удерживающем устройстве."),
        QStringLiteral("Автомобиль не останавливается мгновенно: пока водитель заметит "
                       "опасность и нажмёт на тормоз, машина проедет ещё много метров."),
    };
    t.theme = kCarTheme;
    t.plates = {
        plate("vaz1_01.jpg", QStringLiteral("Легковой автомобиль"), ImageKind::Jpeg, kCarTheme,
              carOnStreet),
        plate("vaz1_02.png", QStringLiteral("Пристегни ремень"), ImageKind::Png, kCarTheme,
              seatBelt),
        plate("vaz1_03.png", QStringLiteral("Детское кресло"), ImageKind::Png, kCarTheme,
              childSeat),
        plate("vaz1_04.png", QStringLiteral("Остановочный путь"), ImageKind::Png, kCarTheme,
              stoppingChart),
    };
    return t;
}
