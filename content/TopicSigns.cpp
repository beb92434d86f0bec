#include "Catalogue.h"
#include "Scenes.h"

using art::Sign;

namespace {

const QColor kTheme(196, 48, 48);

PlateDesign board(const char* stream, const QString& title, ImageKind kind,
                  std::vector<std::pair<Sign, QString>> signs, int columns, double size,
                  QColor tint) {
    PlateDesign plate;
    plate.stream = stream;
    plate.title = title;
    plate.kind = kind;
    plate.theme = kTheme;
    plate.draw = [signs, columns, size, tint](QPainter& p, const Canvas& c) {
        scenes::paperBackdrop(p, c, tint);
        scenes::signBoard(p, c, signs, columns, size);
    };
    return plate;
}

void schoolStreet(QPainter& p, const Canvas& c) {
    scenes::streetBackdrop(p, c, false, 1);
    // School building with its name board over the far pavement.
    const QRectF school(c.width * 0.5, 150, 300, 166);
    art::house(p, school, QColor(236, 214, 170), QColor(150, 60, 50), 3);
    p.setPen(art::outlinePen(2));
    p.setBrush(QColor(40, 110, 60));
    const QRectF board(school.left() + 70, school.top() - 16, 160, 30);
    p.drawRoundedRect(board, 6, 6);
    p.setPen(Qt::white);
    p.setFont(art::font(20, true));
    p.drawText(board, Qt::AlignCenter, QStringLiteral("ШКОЛА"));
    art::signOnPole(p, QPointF(150, scenes::kRoadBottom + 60), 170, 96, Sign::WarnChildren);
    art::Person kid;
    kid.child = true;
    kid.backpack = true;
    kid.stride = 0.6;
    kid.shirt = QColor(240, 120, 60);
    art::person(p, QPointF(330, scenes::kRoadBottom + 58), 96, kid);
    kid.girl = true;
    kid.shirt = QColor(200, 80, 170);
    kid.hair = QColor(200, 150, 60);
    kid.stride = -0.5;
    art::person(p, QPointF(390, scenes::kRoadBottom + 62), 90, kid);
    art::car(p, QPointF(620, scenes::kFarLane), 1.1, QColor(60, 120, 200), false);
    art::hint(p, c.width, c.height, QStringLiteral("Водитель, снизь скорость: рядом школа"));
}

void bigSign(QPainter& p, const Canvas& c) {
    scenes::paperBackdrop(p, c, QColor(70, 120, 200));
    art::sign(p, QPointF(c.width / 2, 300), 300, Sign::InfoCrossing);
    p.setPen(QColor(30, 40, 80));
    p.setFont(art::font(26, true));
    p.drawText(QRectF(0, 480, c.width, 40), Qt::AlignCenter,
               QStringLiteral("Знак стоит там, где можно перейти дорогу"));
}

} // namespace

Topic signsTopic() {
    Topic t;
    t.fragment = QStringLiteral("znaki1.frag");
    t.link = QStringLiteral("znaki1.htm");
    t.pageShown = true;
    t.title = QStringLiteral("Дорожные знаки");
    t.summary = QStringLiteral("Предупреждающие, запрещающие, предписывающие и информационные "
                               "знаки, которые встречает пешеход.");
    t.paragraphs = {
        QStringLiteral("Дорожные знаки — язык дороги. Их форма и цвет говорят больше, чем "
                       "надпись: треугольник с красной каймой предупреждает об опасности, "
                       "красный круг запрещает, синий круг предписывает, синий прямоугольник "
                       "сообщает."),
        QStringLiteral("Пешеходу важнее всего знать знаки «Пешеходный переход», «Дети», "
                       "«Подземный пешеходный переход» и «Движение пешеходов запрещено»."),
    };
    t.theme = kTheme;
    t.plates = {
        board("znaki1_01.png", QStringLiteral("Предупреждающие знаки"), ImageKind::Png,
              {{Sign::WarnCrossing, QStringLiteral("Пешеходный переход")},
               {Sign::WarnChildren, QStringLiteral("Дети")},
               {Sign::WarnLights, QStringLiteral("Светофорное регулирование")},
               {Sign::WarnBicycle, QStringLiteral("Пересечение с велосипедной дорожкой")},
               {Sign::WarnSlippery, QStringLiteral("Скользкая дорога")},
               {Sign::WarnRoadWorks, QStringLiteral("Дорожные работы")}},
              3, 140, QColor(220, 120, 110)),
        board("znaki1_02.png", QStringLiteral("Запрещающие знаки"), ImageKind::Png,
              {{Sign::NoEntry, QStringLiteral("Въезд запрещён")},
               {Sign::NoOvertaking, QStringLiteral("Обгон запрещён")},
               {Sign::NoPedestrians, QStringLiteral("Движение пешеходов запрещено")},
               {Sign::NoBicycles, QStringLiteral("Движение на велосипедах запрещено")},
               {Sign::Speed40, QStringLiteral("Ограничение максимальной скорости")},
               {Sign::NoStopping, QStringLiteral("Остановка запрещена")}},
              3, 130, QColor(200, 110, 130)),
        board("znaki1_03.jpg", QStringLiteral("Предписывающие знаки"), ImageKind::Jpeg,
              {{Sign::AheadOnly, QStringLiteral("Движение прямо")},
               {Sign::TurnRight, QStringLiteral("Движение направо")},
               {Sign::AheadOrRight, QStringLiteral("Движение прямо или направо")},
               {Sign::Roundabout, QStringLiteral("Круговое движение")},
               {Sign::CyclePath, QStringLiteral("Велосипедная дорожка")},
               {Sign::FootPath, QStringLiteral("Пешеходная дорожка")}},
              3, 130, QColor(90, 140, 210)),
        board("znaki1_04.jpg", QStringLiteral("Знаки приоритета"), ImageKind::Jpeg,
              {{Sign::MainRoad, QStringLiteral("Главная дорога")},
               {Sign::GiveWay, QStringLiteral("Уступите дорогу")},
               {Sign::Stop, QStringLiteral("Движение без остановки запрещено")}},
              3, 190, QColor(220, 190, 90)),
        board("znaki1_05.bmp", QStringLiteral("Информационные знаки"), ImageKind::Bmp,
              {{Sign::InfoCrossing, QStringLiteral("Пешеходный переход")},
               {Sign::InfoUnderpass, QStringLiteral("Подземный пешеходный переход")},
               {Sign::InfoBusStop, QStringLiteral("Место остановки автобуса")},
               {Sign::InfoParking, QStringLiteral("Парковка")},
               {Sign::InfoHospital, QStringLiteral("Больница")},
               {Sign::Speed60, QStringLiteral("Ограничение скорости 60 км/ч")}},
              3, 130, QColor(120, 170, 220)),
    };
    PlateDesign school;
    school.stream = "znaki1_06.jpg";
    school.title = QStringLiteral("Знак «Дети» у школы");
    school.theme = kTheme;
    school.draw = schoolStreet;
    t.plates.push_back(school);

    PlateDesign single;
    single.stream = "znaki1_07.png";
    single.title = QStringLiteral("Знак «Пешеходный переход»");
    single.kind = ImageKind::Png;
    single.pixels = QSize(600, 600);
    single.frame = false;
    single.theme = kTheme;
    single.draw = bigSign;
    t.plates.push_back(single);
    return t;
}
