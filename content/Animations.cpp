#include "Animations.h"

#include "Scenes.h"

#include <QPainterPath>
#include <QtMath>

using scenes::kFarLane;
using scenes::kNearLane;
using scenes::kRoadBottom;
using scenes::kRoadTop;

namespace anim {

namespace {

double clamp01(double t) {
    return std::clamp(t, 0.0, 1.0);
}
double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}
// Eases in and out, so vehicles brake and people start walking gently.
double smooth(double t) {
    t = clamp01(t);
    return t * t * (3 - 2 * t);
}

// Someone crossing the road, seen from the side: moves up the picture and gets a little
// smaller as they go away.
void crosser(QPainter& p, double x, double t, double height, art::Person who, int frame) {
    const double y = lerp(kRoadBottom + 56, kRoadTop - 8, t);
    const double h = height * lerp(1.0, 0.86, t);
    who.stride = (t > 0 && t < 1) ? (frame % 2 ? 0.7 : -0.7) : 0;
    art::person(p, QPointF(x + 40 * t, y), h, who);
}

} // namespace

void crossingFrame(QPainter& p, const Canvas& c, int frame) {
    scenes::streetBackdrop(p, c, false, 2);
    const double zebraX = c.width * 0.46;
    art::zebra(p, zebraX, zebraX + 170, kRoadTop, kRoadBottom);
    // Frames 0-3: the car brakes to a stop short of the zebra; 4-11: the two cross.
    const double braking = smooth(frame / 3.0);
    art::car(p, QPointF(lerp(-60, zebraX - 130, braking), kNearLane), 1.05, QColor(210, 60, 50),
             true);
    const double t = clamp01((frame - 4) / 7.0);
    art::Person mum;
    mum.shirt = QColor(70, 150, 110);
    mum.trousers = QColor(60, 60, 90);
    mum.girl = true;
    mum.hair = QColor(120, 70, 40);
    crosser(p, zebraX + 60, t, 150, mum, frame);
    art::Person son;
    son.child = true;
    son.shirt = QColor(250, 180, 40);
    son.backpack = true;
    crosser(p, zebraX + 100, t, 100, son, frame);
    // The sign stands on the near pavement, in front of everyone on the road.
    art::signOnPole(p, QPointF(zebraX + 200, kRoadBottom + 64), 170, 80, art::Sign::InfoCrossing);
    art::hint(p, c.width, c.height,
              frame < 4 ? QStringLiteral("Дождись, пока машина остановится")
                        : QStringLiteral("Переходи спокойно, не беги"));
}

void lookAndCrossFrame(QPainter& p, const Canvas& c, int frame) {
    scenes::streetBackdrop(p, c, false, 3);
    const double zebraX = c.width * 0.38;
    art::zebra(p, zebraX, zebraX + 170, kRoadTop, kRoadBottom);
    art::Person boy;
    boy.child = true;
    boy.shirt = QColor(60, 140, 220);
    boy.backpack = true;
    QString text;
    // Near-lane traffic comes from the left, far-lane traffic from the right: one car passes
    // while the boy looks each way, then the road is clear.
    if (frame < 4)
        art::car(p, QPointF(lerp(-120, c.width + 120, frame / 3.0), kNearLane), 1.0,
                 QColor(220, 70, 50), true);
    else if (frame < 8)
        art::car(p, QPointF(lerp(c.width + 120, -120, (frame - 4) / 3.0), kFarLane), 0.95,
                 QColor(60, 120, 210), false);
    if (frame < 4) {
        boy.headTurn = -1;
        text = QStringLiteral("Посмотри налево");
        art::arrow(p, {{zebraX + 40, 520}, {zebraX - 120, 520}}, QColor(230, 80, 40), 10);
    } else if (frame < 8) {
        boy.headTurn = 1;
        text = QStringLiteral("Посмотри направо");
        art::arrow(p, {{zebraX + 130, 520}, {zebraX + 290, 520}}, QColor(230, 80, 40), 10);
    } else {
        text = QStringLiteral("Дорога свободна — переходи");
    }
    const double t = clamp01((frame - 8) / 5.0);
    crosser(p, zebraX + 70, t, 110, boy, frame);
    art::badge(p, QPointF(c.width / 2, 110), text, 26, QColor(40, 120, 80));
}

