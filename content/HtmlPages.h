#pragma once

#include "Catalogue.h"

#include <QString>
#include <vector>

// The pages of the topic pane. The program reacts to link names, not to page content: a link
// whose URL holds a topic's page name opens that topic's fragment, "***" followed by a
// picture name selects that plate, a name holding "_naz.htm" returns to a topic list, and
// "production" opens the price list. The texts come back as QString; the caller stores them
// in code page 1251, which the pages declare.
namespace html {

inline const QString kStartPage = QStringLiteral("main_naz.htm");
inline const QString kPricePage = QStringLiteral("production.htm");
inline const QString kThumbFolder = QStringLiteral("img");

QString startPage(const std::vector<Topic>& topics);
QString topicPage(const Topic& topic, const std::vector<Topic>& all);
// Stands in for the price list in an ordinary browser; the program opens price.rtf instead.
QString pricePage();
// Thumbnail of a topic, relative to the html folder.
QString thumbnailName(const Topic& topic);

} // namespace html
