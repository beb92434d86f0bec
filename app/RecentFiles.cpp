#include "RecentFiles.h"

#include <QSettings>

namespace {
const QString kGroup = QStringLiteral("Recent File List");
QString keyFor(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}
} // namespace

void RecentFiles::load(QSettings& settings) {
    m_files.clear();
    settings.beginGroup(kGroup);
    for (int i = 0; i < kCapacity; ++i) {
        const QString path = settings.value(keyFor(i)).toString();
        // A hand-edited profile may hold gaps or repeats; neither is worth keeping.
        if (!path.isEmpty() && !m_files.contains(path))
            m_files << path;
    }
    settings.endGroup();
}

void RecentFiles::save(QSettings& settings) const {
    settings.beginGroup(kGroup);
    for (int i = 0; i < kCapacity; ++i) {
        if (i < m_files.size())
            settings.setValue(keyFor(i), m_files[i]);
        else
            settings.remove(keyFor(i));
    }
    settings.endGroup();
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty())
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kCapacity)
        m_files.removeLast();
}