void lightsFrame(QPainter& p, const Canvas& c, int frame) {
    scenes::streetBackdrop(p, c, false, 4);
    const double zebraX = c.width * 0.44;
    art::zebra(p, zebraX, zebraX + 160, kRoadTop, kRoadBottom);
    // Cycle: green 0-5, yellow 6-7, red 8-13, red and yellow 14-15.
    art::Lamp lamp = art::Lamp::Green;
    QString text = QStringLiteral("Зелёный для машин — пешеходы ждут");
    if (frame >= 6 && frame < 8) {
        lamp = art::Lamp::Yellow;
        text = QStringLiteral("Жёлтый — внимание, сейчас сменится сигнал");
    } else if (frame >= 8 && frame < 14) {
        lamp = art::Lamp::Red;
        text = QStringLiteral("Красный для машин — зелёный для пешеходов");
    } else if (frame >= 14) {
        lamp = art::Lamp::RedYellow;
        text = QStringLiteral("Красный и жёлтый — скоро поедут машины");
    }
    // Traffic: on green a car drives through; then one brakes and waits at the line.
    if (frame < 6) {
        art::car(p, QPointF(lerp(-100, c.width + 100, frame / 5.0), kNearLane), 1.0,
                 QColor(60, 110, 200), true);
    } else {
        const double stop = smooth((frame - 6) / 2.0);
        art::car(p, QPointF(lerp(-120, zebraX - 120, stop), kNearLane), 1.0, QColor(230, 170, 40),
                 true);
    }
    art::Person girl;
    girl.child = true;
    girl.girl = true;
    girl.shirt = QColor(220, 70, 120);
    girl.hair = QColor(160, 100, 40);
    const double t = frame < 8 ? 0.0 : clamp01((frame - 8) / 5.0);
    crosser(p, zebraX + 50, t, 100, girl, frame);
    // The lights stand on the near pavement, in front of the road.
    art::trafficLight(p, QPointF(zebraX + 210, kRoadBottom + 62), 230, lamp);
    art::pedestrianLight(p, QPointF(zebraX - 40, kRoadBottom + 62), 190, lamp == art::Lamp::Red);
    art::hint(p, c.width, c.height, text);
}

void clipFrame(QPainter& p, const Canvas& c, int frame, int frames) {
    scenes::planBackdrop(p, c);
    const QPointF centre(c.width / 2, c.height / 2 + 20);
    const double road = 150;
    scenes::crossingPlan(p, c, centre, road, true);
    const bool horizontalGo = frame < frames / 2;
    const double phase = double(frame % (frames / 2)) / (frames / 2);
    const double lane = road / 4;
    art::trafficLightTop(p, centre + QPointF(-road / 2 - 40, road / 2 + 40), 0,
                         horizontalGo ? art::Lamp::Green : art::Lamp::Red);
    art::trafficLightTop(p, centre + QPointF(road / 2 + 40, -road / 2 - 40), 0,
                         horizontalGo ? art::Lamp::Green : art::Lamp::Red);
    art::trafficLightTop(p, centre + QPointF(road / 2 + 40, road / 2 + 40), 90,
                         horizontalGo ? art::Lamp::Red : art::Lamp::Green);
    art::trafficLightTop(p, centre + QPointF(-road / 2 - 40, -road / 2 - 40), 90,
                         horizontalGo ? art::Lamp::Red : art::Lamp::Green);
    const double stopGap = road / 2 + 110;
    // Cars whose light is green drive through; the others wait at the stop lines.
    const double run = lerp(-c.width / 2 - 80, c.width / 2 + 80, phase);
    if (horizontalGo) {
        art::carTop(p, centre + QPointF(run, lane), 0, QColor(220, 60, 50));
        art::carTop(p, centre + QPointF(-run * 0.9, -lane), 180, QColor(60, 120, 210));
        art::carTop(p, centre + QPointF(lane, stopGap), -90, QColor(240, 190, 40));
        art::truckTop(p, centre + QPointF(-lane, -stopGap - 30), 90, QColor(40, 150, 90));
    } else {
        art::carTop(p, centre + QPointF(lane, -run), -90, QColor(240, 190, 40));
        art::truckTop(p, centre + QPointF(-lane, run * 0.8), 90, QColor(40, 150, 90));
        art::carTop(p, centre + QPointF(-stopGap, lane), 0, QColor(220, 60, 50));
        art::carTop(p, centre + QPointF(stopGap, -lane), 180, QColor(60, 120, 210));
        // Pedestrians cross the horizontal road while it stands.
        art::personTop(p, centre + QPointF(-road / 2 - 34, lerp(road / 2, -road / 2, phase)),
                       QColor(230, 90, 160));
    }
}

