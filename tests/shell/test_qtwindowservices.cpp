#include "QtWindowServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgAnswer)

namespace {

// Runs `act` on the modal dialog of type T as soon as it is up (polled from the event loop
// that the dialog's exec() runs); gives up after about thirty seconds (a loaded machine can be slow
// to show a file dialog, and a dialog nobody closes would hang the test).
template <typename T> void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (++*tries > 3000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList buttonTexts;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
    int width = 0;
};

SeenBox seen(QMessageBox* box) {
    SeenBox s;
    s.title = box->windowTitle();
    s.text = box->text();
    s.icon = box->icon();
    s.buttons = box->standardButtons();
    s.format = box->textFormat();
    s.parent = box->parentWidget();
    s.width = box->width();
    for (QAbstractButton* b : box->buttons())
        s.buttonTexts << plain(b->text());
    s.buttonTexts.sort();
    return s;
}

} // namespace

class TestQtWindowServices : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(installRussianTranslation(*QCoreApplication::instance()));
    }

    void messageBox_data() {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<int>("press"); // a QMessageBox::StandardButton; 0 = Esc key
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<QStringList>("buttonTexts");

        const QStringList ok{"OK"}, yesNo{"Да", "Нет"}, yesNoCancel{"Да", "Нет", "Отмена"};
        QTest::newRow("ok with exclamation") << MsgButtons::Ok << MsgIcon::Exclamation
                                             << int(QMessageBox::Ok) << MsgAnswer::Ok << ok;
        QTest::newRow("yes/no answered yes") << MsgButtons::YesNo << MsgIcon::Exclamation
                                             << int(QMessageBox::Yes) << MsgAnswer::Yes << yesNo;
        QTest::newRow("yes/no dismissed with Esc")
            << MsgButtons::YesNo << MsgIcon::None << 0 << MsgAnswer::No << yesNo;
        QTest::newRow("yes/no/cancel answered cancel")
            << MsgButtons::YesNoCancel << MsgIcon::None << int(QMessageBox::Cancel)
            << MsgAnswer::Cancel << yesNoCancel;
        QTest::newRow("yes/no/cancel dismissed with Esc")
            << MsgButtons::YesNoCancel << MsgIcon::None << 0 << MsgAnswer::Cancel << yesNoCancel;
        QTest::newRow("information") << MsgButtons::Ok << MsgIcon::Information
                                     << int(QMessageBox::Ok) << MsgAnswer::Ok << ok;
    }

    void messageBox() {
        QFETCH(MsgButtons, buttons);
        QFETCH(MsgIcon, icon);
        QFETCH(int, press);
        QFETCH(MsgAnswer, answer);
        QFETCH(QStringList, buttonTexts);

        QtWindowServices services;
        QWidget window; // the box belongs to the active window
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        SeenBox box;
        whenModal<QMessageBox>([&](QMessageBox* b) {
            box = seen(b);
            if (press)
                b->button(QMessageBox::StandardButton(press))->click();
            else
                QTest::keyClick(b, Qt::Key_Escape);
        });
        const QString text = QStringLiteral("Сохранить урок <b>1</b>?");
        QCOMPARE(services.messageBox(text, kViewTitle, buttons, icon), answer);

        QCOMPARE(box.parent, &window);
        QCOMPARE(box.title, kViewTitle);
        QCOMPARE(box.text, text);
        QCOMPARE(box.format, Qt::PlainText); // names from files are never markup
        // Wide enough that the window manager need not cut the title.
        QVERIFY2(box.width > QFontMetrics(QApplication::font()).horizontalAdvance(box.title) + 100,
                 qPrintable(QString::number(box.width)));
        const QMessageBox::Icon expectedIcon = icon == MsgIcon::Exclamation ? QMessageBox::Warning
                                               : icon == MsgIcon::Information
                                                   ? QMessageBox::Information
                                                   : QMessageBox::NoIcon;
        QCOMPARE(box.icon, expectedIcon);
        QStringList expectedTexts = buttonTexts;
        expectedTexts.sort();
        QCOMPARE(box.buttonTexts, expectedTexts);
    }

    void fileDialog_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("mustExist");
        QTest::addColumn<QString>("choose"); // file name in the folder; empty = cancel
        QTest::addColumn<QString>("expectedName");

        QTest::newRow("open existing") << false << true << "lesson.les"
                                       << "lesson.les";
        QTest::newRow("open cancelled") << false << true << ""
                                        << "";
        QTest::newRow("save adds the default suffix") << true << false << "new"
                                                      << "new.les";
    }

    void fileDialog() {
        QFETCH(bool, save);
        QFETCH(bool, mustExist);
        QFETCH(QString, choose);
        QFETCH(QString, expectedName);

        QFile existing(m_dir.filePath("lesson.les"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        QtWindowServices services;
        FileDialogRequest request;
        request.save = save;
        request.title = save ? "Сохранить урок" : "Открыть урок";
        request.filter = "Урок (*.les);;Все файлы (*.*)";
        request.defaultSuffix = "les";
        request.directory = m_dir.path();
        request.mustExist = mustExist;
        request.overwritePrompt = false;

        QString title;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QFileDialog::AcceptMode accept = QFileDialog::AcceptOpen;
        bool confirmsOverwrite = true;
        whenModal<QFileDialog>([&](QFileDialog* d) {
            title = d->windowTitle();
            filters = d->nameFilters();
            mode = d->fileMode();
            accept = d->acceptMode();
            confirmsOverwrite = !d->testOption(QFileDialog::DontConfirmOverwrite);
            if (choose.isEmpty()) {
                d->reject();
            } else {
                d->selectFile(m_dir.filePath(choose));
                // Qt's own dialog can drop a selected name that does not exist yet once an
                // earlier dialog has filled its shared file model; type it as a user would.
                if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    edit->setText(choose);
                static_cast<QDialog*>(d)->accept(); // QFileDialog::accept, protected there
            }
        });
        const FileDialogResult result = services.fileDialog(request);

        QCOMPARE(title, request.title);
        // "*.*" means every file, as it did on Windows.
        QCOMPARE(filters, QStringList({"Урок (*.les)", "Все файлы (*)"}));
        QCOMPARE(accept, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (!save)
            QCOMPARE(mode, QFileDialog::ExistingFile);
        else
            QVERIFY(!confirmsOverwrite);
        QCOMPARE(result.accepted, !expectedName.isEmpty());
        if (result.accepted) {
            QCOMPARE(result.path, m_dir.filePath(expectedName));
            QCOMPARE(result.fileTitle, expectedName);
        } else {
            QVERIFY(result.path.isEmpty());
        }
    }

    void shellOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("message"); // start of the message shown; empty = none
        QTest::addColumn<bool>("help");       // showHelp with a help viewer, not shellOpen

        QTest::newRow("document") << "clip.avi" << true << "" << false;
        QTest::newRow("missing document") << "gone.avi" << false << "Файл не найден" << false;
        QTest::newRow("script") << "run.sh" << false << "Файл не открыт" << false;
        QTest::newRow("help page to the help window") << "help/index.html" << true << "" << true;
        QTest::newRow("missing help page")
            << "help/gone.html" << false << "Файл справки не найден" << true;
    }

    void shellOpen() {
        QFETCH(QString, name);
        QFETCH(bool, opened);
        QFETCH(QString, message);
        QFETCH(bool, help);

        QDir(m_dir.path()).mkpath("source/help");
        const QByteArray avi("RIFF\0\0\0\0AVI LIST", 16);
        for (const auto& [file, bytes] : {std::pair{"source/clip.avi", avi},
                                          {"source/run.sh", QByteArray("echo\n")},
                                          {"outside.txt", QByteArray()},
                                          {"source/help/index.html", QByteArray("<html>")}}) {
            QFile f(m_dir.filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QtWindowServices services;
        services.setContentRoot(m_dir.filePath("source"));
        services.setHelpRoot(m_dir.filePath("source"));
        QList<QUrl> urls;
        services.setOpener([&](const QUrl& url) {
            urls << url;
            return true;
        });
        QStringList pages;
        if (help)
            services.setHelpViewer([&](const QString& page) {
                pages << page;
                return true;
            });
        QString shown;
        if (!message.isEmpty())
            whenModal<QMessageBox>([&](QMessageBox* b) {
                shown = b->text();
                b->button(QMessageBox::Ok)->click();
            });

        const QString path = name.isEmpty() ? QString() : m_dir.filePath("source/" + name);
        QCOMPARE(help ? services.showHelp(path) : services.shellOpen(path), opened);
        // A help page goes to the help window only, never to the desktop.
        QCOMPARE(urls, opened && !help ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>{});
        QCOMPARE(pages, opened && help ? QStringList{path} : QStringList{});
        if (!message.isEmpty()) {
            QVERIFY2(shown.startsWith(message), qPrintable(shown));
            QVERIFY(shown.contains(name.section('/', -1)));
        }
    }
};

QTEST_MAIN(TestQtWindowServices)
#include "test_qtwindowservices.moc"
