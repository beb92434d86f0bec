#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// Where an end-to-end run keeps its screenshots: TM_E2E_SHOTS, else a new folder in the temp
// folder (kept after the run, so the pictures can be looked at). Ends in '/'; empty when it
// cannot be made.
inline QString e2eShotFolder(std::unique_ptr<QTemporaryDir>& made, const char* prefix) {
    QString shots = qEnvironmentVariable("TM_E2E_SHOTS");
    if (shots.isEmpty()) {
        made = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/" + prefix + "_XXXXXX");
        made->setAutoRemove(false);
        shots = made->path();
    }
    if (!QDir().mkpath(shots))
        return {};
    return QDir(shots).absolutePath() + "/";
}