// ---- the Flash movie ----

namespace {

constexpr int kMovieFrames = 48;
constexpr int kMovieFps = 12;
constexpr double kTravel = 1200; // a vehicle crosses the stage once per loop

std::vector<SwfContour> backgroundShapes() {
    std::vector<SwfContour> s;
    s.push_back(SwfContour::rect(0, 0, 800, 360, QColor(150, 200, 245)));
    s.push_back(SwfContour::circle(QPointF(660, 110), 40, QColor(255, 214, 64)));
    SwfContour hills;
    hills.fill = QColor(140, 196, 110);
    hills.start = QPointF(0, 290);
    hills.curveTo(QPointF(200, 180), QPointF(420, 270));
    hills.curveTo(QPointF(600, 200), QPointF(800, 260));
    hills.lineTo(QPointF(800, 360)).lineTo(QPointF(0, 360));
    s.push_back(hills);
    s.push_back(SwfContour::rect(0, 340, 800, 10, QColor(190, 170, 130)));
    s.push_back(SwfContour::rect(0, 350, 800, 130, QColor(86, 90, 99)));
    s.push_back(SwfContour::rect(0, 480, 800, 10, QColor(190, 170, 130)));
    s.push_back(SwfContour::rect(0, 490, 800, 110, QColor(110, 172, 74)));
    for (int i = 0; i < 4; ++i) {
        const double x = 80 + i * 200;
        s.push_back(SwfContour::rect(x - 6, 250, 12, 95, QColor(120, 84, 52)));
        s.push_back(SwfContour::circle(QPointF(x, 240), 42, QColor(70, 150, 70)));
    }
    return s;
}

std::vector<SwfContour> dashShapes() {
    std::vector<SwfContour> s;
    for (double x = 10; x < 800; x += 70)
        s.push_back(SwfContour::rect(x, 412, 40, 6, QColor(240, 240, 240)));
    return s;
}

std::vector<SwfContour> cloudShapes() {
    const QColor white(255, 255, 255);
    return {SwfContour::circle(QPointF(-40, 0), 34, white),
            SwfContour::circle(QPointF(0, -14), 44, white),
            SwfContour::circle(QPointF(44, 0), 32, white),
            SwfContour::rect(-60, 0, 120, 28, white)};
}

// Local frame: origin on the ground under the middle of the vehicle, x forward.
std::vector<SwfContour> motorcycleShapes() {
    const QColor tyre(34, 34, 38), rim(200, 200, 206), red(220, 50, 50), dark(40, 40, 44);
    std::vector<SwfContour> s;
    for (double x : {-68.0, 70.0}) {
        s.push_back(SwfContour::circle(QPointF(x, -31), 31, tyre));
        s.push_back(SwfContour::circle(QPointF(x, -31), 14, rim));
    }
    s.push_back(SwfContour::polygon({{-66, -34}, {-20, -70}, {-10, -62}, {-58, -26}}, dark));
    s.push_back(SwfContour::polygon({{68, -34}, {42, -108}, {52, -112}, {76, -38}}, dark));
    s.push_back(SwfContour::rect(-22, -72, 52, 34, QColor(150, 152, 160)));
    SwfContour tank =
        SwfContour::polygon({{-8, -82}, {20, -104}, {50, -98}, {48, -78}, {-8, -74}}, red);
    s.push_back(tank);
    s.push_back(SwfContour::rect(-64, -90, 58, 14, dark));
    // Rider: legs, jacket, arm, helmet with visor.
    s.push_back(SwfContour::polygon(
        {{-30, -90}, {12, -88}, {6, -50}, {-6, -50}, {0, -80}, {-30, -78}}, QColor(40, 46, 60)));
    s.push_back(
        SwfContour::polygon({{-44, -88}, {-16, -158}, {4, -160}, {-8, -88}}, QColor(60, 80, 150)));
    s.push_back(SwfContour::polygon({{-10, -148}, {30, -124}, {26, -116}, {-14, -138}},
                                    QColor(50, 66, 126)));
    s.push_back(SwfContour::circle(QPointF(-2, -180), 19, red));
    s.push_back(SwfContour::rect(4, -186, 16, 9, QColor(60, 70, 90)));
    s.push_back(SwfContour::circle(QPointF(62, -108), 8, QColor(255, 248, 200)));
    return s;
}

std::vector<SwfContour> carShapes() {
    const QColor body(60, 120, 210), glass(160, 205, 235), tyre(34, 34, 38), rim(200, 200, 206);
    std::vector<SwfContour> s;
    SwfContour shell;
    shell.fill = body;
    shell.start = QPointF(-100, -20);
    shell.lineTo(QPointF(-100, -52)).lineTo(QPointF(-60, -58)).lineTo(QPointF(-38, -90));
    shell.lineTo(QPointF(30, -90)).lineTo(QPointF(62, -58)).lineTo(QPointF(100, -52));
    shell.lineTo(QPointF(100, -20));
    s.push_back(shell);
    s.push_back(SwfContour::polygon({{-52, -60}, {-34, -84}, {-6, -84}, {-6, -60}}, glass));
    s.push_back(SwfContour::polygon({{0, -60}, {0, -84}, {27, -84}, {54, -60}}, glass));
    for (double x : {-60.0, 60.0}) {
        s.push_back(SwfContour::circle(QPointF(x, -18), 18, tyre));
        s.push_back(SwfContour::circle(QPointF(x, -18), 9, rim));
    }
    return s;
}

double wrap(double x) {
    const double span = kTravel;
    x = std::fmod(x + 200, span);
    if (x < 0)
        x += span;
    return x - 200;
}

QPointF motoAt(int frame) {
    return {wrap(180 + frame * kTravel / kMovieFrames), 476};
}
QPointF carAt(int frame) {
    return {wrap(620 - frame * kTravel / kMovieFrames), 404};
}
QPointF cloudAt(int frame) {
    return {200 + 6.0 * frame, 90};
} // drifts, never wraps

void paint(QPainter& p, const std::vector<SwfContour>& shapes, QPointF offset, double sx = 1) {
    p.save();
    p.translate(offset);
    p.scale(sx, 1);
    for (const SwfContour& c : shapes) {
        QPainterPath path(c.start);
        for (const auto& seg : c.segments) {
            if (seg.curved)
                path.quadTo(seg.control, seg.to);
            else
                path.lineTo(seg.to);
        }
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(c.fill);
        p.drawPath(path);
    }
    p.restore();
}

// The car drives leftwards: its shapes are mirrored once, when they are defined.
std::vector<SwfContour> mirrored(std::vector<SwfContour> shapes) {
    auto flip = [](QPointF q) { return QPointF(-q.x(), q.y()); };
    for (SwfContour& c : shapes) {
        c.start = flip(c.start);
        for (auto& seg : c.segments) {
            seg.control = flip(seg.control);
            seg.to = flip(seg.to);
        }
    }
    return shapes;
}

} // namespace

