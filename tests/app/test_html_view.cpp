#include "Cp1251.h"
#include "HtmlView.h"
#include "RecordingPaneActions.h"
#include "ScriptedWindowServices.h"
#include "WebEngineTestMain.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineSettings>

#include <functional>

namespace {

// The start page as the content ships it: code page 1251, links by file name.
const char* const kStartPage = "<html><head><meta charset=\"windows-1251\"></head><body>"
                               "<a id=\"gruz\" href=\"gruz1.htm\">gruz</a> "
                               "<a id=\"pravo\" href=\"pravo1.htm\">pravo</a> "
                               "<a id=\"pic\" href=\"***%1.jpg\">pic</a> "
                               "<a id=\"price\" href=\"production.htm\">price</a> "
                               "<a id=\"other\" href=\"other.htm\">other</a> "
                               "<a id=\"blank\" href=\"gruz2.htm\" target=\"_blank\">new</a>"
                               "</body></html>";

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestHtmlView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_content;

    void click(HtmlView& view, const char* id) {
        view.page()->runJavaScript(
            QStringLiteral("document.getElementById('%1').click()").arg(QLatin1String(id)));
    }

private slots:
    void initTestCase() {
        // A folder whose name holds link patterns ("Per", "production") must not matter.
        m_content = m_dir.path() + "/Perm production/source/";
        QVERIFY(QDir().mkpath(m_content + "html"));
        const QByteArray page =
            QString::fromLatin1(kStartPage).arg(QStringLiteral("Знак")).toUtf8();
        QVERIFY(writeFile(m_content + "html/main_naz.htm",
                          *cp1251::fromUnicode(QString::fromUtf8(page))));
        for (const char* name : {"pravo1.htm", "gruz1.htm", "other.htm", "Tema_1_2.htm"})
            QVERIFY(writeFile(m_content + "html/" + name, "<html><body>page</body></html>"));
    }

    void linksFollowTheDecision() {
        ScriptedWindowServices services;
        RecordingTopicTarget target;
        HtmlView view(m_content);
        view.setTopicTarget(&target);
        view.resize(400, 300);
        view.show();
        QSignalSpy loaded(&view, &HtmlView::loadFinished);
        view.initialUpdate();
        if (!loaded.wait(30000))
            QSKIP("The browser engine cannot load pages in this environment (offscreen).");
        // A load that ends cancelled is the fault this test is for (a decision cancelling
        // the start page), not the environment's.
        QVERIFY2(loaded.first().value(0).toBool(), "the start page's load did not succeed");
        QCOMPARE(view.url(), view.startPageUrl());

        // The start page is a topic page: strip emptied, no preview, animation panel hidden.
        QTRY_COMPARE(target.calls,
                     (QStringList{"showFragment:", "clearPreview", "hideAnimationPanel"}));
        target.calls.clear();

        // A stopping row opens its fragment and the browser stays.
        QSignalSpy decided(&view, &HtmlView::linkDecided);
        click(view, "gruz");
        QTRY_COMPARE(target.calls, QStringList{"showFragment:" + m_content + "gruz1.frag"});
        QCOMPARE(decided.count(), 1);
        QCOMPARE(decided.first().value(0).toString(), QString("html/gruz1.htm"));
        QCOMPARE(decided.first().value(1).toBool(), true);
        QTest::qWait(200);
        QCOMPARE(view.url(), view.startPageUrl());
        target.calls.clear();

        // A picture link selects by its code page 1251 name.
        click(view, "pic");
        QTRY_COMPARE(target.calls, QStringList{"selectPicture:Знак.jpg"});
        QCOMPARE(target.rawNames.value(0), *cp1251::fromUnicode(QStringLiteral("Знак.jpg")));
        target.calls.clear();

        // The price list goes to the shell, from the content folder.
        click(view, "price");
        QTRY_COMPARE(services.shellOpened, QStringList{m_content + "price.rtf"});
        QVERIFY(target.calls.isEmpty());

        // Links that ask for a new window are decided like any other, and nothing opens a
        // window: a stopping one stays on the page, a proceeding one is shown in the pane.
        // (The engine lets a script open windows only with this; a person's click needs none.)
        view.settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        decided.clear();
        click(view, "blank");
        QTRY_COMPARE(target.calls, QStringList{"showFragment:" + m_content + "gruz2.frag"});
        QCOMPARE(decided.last().value(0).toString(), QString("html/gruz2.htm"));
        QTest::qWait(200);
        QCOMPARE(view.url(), view.startPageUrl());
        QCOMPARE(decided.count(), 1); // decided once
        target.calls.clear();

        // A proceeding row opens its fragment and the browser shows the page as well.
        click(view, "pravo");
        QTRY_COMPARE(target.calls, QStringList{"showFragment:" + m_content + "pravo1.frag"});
        QTRY_COMPARE(view.url(), QUrl::fromLocalFile(m_content + "html/pravo1.htm"));
        target.calls.clear();

        decided.clear();
        view.page()->runJavaScript(QStringLiteral("window.open('Tema_1_2.htm')"));
        QTRY_COMPARE(target.calls, QStringList{"showFragment:" + m_content + "bezop2.frag"});
        QTRY_COMPARE(view.url(), QUrl::fromLocalFile(m_content + "html/Tema_1_2.htm"));
        QCOMPARE(decided.count(), 1);
    }

