#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

// Drawing toolkit of the demo plates: scenery, vehicles, people, road signs, traffic lights.
//
// Side views stand on a ground point (wheels or feet touch it) and are drawn facing right
// unless told otherwise; `s` scales the nominal size (a car is 200 units long at s = 1).
// Top views are centred on a point and turned by an angle in degrees, 0 meaning "driving
// towards +x". Everything is in the painter's current logical units.
namespace art {

// Palette shared by the plates, so the topics look like one series.
namespace ink {
inline const QColor outline(38, 40, 52);
inline const QColor asphalt(86, 90, 99);
inline const QColor asphaltDark(66, 70, 78);
inline const QColor kerb(196, 198, 204);
inline const QColor pavement(214, 206, 190);
inline const QColor grass(118, 178, 78);
inline const QColor grassDark(88, 150, 60);
inline const QColor signRed(214, 38, 38);
inline const QColor signBlue(24, 92, 186);
inline const QColor signYellow(250, 204, 20);
inline const QColor white(255, 255, 255);
inline const QColor skin(244, 204, 170);
} // namespace ink

QPen outlinePen(double width = 2.5, QColor colour = ink::outline);
QFont font(double pixelSize, bool bold = false, bool serif = false);

// ---- scenery (Scenery.cpp) ----
void sky(QPainter& p, const QRectF& r, bool evening = false);
void sun(QPainter& p, QPointF centre, double radius);
void cloud(QPainter& p, QPointF centre, double width);
void grass(QPainter& p, const QRectF& r);
void tree(QPainter& p, QPointF base, double height, int kind = 0);
void house(QPainter& p, const QRectF& r, QColor wall, QColor roof, int floors, bool lit = false);
// Street seen from the side: pavement strip, kerb, road band with a dashed centre line.
void street(QPainter& p, double width, double roadTop, double roadBottom, bool centreLine = true);
// Zebra stripes in perspective across the road band between x0 and x1.
void zebra(QPainter& p, double x0, double x1, double roadTop, double roadBottom);
// A bold arrow along the points, head at the last one.
void arrow(QPainter& p, const std::vector<QPointF>& points, QColor colour, double width);
// A rounded text badge centred on a point.
void badge(QPainter& p, QPointF centre, const QString& text, double pixelSize, QColor fill,
           QColor textColour = ink::white);
// Text box near the bottom edge of a canvas of the given width and height.
void hint(QPainter& p, double canvasWidth, double canvasHeight, const QString& text);
// A red cross or a green tick inside a circle: "wrong" / "right" marks of the plates.
void verdict(QPainter& p, QPointF centre, double radius, bool right);

// Top view (map) pieces.
void roadTop(QPainter& p, const QRectF& r, bool horizontal, bool centreLine = true);
void zebraTop(QPainter& p, const QRectF& r, bool stripesVertical);
void carTop(QPainter& p, QPointF centre, double angle, QColor body, double length = 90);
void truckTop(QPainter& p, QPointF centre, double angle, QColor cab, double length = 150);
void personTop(QPainter& p, QPointF centre, QColor shirt, double size = 22);

// ---- traffic lights (Scenery.cpp) ----
enum class Lamp { Red, RedYellow, Yellow, Green, Off };
void trafficLight(QPainter& p, QPointF base, double height, Lamp lamp, bool onPole = true);
// Pedestrian light: red standing man or green walking man.
void pedestrianLight(QPainter& p, QPointF base, double height, bool go, bool onPole = true);
void trafficLightTop(QPainter& p, QPointF centre, double angle, Lamp lamp);

// ---- vehicles (Vehicles.cpp) ----
void car(QPainter& p, QPointF ground, double s, QColor body, bool right = true,
         bool headlights = false);
void truck(QPainter& p, QPointF ground, double s, QColor cab, QColor cargo, bool right = true);
void bus(QPainter& p, QPointF ground, double s, QColor body, bool right = true,
         bool doorsOpen = false);
void motorcycle(QPainter& p, QPointF ground, double s, QColor body, bool right = true,
                bool rider = true, bool helmet = true);
void bicycle(QPainter& p, QPointF ground, double s, QColor frame, bool right = true,
             bool rider = true, bool helmet = true);

// ---- people (People.cpp) ----
struct Person {
    QColor shirt{70, 130, 200};
    QColor trousers{50, 60, 90};
    QColor hair{90, 60, 40};
    bool child = false;
    bool backpack = false;
    bool reflector = false; // a bright badge on the coat
    bool girl = false;
    double stride = 0.0; // -1..1: leg swing of a walking person, 0 standing
    bool right = true;   // facing direction
    int armPose = 0;     // 0 at the sides, 1 one arm up (stop sign), 2 pointing ahead
    int headTurn = 0;    // -1 looking left, 1 looking right, 0 ahead
};
// Feet on `feet`; `height` is the full height of the figure.
void person(QPainter& p, QPointF feet, double height, const Person& who);
// Traffic controller in uniform holding a striped baton; pose 0 arms down, 1 arm raised,
// 2 arms stretched sideways.
void controller(QPainter& p, QPointF feet, double height, int pose);

// ---- road signs (RoadSigns.cpp) ----
enum class Sign {
    // warning (red-bordered triangle)
    WarnCrossing,
    WarnChildren,
    WarnLights,
    WarnBicycle,
    WarnSlippery,
    WarnRoadWorks,
    WarnDanger,
    // prohibitory (red ring)
    NoEntry,
    NoOvertaking,
    NoPedestrians,
    NoBicycles,
    NoParking,
    NoStopping,
    Speed40,
    Speed60,
    NoMotorcycles,
    NoTrucks,
    // mandatory (blue disc)
    AheadOnly,
    TurnRight,
    Roundabout,
    CyclePath,
    FootPath,
    AheadOrRight,
    // priority
    MainRoad,
    GiveWay,
    Stop,
    // information (blue square)
    InfoCrossing,
    InfoBusStop,
    InfoParking,
    InfoUnderpass,
    InfoHospital,
};
void sign(QPainter& p, QPointF centre, double size, Sign which);
void signOnPole(QPainter& p, QPointF base, double poleHeight, double size, Sign which);
// Pictograms inside signs, drawn into a square box.
void walkerIcon(QPainter& p, const QRectF& box, QColor colour, bool mirrored = false);
void childrenIcon(QPainter& p, const QRectF& box, QColor colour);
void bicycleIcon(QPainter& p, const QRectF& box, QColor colour);
void carIcon(QPainter& p, const QRectF& box, QColor colour);
void busIcon(QPainter& p, const QRectF& box, QColor colour);

} // namespace art
