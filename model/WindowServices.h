#pragma once

#include <QString>
#include <QStringList>

// The one road by which the program asks the user something or tells them something.
// The application installs the Qt implementation; tests install a scripted one that
// records every message and answers from a queue, so every dialog runs headless.
//
// Lives in the lowest layer that asks the user anything (picture files are chosen
// from the model), so that every layer above can reach it.

// Titles of message boxes: the framework's application name, and the views' own title.
inline const QString kAppName = QStringLiteral("TrevalonMedia");
inline const QString kViewTitle = QStringLiteral("Тревалон-Медиа");

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Exclamation, Information };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct FileDialogRequest {
    bool save = false;
    QString title;
    // Qt filter form: "Урок (*.les);;Все файлы (*.*)".
    QString filter;
    QString defaultSuffix;       // without the dot
    QString directory;           // starting folder; empty for the dialog's own choice
    QString fileName;            // proposed name
    bool mustExist = true;       // open dialogs
    bool overwritePrompt = true; // save dialogs
};

struct FileDialogResult {
    bool accepted = false;
    QString path;      // full path
    QString fileTitle; // name with extension
};

class WindowServices {
public:
    virtual ~WindowServices() = default;

    virtual MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                                 MsgIcon icon) = 0;
    virtual FileDialogResult fileDialog(const FileDialogRequest& request) = 0;
    // Opens a document with the desktop's associated program. Only paths inside the content
    // folder that are not programs or scripts are passed on; returns whether it was passed on.
    virtual bool shellOpen(const QString& path) = 0;
    virtual bool showHelp(const QString& helpFile) = 0;

    // The installed services; a silent fallback (answers OK/Cancel) when none is installed.
    static WindowServices& instance();
    // Installs services (not owned); nullptr restores the fallback.
    static void install(WindowServices* services);
};

// The safest answer the buttons offer (OK, No, Cancel): what a question gets when nobody
// answers it (no window, a closed box, a tool without a user).
MsgAnswer safestAnswer(MsgButtons buttons);

// Short forms for the common calls.
MsgAnswer messageBox(const QString& text, const QString& title = kAppName,
                     MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);
