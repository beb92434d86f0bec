#include "TopicLinks.h"

#include <span>

namespace {

enum class Act {
    None,
    Fragment,    // the row's fixed fragment name
    NumberFin,   // number found + "fin.frag"
    PatternFrag, // pattern found + ".frag"
    SelectAfterStars,
    OpenPrice,
    TopicPage // empty strip, no preview picture, animation panel hidden
};

enum class Outcome {
    StopCancelled,
    GoOn,          // sets the cancel flag and tries the next rows
    StopProceeding // leaves the cancel flag as it is
};

struct Row {
    const char* stem;
    std::span<const int> numbers; // empty: the stem is the whole pattern
    const char* suffix;           // follows the number in numbered patterns
    Act act;
    const char* fragment;
    Outcome outcome;
};

using enum Act;
using enum Outcome;

constexpr int kPrGoOn[] = {1, 2, 3};
constexpr int kPrSwallowed[] = {4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
constexpr int kZnaki0[] = {0};
constexpr int kZnaki1[] = {1};
constexpr int kZnakiSwallowed[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr int kMedSwallowed[] = {3, 4, 5, 7, 8, 10};

// clang-format off
const Row kRows[] = {
    {"***",        {}, "", SelectAfterStars, "",            StopCancelled},
    {"gifavi",     {}, "", Fragment,         "gifavi.frag", StopCancelled},
    {"gruz1",      {}, "", Fragment,         "gruz1.frag",  StopCancelled},
    {"gruz2",      {}, "", Fragment,         "gruz2.frag",  StopCancelled},
    {"gruz3",      {}, "", Fragment,         "gruz3.frag",  StopCancelled},
    {"gsm",        {}, "", Fragment,         "gsm.frag",    StopCancelled},
    {"Per",        {}, "", None,             "",            StopCancelled},
    {"Pr_",        kPrGoOn,      ".htm", NumberFin, "",     GoOn},
    {"Pr_",        kPrSwallowed, ".htm", None,      "",     StopCancelled},
    {"avi2",       {}, "", Fragment,         "avi2.frag",   StopCancelled},
    {"bezop.htm",  {}, "", Fragment,         "bezop.frag",  StopCancelled},
    {"bezop4.htm", {}, "", Fragment,         "bezop4.frag", StopCancelled},
    {"ustr1",      {}, "", Fragment,         "ustr1.frag",  StopCancelled},
    {"mot1",       {}, "", Fragment,         "mot1.frag",   StopCancelled},
    {"mot2",       {}, "", Fragment,         "mot2.frag",   StopCancelled},
    {"vaz1",       {}, "", Fragment,         "vaz1.frag",   StopCancelled},
    {"vaz2",       {}, "", Fragment,         "vaz2.frag",   StopCancelled},
    {"vaz3",       {}, "", Fragment,         "vaz3.frag",   StopCancelled},
    {"avtob1",     {}, "", Fragment,         "avtob1.frag", StopCancelled},
    {"pravo1",     {}, "", Fragment,         "pravo1.frag", StopProceeding},
    {"Poloj",      {}, "", None,             "",            StopCancelled},
    {"Razm",       {}, "", None,             "",            StopCancelled},
    {"znaki",      kZnaki0,         "", None,        "",    StopCancelled},
    {"znaki",      kZnaki1,         "", PatternFrag, "",    GoOn},
    {"znaki",      kZnakiSwallowed, "", None,        "",    StopCancelled},
    {"Med_",       kMedSwallowed,   "", None,        "",    StopCancelled},
    {"Tema_1_2",   {}, "", Fragment,         "bezop2.frag", StopProceeding},
    {"Tema_1_3",   {}, "", Fragment,         "bezop3.frag", StopProceeding},
    {"def1",       {}, "", Fragment,         "def1.frag",   StopProceeding},
    {"def2.htm",   {}, "", Fragment,         "def2.frag",   StopProceeding},
    {"def3",       {}, "", Fragment,         "def3.frag",   StopProceeding},
    {"production", {}, "", OpenPrice,        "",            StopCancelled},
    {"_naz.htm",   {}, "", TopicPage,        "",            GoOn},
};
// clang-format on

struct Match {
    bool found = false;
    QString pattern;
    int number = 0;
};

// Numbered rows take the first number, in ascending table order, whose pattern occurs.
Match findRow(const Row& row, const QString& text) {
    const QString stem = QString::fromLatin1(row.stem);
    if (row.numbers.empty()) {
        if (text.contains(stem))
            return {true, stem, 0};
        return {};
    }
    for (int n : row.numbers) {
        const QString pattern = stem + QString::number(n) + QString::fromLatin1(row.suffix);
        if (text.contains(pattern))
            return {true, pattern, n};
    }
    return {};
}

void appendActions(const Row& row, const Match& m, const QString& text, QList<LinkAction>& out) {
    using K = LinkAction::Kind;
    switch (row.act) {
    case None:
        break;
    case Fragment:
        out.append({K::ShowFragment, QString::fromLatin1(row.fragment)});
        break;
    case NumberFin:
        out.append({K::ShowFragment, QString::number(m.number) + QStringLiteral("fin.frag")});
        break;
    case PatternFrag:
        out.append({K::ShowFragment, m.pattern + QStringLiteral(".frag")});
        break;
    case SelectAfterStars: {
        const qsizetype at = text.indexOf(m.pattern);
        out.append({K::SelectPicture, text.mid(at + m.pattern.size())});
        break;
    }
    case OpenPrice:
        out.append({K::OpenDocument, QStringLiteral("price.rtf")});
        break;
    case TopicPage:
        out.append({K::ShowFragment, QString()});
        out.append({K::ClearPreview, QString()});
        out.append({K::HideAnimationPanel, QString()});
        break;
    }
}

} // namespace

LinkDecision decideLink(const QString& linkText) {
    LinkDecision d;
    for (const Row& row : kRows) {
        const Match m = findRow(row, linkText);
        if (!m.found)
            continue;
        appendActions(row, m, linkText, d.actions);
        switch (row.outcome) {
        case StopCancelled:
            d.cancel = true;
            return d;
        case StopProceeding:
            return d;
        case GoOn:
            d.cancel = true;
            break;
        }
    }
    // No row stopped: the browser's own handling clears the flag and the page is shown.
    d.cancel = false;
    return d;
}

namespace {
// Every %XX decoded (UTF-8), which QUrl's own string forms do not do for whole URLs.
QString decodedText(const QUrl& url) {
    return QUrl::fromPercentEncoding(url.toEncoded());
}
} // namespace

QString linkTextForDecision(const QUrl& url, const QString& contentFolder) {
    const QString text = decodedText(url);
    if (!url.isLocalFile() || contentFolder.isEmpty())
        return text;
    QString base = decodedText(QUrl::fromLocalFile(contentFolder));
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    if (text.startsWith(base))
        return text.mid(base.size());
    return text;
}