QByteArray motorcycleMovie() {
    SwfMovie movie(QSize(800, 600), kMovieFps, QColor(150, 200, 245));
    const int background = movie.defineShape(backgroundShapes());
    const int dashes = movie.defineShape(dashShapes());
    const int cloud = movie.defineShape(cloudShapes());
    const int carId = movie.defineShape(mirrored(carShapes()));
    const int moto = movie.defineShape(motorcycleShapes());
    movie.place(1, background, {0, 0});
    movie.place(2, dashes, {0, 0});
    movie.place(3, cloud, cloudAt(0));
    movie.place(4, carId, carAt(0));
    movie.place(5, moto, motoAt(0), 0.8);
    movie.showFrame();
    for (int f = 1; f < kMovieFrames; ++f) {
        movie.move(3, cloudAt(f));
        movie.move(4, carAt(f));
        movie.move(5, motoAt(f), 0.8);
        movie.showFrame();
    }
    return movie.finish();
}

void motorcyclePoster(QPainter& p, const Canvas& c) {
    // The stage is 800 x 600; centre it on wider plates.
    p.save();
    p.translate((c.width - 800) / 2, 0);
    paint(p, backgroundShapes(), {0, 0});
    paint(p, dashShapes(), {0, 0});
    paint(p, cloudShapes(), cloudAt(0));
    paint(p, mirrored(carShapes()), carAt(0));
    p.translate(motoAt(0));
    p.scale(0.8, 0.8);
    paint(p, motorcycleShapes(), {0, 0});
    p.restore();
}

} // namespace anim
