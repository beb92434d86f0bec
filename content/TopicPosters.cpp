#include "Catalogue.h"
#include "Scenes.h"

#include <QtMath>

using scenes::kFarLane;
using scenes::kNearLane;
using scenes::kRoadBottom;
using scenes::kRoadTop;

// Forty large road-situation posters, composed from the toolkit with a seeded generator so
// every build draws the same forty pictures.
namespace {

const QColor kTheme(170, 90, 30);
constexpr int kPosterCount = 40;

// SplitMix64: tiny, fast and the same on every platform (unlike the standard distributions).
class Dice {
public:
    explicit Dice(quint64 seed) : m_state(seed) {}
    quint64 next() {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    double between(double lo, double hi) {
        return lo + (hi - lo) * double(next() >> 11) / 9007199254740992.0;
    }
    QColor colour() {
        static const QColor palette[] = {QColor(220, 60, 50),   QColor(60, 120, 210),
                                         QColor(240, 190, 40),  QColor(60, 160, 100),
                                         QColor(230, 230, 235), QColor(120, 120, 130),
                                         QColor(160, 80, 170),  QColor(240, 130, 40)};
        return palette[below(8)];
    }

private:
    quint64 m_state;
};

art::Person randomPerson(Dice& d, bool child) {
    art::Person who;
    who.child = child;
    who.girl = d.below(2) == 0;
    who.shirt = d.colour();
    who.trousers = QColor(40 + d.below(40), 50 + d.below(40), 80 + d.below(60));
    const QColor hair[] = {QColor(90, 60, 40), QColor(40, 30, 25), QColor(200, 150, 60),
                           QColor(150, 80, 40)};
    who.hair = hair[d.below(4)];
    who.backpack = child && d.below(2) == 0;
    who.right = d.below(2) == 0;
    return who;
}

// Titles follow the scene kinds, which repeat every eight posters (see drawPoster).
const char* const kSituations[kPosterCount] = {
    "Пешеход на переходе", "Загородная дорога",   "Перекрёсток в час пик",  "На остановке",
    "Обочина трассы",      "Школьная зона",       "Знак у дороги",          "Стоянка у магазина",
    "Вечерняя улица",      "Транспорт на трассе", "Поворот на перекрёстке", "Ожидание автобуса",
    "Встречный транспорт", "Дети у дороги",       "Какой это знак?",        "Двор и парковка",
    "Переход у домов",     "Узкая дорога",        "Светофора нет",          "Посадка в автобус",
    "Дорога в деревне",    "Переход у школы",     "Главная дорога",         "Машины во дворе",
    "Переход в сумерках",  "Скорость на трассе",  "Пропусти пешехода",      "Остановка на улице",
    "Кто едет по дороге?", "Группа детей",        "Прочитай знак",          "Выезд с парковки",
    "Переход без спешки",  "Обочина днём",        "Встречные машины",       "Автобус отъезжает",
    "Поездка за город",    "Внимание, дети!",     "Знак и водитель",        "Безопасная стоянка",
};

void streetScene(QPainter& p, const Canvas& c, Dice& d, bool evening) {
    scenes::streetBackdrop(p, c, evening, d.below(5));
    const double zx = d.between(200, c.width - 300);
    art::zebra(p, zx, zx + 170, kRoadTop, kRoadBottom);
    art::signOnPole(p, QPointF(zx - 40, kRoadBottom + 64), 170, 80, art::Sign::InfoCrossing);
    art::car(p, QPointF(d.between(-40, zx - 140), kNearLane), 1.0, d.colour(), true, evening);
    art::car(p, QPointF(d.between(zx + 300, c.width + 60), kFarLane), 0.9, d.colour(), false,
             evening);
    const int people = 1 + d.below(3);
    for (int i = 0; i < people; ++i) {
        art::Person who = randomPerson(d, d.below(2) == 0);
        who.reflector = evening;
        who.stride = 0.6;
        art::person(p, QPointF(zx + 40 + i * 45, d.between(390, 460)), who.child ? 92 : 135, who);
    }
}

void countryScene(QPainter& p, const Canvas& c, Dice& d) {
    scenes::countryBackdrop(p, c, d.below(5));
    // The near vehicle takes one half of the road and the oncoming car the other, so they
    // never hide each other.
    const bool nearOnLeft = d.below(2) == 0;
    const double half = c.width / 2;
    const double nearX =
        nearOnLeft ? d.between(180, half - 150) : d.between(half + 150, c.width - 180);
    const double farX =
        nearOnLeft ? d.between(half + 140, c.width - 120) : d.between(120, half - 140);
    art::car(p, QPointF(farX, kFarLane), 0.9, d.colour(), false);
    switch (d.below(3)) {
    case 0:
        art::truck(p, QPointF(nearX, kNearLane), 1.0, d.colour(), QColor(225, 225, 215), true);
        break;
    case 1:
        art::motorcycle(p, QPointF(nearX, kNearLane), 1.3, d.colour(), true);
        break;
    default:
        art::bicycle(p, QPointF(nearX, kNearLane + 6), 1.2, d.colour(), true);
    }
    art::signOnPole(p, QPointF(d.between(60, c.width - 60), kRoadBottom + 70), 170, 80,
                    d.below(2) ? art::Sign::Speed60 : art::Sign::NoOvertaking);
}

void junctionScene(QPainter& p, const Canvas& c, Dice& d) {
    scenes::planBackdrop(p, c);
    const QPointF o(c.width / 2 + d.between(-80, 80), c.height / 2 + 30);
    const double road = 160, lane = road / 4;
    scenes::crossingPlan(p, c, o, road, d.below(2) == 0);
    const int cars = 3 + d.below(4);
    int queued[4] = {0, 0, 0, 0}; // vehicles already waiting on each approach
    for (int i = 0; i < cars; ++i) {
        const int dir = d.below(4);
        // Queue up behind the ones already there, 170 units apart, so none overlap.
        const double along = road / 2 + 90 + 170 * queued[dir]++ + d.between(0, 20);
        // Vertical approaches are short (the title covers the top): drop what does not fit.
        if ((dir == 2 && along > c.height / 2 - 50) || (dir == 3 && along > c.height / 2 - 90))
            continue;
        QPointF at;
        double angle = 0;
        switch (dir) {
        case 0:
            at = o + QPointF(-along, lane);
            angle = 0;
            break;
        case 1:
            at = o + QPointF(along, -lane);
            angle = 180;
            break;
        case 2:
            at = o + QPointF(lane, along);
            angle = -90;
            break;
        default:
            at = o + QPointF(-lane, -along);
            angle = 90;
            break;
        }
        if (d.below(4) == 0)
            art::truckTop(p, at, angle, d.colour(), 140);
        else
            art::carTop(p, at, angle, d.colour());
    }
    for (int i = 0; i < 1 + d.below(4); ++i)
        art::personTop(p, o + QPointF(-road / 2 - 33, d.between(-road / 2, road / 2)), d.colour());
}

void busScene(QPainter& p, const Canvas& c, Dice& d) {
    scenes::streetBackdrop(p, c, false, d.below(5));
    art::bus(p, QPointF(d.between(180, c.width - 250), kNearLane), 1.0, d.colour(), true,
             d.below(2) == 0);
    art::signOnPole(p, QPointF(c.width - 80, kRoadBottom + 64), 160, 70, art::Sign::InfoBusStop);
    for (int i = 0; i < 2 + d.below(3); ++i) {
        art::Person who = randomPerson(d, d.below(3) == 0);
        art::person(p, QPointF(c.width - 160 - i * 60, 545), who.child ? 92 : 130, who);
    }
}

void schoolScene(QPainter& p, const Canvas& c, Dice& d) {
    scenes::streetBackdrop(p, c, false, d.below(5));
    art::signOnPole(p, QPointF(100, kRoadBottom + 64), 170, 90, art::Sign::WarnChildren);
    art::signOnPole(p, QPointF(c.width - 100, kRoadBottom + 64), 170, 80, art::Sign::Speed40);
    for (int i = 0; i < 3 + d.below(3); ++i) {
        art::Person who = randomPerson(d, true);
        who.stride = d.between(-0.7, 0.7);
        art::person(p, QPointF(200 + i * 85 + d.between(-10, 10), 540), 92, who);
    }
    art::car(p, QPointF(d.between(200, c.width - 200), kFarLane), 0.95, d.colour(), false);
}

void signScene(QPainter& p, const Canvas& c, Dice& d, int index) {
    scenes::countryBackdrop(p, c, d.below(5));
    // One sign per sign poster, in the order their titles expect (see kSituations).
    static const art::Sign signs[] = {art::Sign::Stop, art::Sign::NoEntry, art::Sign::MainRoad,
                                      art::Sign::WarnSlippery, art::Sign::WarnRoadWorks};
    art::signOnPole(p, QPointF(c.width * 0.3, kRoadBottom + 70), 260, 150, signs[(index / 8) % 5]);
    art::car(p, QPointF(d.between(c.width * 0.5, c.width - 100), kNearLane), 1.0, d.colour(), true);
}

void parkingScene(QPainter& p, const Canvas& c, Dice& d) {
    scenes::planBackdrop(p, c);
    p.fillRect(QRectF(40, 100, c.width - 80, c.height - 140), art::ink::asphalt);
    p.setPen(QPen(Qt::white, 4));
    for (double x = 60; x < c.width - 60; x += 100) {
        p.drawLine(QPointF(x, 110), QPointF(x, 250));
        p.drawLine(QPointF(x, c.height - 50), QPointF(x, c.height - 190));
    }
    for (double x = 110; x < c.width - 90; x += 100) {
        if (d.below(3) != 0)
            art::carTop(p, QPointF(x, 180), 90, d.colour(), 100);
        if (d.below(3) != 0)
            art::carTop(p, QPointF(x, c.height - 120), -90, d.colour(), 100);
    }
    art::carTop(p, QPointF(d.between(150, c.width - 150), 320), d.below(2) ? 0 : 180, d.colour(),
                100);
    art::sign(p, QPointF(90, 320), 60, art::Sign::InfoParking);
    art::personTop(p, QPointF(d.between(150, c.width - 150), 290), d.colour());
}

void drawPoster(QPainter& p, const Canvas& c, int index) {
    Dice d(quint64(index) * 7919u + 17u);
    switch (index % 8) {
    case 0:
        streetScene(p, c, d, index % 16 == 8);
        break; // every other one at dusk
    case 1:
        countryScene(p, c, d);
        break;
    case 2:
        junctionScene(p, c, d);
        break;
    case 3:
        busScene(p, c, d);
        break;
    case 4:
        countryScene(p, c, d);
        break;
    case 5:
        schoolScene(p, c, d);
        break;
    case 6:
        signScene(p, c, d, index);
        break;
    default:
        parkingScene(p, c, d);
        break;
    }
    art::badge(p, QPointF(c.width - 60, c.height - 40), QString::number(index + 1), 26, kTheme);
}

} // namespace

Topic postersTopic() {
    Topic t;
    t.fragment = QStringLiteral("def1.frag");
    t.link = QStringLiteral("def1.htm");
    t.pageShown = true;
    t.title = QStringLiteral("Дорожные ситуации: 40 плакатов");
    t.summary = QStringLiteral("Большие плакаты для показа на весь экран: улица, трасса, "
                               "перекрёсток, остановка, школа, стоянка.");
    t.paragraphs = {
        QStringLiteral("Сорок больших плакатов с дорожными ситуациями. Разберите с учениками, "
                       "кто и что должен сделать в каждой из них."),
    };
    t.theme = kTheme;
    for (int i = 0; i < kPosterCount; ++i) {
        PlateDesign s;
        s.stream = QByteArray("def1_") + QByteArray::number(i + 1).rightJustified(2, '0') + ".jpg";
        s.title = QStringLiteral("%1) %2").arg(i + 1).arg(QString::fromUtf8(kSituations[i]));
        s.pixels = QSize(1600, 1200);
        s.quality = 85;
        s.scale = 0.5;
        s.theme = kTheme;
        s.draw = [i](QPainter& p, const Canvas& c) { drawPoster(p, c, i); };
        t.plates.push_back(s);
    }
    return t;
}
