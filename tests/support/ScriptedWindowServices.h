#pragma once

#include "WindowServices.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Window services for tests: records every message and dialog, answers from queues.
// Installs itself on construction and restores the fallback on destruction.
class ScriptedWindowServices final : public WindowServices {
public:
    struct Message {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
    };

    ScriptedWindowServices();
    ~ScriptedWindowServices() override;

    // Answers given to the next questions in order; when empty, Ok/No/Cancel as the
    // buttons allow (the safest answer).
    QQueue<MsgAnswer> answers;
    // Paths chosen in the next file dialogs; an empty string cancels the dialog.
    QQueue<QString> chosenFiles;

    QList<Message> messages;
    QList<FileDialogRequest> fileDialogs;
    QStringList shellOpened;
    QStringList helpShown;

    QStringList messageTexts() const;

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                         MsgIcon icon) override;
    FileDialogResult fileDialog(const FileDialogRequest& request) override;
    bool shellOpen(const QString& path) override;
    bool showHelp(const QString& helpFile) override;
};
