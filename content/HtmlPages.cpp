#include "HtmlPages.h"

#include <QFileInfo>

namespace html {

namespace {

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

QString head(const QString& title, QColor accent) {
    return QStringLiteral(
               "<!DOCTYPE html>\n"
               "<html lang=\"ru\">\n<head>\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\n"
               "<title>%1</title>\n"
               "<style>\n"
               "body { margin: 0; background: #eef2f7; color: #1f2a44;\n"
               "       font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 15px; }\n"
               "header { background: %2; color: #fff; padding: 14px 16px 12px; }\n"
               "header h1 { margin: 0; font-size: 21px; }\n"
               "header p { margin: 6px 0 0; font-size: 13px; opacity: .9; }\n"
               "main { padding: 6px 10px 16px; }\n"
               "a.topic { display: flex; align-items: center; gap: 12px; margin: 10px 0;\n"
               "          padding: 8px; background: #fff; border-radius: 10px; color: inherit;\n"
               "          text-decoration: none; box-shadow: 0 1px 3px rgba(0,0,0,.18); }\n"
               "a.topic:hover { box-shadow: 0 2px 8px rgba(0,0,0,.3); }\n"
               "a.topic img { width: 120px; height: 90px; border-radius: 6px; flex: none; }\n"
               "a.topic b { display: block; font-size: 16px; margin-bottom: 3px; }\n"
               "a.topic span { font-size: 13px; color: #4a5672; }\n"
               "p.text { line-height: 1.45; }\n"
               "ol.plates { padding-left: 22px; }\n"
               "ol.plates li { margin: 5px 0; }\n"
               "a { color: %2; }\n"
               "nav { margin-top: 16px; padding-top: 8px; border-top: 1px solid #c9d3e2; "
               "font-size: 13px; }\n"
               "nav a { display: inline-block; margin: 2px 12px 2px 0; white-space: nowrap; }\n"
               ".price { display: block; margin: 16px 0 4px; padding: 10px; background: #fff7e0;\n"
               "         border: 1px solid #e8c66a; border-radius: 8px; }\n"
               "</style>\n</head>\n")
        .arg(esc(title), accent.name());
}

QString topicCard(const Topic& t) {
    return QStringLiteral("<a class=\"topic\" href=\"%1\"><img src=\"%2\" alt=\"\">"
                          "<div><b>%3</b><span>%4</span></div></a>\n")
        .arg(t.link, thumbnailName(t), esc(t.title), esc(t.summary));
}

} // namespace

QString thumbnailName(const Topic& topic) {
    return kThumbFolder + QLatin1Char('/') + QFileInfo(topic.fragment).completeBaseName() +
           QStringLiteral(".png");
}

QString startPage(const std::vector<Topic>& topics) {
    QString page = head(QStringLiteral("Безопасность дорожного движения"), QColor(36, 78, 150));
    page += QStringLiteral("<body>\n<header><h1>Безопасность дорожного движения</h1>\n"
                           "<p>Выберите тему: её плакаты появятся справа.</p></header>\n"
                           "<main>\n");
    for (const Topic& t : topics)
        page += topicCard(t);
    page += QStringLiteral("<a class=\"price\" href=\"%1\">Наши учебные пособия: прайс-лист</a>\n")
                .arg(kPricePage);
    page += QStringLiteral("</main>\n</body>\n</html>\n");
    return page;
}

// A caption survives the program's link-name clean-up only without a "." and without the
// extension words it removes.
static bool linkableCaption(const QString& caption) {
    for (const char* word : {".", "GIF", "gif", "jpg", "rsc", "\"", "#", "?", "%"})
        if (caption.contains(QLatin1String(word)))
            return false;
    return !caption.isEmpty();
}

QString topicPage(const Topic& topic, const std::vector<Topic>& all) {
    QString page = head(topic.title, topic.theme);
    page += QStringLiteral("<body>\n<header><h1>%1</h1><p>%2</p></header>\n<main>\n")
                .arg(esc(topic.title), esc(topic.summary));
    for (const QString& para : topic.paragraphs)
        page += QStringLiteral("<p class=\"text\">%1</p>\n").arg(esc(para));
    page += QStringLiteral("<h3>Плакаты темы</h3>\n<ol class=\"plates\">\n");
    for (const PlateDesign& plate : topic.plates) {
        // The program shows this page beside the open fragment, so a plate can be picked by
        // name; anywhere else such a link means nothing, so other pages list plain titles.
        // The program finds the plate by its caption after dropping a file extension from
        // the link ("jpg", then the first "."), so the link is the caption plus ".jpg".
        if (topic.pageShown && linkableCaption(plate.caption()))
            page += QStringLiteral("<li><a href=\"***%1.jpg\">%2</a></li>\n")
                        .arg(esc(plate.caption()), esc(plate.title));
        else
            page += QStringLiteral("<li>%1</li>\n").arg(esc(plate.title));
    }
    page += QStringLiteral("</ol>\n<nav><a href=\"%1\">&larr; К списку тем</a>").arg(kStartPage);
    for (const Topic& other : all)
        if (other.fragment != topic.fragment)
            page += QStringLiteral(" <a href=\"%1\">%2</a>").arg(other.link, esc(other.title));
    page += QStringLiteral("</nav>\n</main>\n</body>\n</html>\n");
    return page;
}

QString pricePage() {
    QString page = head(QStringLiteral("Прайс-лист"), QColor(36, 78, 150));
    page += QStringLiteral("<body>\n<header><h1>Прайс-лист</h1></header>\n<main>\n"
                           "<p class=\"text\">Прайс-лист на учебные пособия — в документе "
                           "<a href=\"../price.rtf\">price.rtf</a>.</p>\n"
                           "<nav><a href=\"%1\">&larr; К списку тем</a></nav>\n"
                           "</main>\n</body>\n</html>\n")
                .arg(kStartPage);
    return page;
}

} // namespace html
