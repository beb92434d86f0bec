#include "SourceFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
const QString kContentSubfolder = QStringLiteral("source/");
}

QString contentFolderFor(const QString& executablePath) {
    // The executable's name is dropped as a whole file name, never searched for inside the
    // path, so a folder that happens to contain the program's name is left intact.
    QString folder = QFileInfo(executablePath).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + kContentSubfolder;
}

QString sourceFolder() {
    return contentFolderFor(QCoreApplication::applicationFilePath());
}

QString helpFileFor(const QString& contentFolder) {
    // Only the trailing "source/" goes: an earlier "source/" in the installation path stays.
    QString folder = contentFolder;
    if (folder.endsWith(kContentSubfolder))
        folder.chop(kContentSubfolder.size());
    // The help is a folder of HTML pages shipped beside the program; a compiled Windows help
    // file would need a viewer Debian does not have.
    return folder + QStringLiteral("help/index.html");
}
