#include "ScriptedWindowServices.h"

#include <QFileInfo>

ScriptedWindowServices::ScriptedWindowServices() {
    WindowServices::install(this);
}

ScriptedWindowServices::~ScriptedWindowServices() {
    WindowServices::install(nullptr);
}

QStringList ScriptedWindowServices::messageTexts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

MsgAnswer ScriptedWindowServices::messageBox(const QString& text, const QString& title,
                                             MsgButtons buttons, MsgIcon icon) {
    messages.append({text, title, buttons, icon});
    if (!answers.isEmpty())
        return answers.dequeue();
    return safestAnswer(buttons);
}

FileDialogResult ScriptedWindowServices::fileDialog(const FileDialogRequest& request) {
    fileDialogs.append(request);
    FileDialogResult r;
    if (chosenFiles.isEmpty())
        return r;
    const QString path = chosenFiles.dequeue();
    if (path.isEmpty())
        return r;
    r.accepted = true;
    r.path = path;
    r.fileTitle = QFileInfo(path).fileName();
    return r;
}

bool ScriptedWindowServices::shellOpen(const QString& path) {
    shellOpened << path;
    return true;
}

bool ScriptedWindowServices::showHelp(const QString& helpFile) {
    helpShown << helpFile;
    return true;
}
