#pragma once

#include "WindowServices.h"

#include <QStringList>

// Window services of trevalon-frag: every message the program would have shown is kept
// (questions get their safest answer). Installed while alive.
class ToolMessages final : public WindowServices {
public:
    ToolMessages();
    ToolMessages(const ToolMessages&) = delete;
    ToolMessages& operator=(const ToolMessages&) = delete;
    ~ToolMessages() override;

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                         MsgIcon icon) override;
    FileDialogResult fileDialog(const FileDialogRequest&) override { return {}; }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }

    QStringList texts;
};
