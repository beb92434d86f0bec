#include "RtfPriceList.h"

#include "Cp1251.h"

#include <QString>

namespace rtf {

QByteArray escape(const QString& text) {
    QByteArray out;
    for (const char ch : cp1251::fromUnicodeLossy(text)) {
        const auto byte = quint8(ch);
        if (ch == '\\' || ch == '{' || ch == '}') {
            out += '\\';
            out += ch;
        } else if (byte >= 0x80) {
            out += "\\'" + QByteArray::number(byte, 16).rightJustified(2, '0');
        } else if (ch == '\n') {
            out += "\\line ";
        } else {
            out += ch;
        }
    }
    return out;
}

namespace {

struct Item {
    const char* name;
    const char* format;
    int price; // roubles
};

// Column right edges in twips (A4 with 2 cm margins leaves 9638 twips).
constexpr int kColumns[4] = {700, 6300, 8000, 9638};

QByteArray row(const QByteArray cells[4], bool header) {
    QByteArray r = "\\trowd\\trgaph108\\trleft0\\trqc";
    if (header)
        r += "\\trhdr";
    for (int edge : kColumns) {
        r += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
             "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
        if (header)
            r += "\\clcbpat3";
        r += "\\cellx" + QByteArray::number(edge);
    }
    r += "\n";
    for (int i = 0; i < 4; ++i) {
        r += "\\pard\\intbl";
        r += i == 1 ? "\\ql" : "\\qc";
        r += header ? "\\b " : "\\b0 ";
        r += cells[i] + "\\cell\n";
    }
    r += "\\row\n";
    return r;
}

} // namespace

QByteArray priceList() {
    static const Item items[] = {
        {"Программа «Тревалон-Медиа: безопасность дорожного движения», лицензия на класс", "CD",
         4800},
        {"Комплект плакатов «Дорожные знаки», 7 листов", "А2", 1350},
        {"Комплект плакатов «Пешеход на дороге», 7 листов", "А2", 1350},
        {"Комплект плакатов «Светофор и регулировщик», 5 листов", "А2", 990},
        {"Комплект плакатов «Перекрёсток», 5 листов", "А2", 990},
        {"Плакаты «Транспорт»: грузовик, автобус, мотоцикл, легковой автомобиль", "А2", 1600},
        {"Комплект плакатов «Велосипедист», 5 листов", "А2", 990},
        {"Дорожные ситуации, 40 плакатов для показа на экране", "CD", 2100},
        {"Магнитная доска «Перекрёсток» с набором фигур", "90 x 60 см", 5600},
    };
    QByteArray doc = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\n"
                     "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}{\\f1\\froman\\fcharset204 Times "
                     "New Roman;}}\n"
                     "{\\colortbl;\\red31\\green42\\blue68;\\red36\\green78\\blue150;"
                     "\\red222\\green230\\blue244;}\n"
                     "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134\n"
                     "\\f0\\fs22\\cf1\n";
    doc += "\\pard\\qc\\sb0\\sa120\\b\\fs34\\cf2 " + escape(QStringLiteral("Тревалон-Медиа")) +
           "\\par\n";
    doc += "\\pard\\qc\\sa240\\b0\\fs24\\cf1 " +
           escape(QStringLiteral("Прайс-лист на учебные пособия по безопасности дорожного "
                                 "движения")) +
           "\\par\n";
    const QByteArray header[4] = {
        escape(QStringLiteral("№")), escape(QStringLiteral("Наименование")),
        escape(QStringLiteral("Формат")), escape(QStringLiteral("Цена, руб."))};
    doc += "\\fs22\n" + row(header, true);
    int number = 1;
    for (const Item& item : items) {
        const QByteArray cells[4] = {
            QByteArray::number(number++), escape(QString::fromUtf8(item.name)),
            escape(QString::fromUtf8(item.format)), QByteArray::number(item.price)};
        doc += row(cells, false);
    }
    doc += "\\pard\\sb240\\fs20 " +
           escape(QStringLiteral("Цены указаны с учётом НДС. Доставка по России почтой или "
                                 "транспортной компанией.")) +
           "\\par\n";
    doc += "\\pard\\fs20 " +
           escape(QStringLiteral("Заказы принимаются по электронной почте и по телефону.")) +
           "\\par\n}\n";
    return doc;
}

} // namespace rtf
