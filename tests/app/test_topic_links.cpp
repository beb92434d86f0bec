#include "TopicLinks.h"

#include <QTest>

namespace {

// Compact form of a decision's actions: "frag:gruz1.frag", "frag:" (empty strip),
// "pic:NAME", "open:price.rtf", "clear", "hide".
QStringList describe(const QList<LinkAction>& actions) {
    QStringList out;
    for (const LinkAction& a : actions) {
        switch (a.kind) {
        case LinkAction::Kind::ShowFragment:
            out << QStringLiteral("frag:") + a.text;
            break;
        case LinkAction::Kind::SelectPicture:
            out << QStringLiteral("pic:") + a.text;
            break;
        case LinkAction::Kind::OpenDocument:
            out << QStringLiteral("open:") + a.text;
            break;
        case LinkAction::Kind::ClearPreview:
            out << QStringLiteral("clear");
            break;
        case LinkAction::Kind::HideAnimationPanel:
            out << QStringLiteral("hide");
            break;
        }
    }
    return out;
}

const QString kTopicPage = QStringLiteral("frag:|clear|hide");

} // namespace

class TestTopicLinks : public QObject {
    Q_OBJECT
private slots:
    void decision_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("actions"); // joined with '|'
        QTest::addColumn<bool>("cancel");

        const QString h = QStringLiteral("file:///opt/tm/source/html/");
        auto row = [&](const char* name, const QString& link, const QString& actions, bool cancel) {
            QTest::newRow(name) << link << actions << cancel;
        };

        // Each fixed row on its own.
        row("stars selects the rest", h + "***ris5.jpg", "pic:ris5.jpg", true);
        row("stars take everything after the first", h + "a***b***c", "pic:b***c", true);
        row("stars win over any later pattern", h + "gruz1.htm***x_naz.htm", "pic:x_naz.htm", true);
        row("stars at the end select an empty name", h + "x***", "pic:", true);
        row("gifavi", h + "gifavi.htm", "frag:gifavi.frag", true);
        row("gruz1", h + "gruz1.htm", "frag:gruz1.frag", true);
        row("gruz2", h + "gruz2.htm", "frag:gruz2.frag", true);
        row("gruz3", h + "gruz3.htm", "frag:gruz3.frag", true);
        row("gsm", h + "gsm.htm", "frag:gsm.frag", true);
        row("Per swallowed", h + "Perekrestok.htm", "", true);
        row("per lower case is no match", h + "perekrestok.htm", "", false);
        row("avi2", h + "avi2.htm", "frag:avi2.frag", true);
        row("bezop.htm", h + "bezop.htm", "frag:bezop.frag", true);
        row("bezop4.htm", h + "bezop4.htm", "frag:bezop4.frag", true);
        row("bezop2 is not bezop.htm", h + "bezop2.htm", "", false);
        row("ustr1", h + "ustr1.htm", "frag:ustr1.frag", true);
        row("mot1", h + "mot1.htm", "frag:mot1.frag", true);
        row("mot2", h + "mot2.htm", "frag:mot2.frag", true);
        row("vaz1", h + "vaz1.htm", "frag:vaz1.frag", true);
        row("vaz2", h + "vaz2.htm", "frag:vaz2.frag", true);
        row("vaz3", h + "vaz3.htm", "frag:vaz3.frag", true);
        row("avtob1", h + "avtob1.htm", "frag:avtob1.frag", true);
        row("pravo1 opens and proceeds", h + "pravo1.htm", "frag:pravo1.frag", false);
        row("Poloj swallowed", h + "Poloj.htm", "", true);
        row("Razm swallowed", h + "Razmetka.htm", "", true);
        row("Tema_1_2 opens bezop2 and proceeds", h + "Tema_1_2.htm", "frag:bezop2.frag", false);
        row("Tema_1_3 opens bezop3 and proceeds", h + "Tema_1_3.htm", "frag:bezop3.frag", false);
        row("def1 proceeds", h + "def1.htm", "frag:def1.frag", false);
        row("def2.htm proceeds", h + "def2.htm", "frag:def2.frag", false);
        row("def2 without .htm is no match", h + "def2_a.htm", "", false);
        row("def3 proceeds", h + "def3.htm", "frag:def3.frag", false);
        row("production opens the price list", "http://production.example/", "open:price.rtf",
            true);

