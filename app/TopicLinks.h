#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The decision taken before every navigation of the topic pane: the link text is matched
// against a fixed table of names, and a match opens a fragment in the plate strip, selects a
// named picture, opens the price list or swallows the click. The table lives in code only.
//
// The decision depends on the link text alone, so it is kept apart from the browser and
// tested row by row.

struct LinkAction {
    enum class Kind {
        ShowFragment,  // text: fragment file name in the content folder; empty empties the strip
        SelectPicture, // text: picture name as written in the link
        OpenDocument,  // text: document file name in the content folder, given to the shell
        ClearPreview,  // the preview shows no picture
        HideAnimationPanel // the floating animation panel is hidden
    };
    Kind kind;
    QString text;

    friend bool operator==(const LinkAction&, const LinkAction&) = default;
};

struct LinkDecision {
    QList<LinkAction> actions; // in the order they are to be performed
    bool cancel = false;       // true: the browser stays on the current page
};

// Decides on a link text. Every pattern is a case-sensitive substring search over the whole
// text; rows are tried in their fixed order.
LinkDecision decideLink(const QString& linkText);

// The text the decision looks at for a URL the browser reports: the fully decoded URL, with
// the content folder's own location removed when the URL lies inside it. Without that, an
// installation folder whose name holds a pattern (".../Perm/...") would capture every link,
// including the start page.
QString linkTextForDecision(const QUrl& url, const QString& contentFolder);