    // A link's actions may let events run (a message box); a newer link performed meanwhile
    // keeps what it showed: the rest of the older link (here a topic page's emptied strip,
    // cleared preview and hidden panel) is dropped.
    void olderLinkLeftoversAreDropped() {
        class NestingTarget : public RecordingTopicTarget {
        public:
            std::function<void()> onFirstShow;
            void showFragment(const QString& path) override {
                RecordingTopicTarget::showFragment(path);
                if (onFirstShow)
                    std::exchange(onFirstShow, nullptr)();
            }
        } target;
        HtmlView view(m_content);
        view.setTopicTarget(&target);
        const QUrl page = QUrl::fromLocalFile(m_content + "html/znaki1_naz.htm");
        const QUrl newer = QUrl::fromLocalFile(m_content + "html/gruz1.htm");
        target.onFirstShow = [&] {
            QVERIFY(view.decideNavigation(newer));
            QTest::qWait(50); // as a message box's own loop would
        };
        QVERIFY(!view.decideNavigation(page));
        const QStringList expected{"showFragment:" + m_content + "znaki1.frag",
                                   "showFragment:" + m_content + "gruz1.frag"};
        QTRY_COMPARE(target.calls, expected);
        QTest::qWait(100);
        QCOMPARE(target.calls, expected);

        // Decisions performed one after the other all run, in order.
        target.calls.clear();
        QVERIFY(view.decideNavigation(newer));
        QVERIFY(!view.decideNavigation(page));
        QTRY_COMPARE(target.calls.size(), 5);
        QCOMPARE(target.calls.mid(0, 3),
                 (QStringList{"showFragment:" + m_content + "gruz1.frag",
                              "showFragment:" + m_content + "znaki1.frag", "showFragment:"}));
    }

    void missingStartPageSaysSo() {
        QTemporaryDir empty;
        RecordingTopicTarget target;
        HtmlView view(empty.path() + "/source/");
        view.setTopicTarget(&target);
        QSignalSpy loaded(&view, &HtmlView::loadFinished);
        view.initialUpdate();
        if (!loaded.wait(30000))
            QSKIP("The browser engine cannot load pages in this environment (offscreen).");
        QString text;
        view.page()->toPlainText([&](const QString& t) { text = t; });
        QTRY_VERIFY(!text.isEmpty());
        QVERIFY(text.contains("Начальная страница не найдена"));
        QVERIFY(target.calls.isEmpty());
    }
};

TM_WEBENGINE_TEST_MAIN(TestHtmlView)
#include "test_html_view.moc"
