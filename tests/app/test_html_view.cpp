#include "Cp1251.h"
#include "HtmlView.h"
#include "RecordingPaneActions.h"
#include "ScriptedWindowServices.h"
#include "WebEngineTestMain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
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

    // A topic page's script tries to read a file outside the content folder and to reach a
    // server on this machine, by XMLHttpRequest, fetch, an image and window.open (which the
    // pane catches and loads itself): nothing is read, no connection is made, the pane stays.
    void pagesReachNothingOutsideTheContent() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                ++connections;
                s->write("HTTP/1.0 200 OK\r\nAccess-Control-Allow-Origin: *\r\n"
                         "Content-Length: 2\r\n\r\nok");
                s->disconnectFromHost();
            }
        });
        const QString secret = m_dir.filePath("secret.txt");
        QVERIFY(writeFile(secret, "TOPSECRET"));
        const QString outsidePng = m_dir.filePath("outside.png");
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(outsidePng));
        const QString probe =
            QStringLiteral(R"(<html><head><title>probe</title></head><body><script>
var secret = '%1', local = 'http://127.0.0.1:%2/';
function late(p) {
  return Promise.race([p, new Promise(function (d) { setTimeout(function () { d('late'); }, 3000); })]);
}
function viaXhr(url) { return late(new Promise(function (done) {
  try { var x = new XMLHttpRequest(); x.open('GET', url);
    x.onload = function () { done('read:' + x.responseText); };
    x.onerror = function () { done('refused'); }; x.send(); } catch (e) { done('refused'); } })); }
function viaFetch(url) { return late(fetch(url).then(function (r) { return r.text(); })
  .then(function (t) { return 'read:' + t; }, function () { return 'refused'; })); }
function viaImg(url) { return late(new Promise(function (done) { var i = new Image();
  i.onload = function () { done('read'); }; i.onerror = function () { done('refused'); };
  i.src = url; })); }
Promise.all([viaXhr(secret), viaFetch(secret), viaImg('%3'), viaXhr(local + 'x'),
             viaFetch(local + 'f'), viaImg(local + 'i.png')]).then(function (r) {
  document.title = 'done ' + r.join(' ');
  setTimeout(function () { window.open(local + 'w'); window.open(secret); }, 100);
});
</script></body></html>)")
                .arg(QUrl::fromLocalFile(secret).toString())
                .arg(server.serverPort())
                .arg(QUrl::fromLocalFile(outsidePng).toString());
        const QUrl probeUrl = QUrl::fromLocalFile(m_content + "html/probe.htm");
        QVERIFY(writeFile(probeUrl.toLocalFile(), probe.toUtf8()));

        RecordingTopicTarget target;
        HtmlView view(m_content);
        view.setTopicTarget(&target);
        // Pages may open windows (a link's click needs no permission for it anyway).
        view.settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        view.show();
        QSignalSpy loaded(&view, &HtmlView::loadFinished);
        view.load(probeUrl);
        if (!loaded.wait(30000))
            QSKIP("The browser engine cannot load pages in this environment (offscreen).");
        QTRY_VERIFY_WITH_TIMEOUT(view.title().startsWith("done"), 20000);
        QCOMPARE(view.title(), QStringLiteral("done refused refused refused refused refused "
                                              "refused"));
        QTest::qWait(1500); // the windows asked for, caught and refused
        QCOMPARE(connections, 0);
        QCOMPARE(view.url(), probeUrl);
        QVERIFY(!view.title().contains("TOPSECRET"));
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