        // Numbered stems: first number in ascending order, substring semantics.
        row("Pr_1 opens 1fin and proceeds", h + "Pr_1.htm", "frag:1fin.frag", false);
        row("Pr_2 opens 2fin and proceeds", h + "Pr_2.htm", "frag:2fin.frag", false);
        row("Pr_3 opens 3fin and proceeds", h + "Pr_3.htm", "frag:3fin.frag", false);
        row("Pr_4 swallowed", h + "Pr_4.htm", "", true);
        row("Pr_12 is not Pr_1", h + "Pr_12.htm", "", true);
        row("Pr_24 swallowed", h + "Pr_24.htm", "", true);
        row("Pr_25 matches nothing", h + "Pr_25.htm", "", false);
        row("Pr_0 matches nothing", h + "Pr_0.htm", "", false);
        row("Pr_2.html still holds Pr_2.htm", h + "Pr_2.html", "frag:2fin.frag", false);
        row("Pr_ go-on then a later stop keeps the cancel", h + "Pr_2.htm#pravo1",
            "frag:2fin.frag|frag:pravo1.frag", true);
        row("znaki0 swallowed", h + "znaki0.htm", "", true);
        row("znaki1 opens and proceeds", h + "znaki1.htm", "frag:znaki1.frag", false);
        row("znaki2 swallowed", h + "znaki2.htm", "", true);
        row("znaki10 opens znaki1 then is cancelled", h + "znaki10.htm", "frag:znaki1.frag", true);
        row("znaki11 opens znaki1 then is cancelled", h + "znaki11.htm", "frag:znaki1.frag", true);
        row("znaki12 opens znaki1 and proceeds", h + "znaki12.htm", "frag:znaki1.frag", false);
        row("znaki0 is tried before znaki1", h + "znaki0_znaki1.htm", "", true);
        row("Med_3 swallowed", h + "Med_3.htm", "", true);
        row("Med_10 swallowed", h + "Med_10.htm", "", true);
        row("Med_6 navigates", h + "Med_6.htm", "", false);
        row("Med_9 navigates", h + "Med_9.htm", "", false);
        row("Med_1 navigates", h + "Med_1.htm", "", false);

        // Topic pages.
        row("start page empties the strip and proceeds", h + "main_naz.htm", kTopicPage, false);
        row("topic page after a go-on row", h + "znaki1_naz.htm", "frag:znaki1.frag|" + kTopicPage,
            false);
        row("topic page cannot undo a stop", h + "gruz1_naz.htm", "frag:gruz1.frag", true);

        // Table order decides between patterns.
        row("gruz1 before gsm", h + "gruz1gsm.htm", "frag:gruz1.frag", true);
        row("earliest row wins over earliest position", h + "def1_gsm.htm", "frag:gsm.frag", true);
        row("plain page navigates", h + "other.htm", "", false);
        row("empty link navigates", "", "", false);

        // The whole text is searched: a folder that holds a pattern captures every link.
        row("folder with a pattern captures the link", "file:///home/Perov/source/html/pravo1.htm",
            "", true);
        row("folder with a stop-proceed pattern", "file:///srv/def1/source/html/other.htm",
            "frag:def1.frag", false);
    }

    void decision() {
        QFETCH(QString, link);
        QFETCH(QString, actions);
        QFETCH(bool, cancel);
        const LinkDecision d = decideLink(link);
        QCOMPARE(describe(d.actions).join(QLatin1Char('|')), actions);
        QCOMPARE(d.cancel, cancel);
    }

    void linkText_data() {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("text");

        QTest::newRow("inside the content folder")
            << QUrl::fromLocalFile("/home/Perov/tm/source/html/gruz1.htm")
            << "/home/Perov/tm/source/"
            << "html/gruz1.htm";
        QTest::newRow("folder given without its slash")
            << QUrl::fromLocalFile("/opt/production/source/html/main_naz.htm")
            << "/opt/production/source"
            << "html/main_naz.htm";
        QTest::newRow("fragment part kept")
            << QUrl("file:///opt/tm/source/html/page.htm#***ris1.jpg") << "/opt/tm/source/"
            << "html/page.htm#***ris1.jpg";
        QTest::newRow("percent-encoded Cyrillic decoded")
            << QUrl("file:///opt/tm/source/html/***%D0%97%D0%BD%D0%B0%D0%BA.jpg")
            << "/opt/tm/source/" << QStringLiteral("html/***Знак.jpg");
        QTest::newRow("Cyrillic folder removed")
            << QUrl::fromLocalFile(QStringLiteral("/home/Пётр/source/html/a b.htm"))
            << QStringLiteral("/home/Пётр/source/") << "html/a b.htm";
        QTest::newRow("local file elsewhere kept whole")
            << QUrl::fromLocalFile("/tmp/Per/page.htm") << "/opt/tm/source/"
            << "file:///tmp/Per/page.htm";
        QTest::newRow("similar folder name is not the content folder")
            << QUrl::fromLocalFile("/opt/tm/source2/gruz1.htm") << "/opt/tm/source/"
            << "file:///opt/tm/source2/gruz1.htm";
        QTest::newRow("web link kept whole")
            << QUrl("http://example.org/production") << "/opt/tm/source/"
            << "http://example.org/production";
    }

    void linkText() {
        QFETCH(QUrl, url);
        QFETCH(QString, folder);
        QFETCH(QString, text);
        QCOMPARE(linkTextForDecision(url, folder), text);
    }

    // An installation folder named like a pattern no longer captures the start page or
    // the topic links.
    void installFolderDoesNotDecide() {
        const QString folder = QStringLiteral("/home/Perov/production/source/");
        const auto decide = [&](const char* page) {
            return decideLink(
                linkTextForDecision(QUrl::fromLocalFile(folder + "html/" + page), folder));
        };
        QVERIFY(!decide("main_naz.htm").cancel);
        QCOMPARE(describe(decide("main_naz.htm").actions).join('|'), kTopicPage);
        QCOMPARE(describe(decide("gruz2.htm").actions), QStringList{"frag:gruz2.frag"});
    }
};

QTEST_GUILESS_MAIN(TestTopicLinks)
#include "test_topic_links.moc"
