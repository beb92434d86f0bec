#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

// Whether a link of the help leads to a page inside its folder (the only ones it follows).
bool isHelpLink(const QString& helpFolder, const QUrl& url);

// The program's help: its HTML pages in a window of its own, with back, forward and the
// contents page. Links stay inside the help folder.
//
// The pages are plain HTML: a text browser shows them at once and needs no GL surface (the
// browser engine's surface in a top-level window of its own stayed black under some window
// managers).
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& helpFolder, QWidget* parent = nullptr);

    void open(const QString& page);
    QTextBrowser* view() const { return m_view; }
    QString helpFolder() const { return m_folder; }

    // Shows the page in the one help window (made on first use, raised later); this is the
    // help viewer the window services hand checked pages to.
    static bool showPage(const QString& page);
    static HelpWindow* current();

private:
    void showTitle();

    QString m_folder;
    QTextBrowser* m_view = nullptr;
};
