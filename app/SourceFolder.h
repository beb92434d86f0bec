#pragma once

#include <QString>

// The content folder: the executable's own folder followed by "source/", with the trailing
// slash. Fragment files, the HTML pages (under "html/"), media files and "price.rtf" are found
// relative to it.
QString sourceFolder();

// The same rule for a given executable path (absolute, '/'-separated).
QString contentFolderFor(const QString& executablePath);

// The help start page beside the executable: the content folder's parent + "help/index.html".
QString helpFileFor(const QString& contentFolder);
