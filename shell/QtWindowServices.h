#pragma once

#include "WindowServices.h"

#include <QString>
#include <QUrl>

#include <functional>

class QCoreApplication;

// The window services on Qt Widgets: message boxes and file dialogs owned by the active
// window, the desktop's "open" for documents of the content folder, and the help pages.
// Installs itself as the program's services on construction and uninstalls on destruction.
class QtWindowServices final : public WindowServices {
public:
    // Hands a URL to the desktop; returns whether it was accepted.
    using Opener = std::function<bool(const QUrl&)>;

    QtWindowServices();
    ~QtWindowServices() override;
    QtWindowServices(const QtWindowServices&) = delete;
    QtWindowServices& operator=(const QtWindowServices&) = delete;

    // Folder whose documents shellOpen may open; default: the executable's folder + "source".
    void setContentRoot(const QString& folder);
    QString contentRoot() const { return m_contentRoot; }
    // Folder the help file must lie in; default: the executable's folder.
    void setHelpRoot(const QString& folder);
    QString helpRoot() const { return m_helpRoot; }
    // Replaces QDesktopServices::openUrl (tests record instead of launching programs).
    void setOpener(Opener opener);
    // Shows a checked help page in a window of the program; without one the page goes to the
    // desktop's opener like any document.
    using HelpViewer = std::function<bool(const QString& page)>;
    void setHelpViewer(HelpViewer viewer);

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                         MsgIcon icon) override;
    FileDialogResult fileDialog(const FileDialogRequest& request) override;
    // Refused or missing files are reported in a message box; returns whether the file was
    // handed to the desktop.
    bool shellOpen(const QString& path) override;
    bool showHelp(const QString& helpFile) override;

private:
    bool openChecked(const QString& root, const QString& path, const QString& missingText,
                     const HelpViewer& viewer = {});

    QString m_contentRoot;
    QString m_helpRoot;
    Opener m_opener;
    HelpViewer m_helpViewer;
};

// Loads Qt's own Russian translation (qtbase_ru.qm from Qt's translations folder), so that
// standard buttons read "Да", "Нет", "Отмена". Returns whether it was found and installed.
bool installRussianTranslation(QCoreApplication& app);
