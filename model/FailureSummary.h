#pragma once

#include <QString>
#include <QStringList>

// The pictures of one load or one drop that could not be read, told to the user once at the
// end instead of one message box each (a lesson of thousands of broken records, or a folder
// of thousands of non-pictures, would otherwise hold the user behind as many boxes).
//
// A single failure keeps its own message ("Failed to load picture." and the like); from the
// second on, one message counts them against the pictures tried and names the first few.
class FailureSummary {
public:
    static constexpr int kNamesShown = 5;

    // A picture that was read: it counts towards the pictures tried.
    void addRead() { ++m_tried; }
    // A picture that was not: message is what would be shown for it alone, name the stream's
    // or the file's name (may be empty).
    void addFailure(const QString& message, const QString& name);

    int failures() const { return m_failures; }
    int tried() const { return m_tried; }

    // Empty without failures.
    QString text() const;
    // Shows text() (OK, the application's title) when there was a failure, then starts over.
    void show();
    void clear() { *this = FailureSummary(); }

private:
    int m_tried = 0;
    int m_failures = 0;
    QString m_firstMessage;
    QStringList m_names; // the first few distinct names
    bool m_moreNames = false;
};
