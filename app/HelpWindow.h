#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QWebEngineView;

// Whether a link of the help leads to a page inside its folder (the only ones it follows).
bool isHelpLink(const QString& helpFolder, const QUrl& url);

// The program's help: its HTML pages in a window of its own, with back, forward and the
// contents page. Links stay inside the help folder.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& helpFolder, QWidget* parent = nullptr);

    void open(const QString& page);
    QWebEngineView* view() const { return m_view; }
    QString helpFolder() const { return m_folder; }

    // Shows the page in the one help window (made on first use, raised later); this is the
    // help viewer the window services hand checked pages to.
    static bool showPage(const QString& page);
    static HelpWindow* current();

private:
    QString m_folder;
    QWebEngineView* m_view = nullptr;
};
