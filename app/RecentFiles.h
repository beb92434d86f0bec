#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The recent-file list of the program's profile: at most four paths, newest first, kept in
// the group "Recent File List" as File1 … File4.
class RecentFiles {
public:
    static constexpr int kCapacity = 4;

    void load(QSettings& settings);
    void save(QSettings& settings) const;

    // Moves an already listed path to the front, or puts a new one there and drops the oldest.
    void add(const QString& path);

    const QStringList& files() const { return m_files; }

private:
    QStringList m_files;
};
