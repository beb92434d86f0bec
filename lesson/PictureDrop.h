#pragma once

#include "FailureSummary.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class Lesson;
class LoadDlg;
class QWidget;

// Picture files dropped on the lesson row, added to the lesson in steps from the event loop
// (a few dozen files or a few dozen milliseconds a step), so that a drop of a hundred
// thousand files neither freezes the window nor keeps the user from stopping it.
//
// A drop that outlasts its first step shows the loading window with its progress; the
// window is modal to the program (nothing else may change the lesson meanwhile) and its
// "Отмена" ends the drop, the pictures added so far kept, nothing more told. Files that give
// no picture are told once at the end: a single one by its own message, more in one message
// that counts them (FailureSummary).
class PictureDrop : public QObject {
    Q_OBJECT
public:
    static constexpr int kFilesPerStep = 50;
    static constexpr int kStepMs = 30;

    // windowOwner: the loading window stays above its top-level window.
    PictureDrop(Lesson& lesson, QStringList paths, QWidget* windowOwner, QObject* parent = nullptr);
    ~PictureDrop() override;

    // Runs the first step here and now; the rest follows from the event loop.
    void start();
    // The pictures added so far stay; no message follows.
    void cancel();

    bool isRunning() const { return m_state == State::Running; }
    int filesTried() const { return m_next; }
    int fileCount() const { return int(m_paths.size()); }
    // While the drop shows it.
    LoadDlg* loadingWindow() const { return m_window.get(); }

signals:
    // Once, when the last file was tried or the drop was cancelled (after its message).
    void finished();

private:
    enum class State { Idle, Running, Ended };
    void step();
    void postStep();
    void showWindow();
    // Ends the drop; its failures are told unless it was cancelled.
    void end(bool tell);

    Lesson& m_lesson;
    QStringList m_paths;
    QPointer<QWidget> m_windowOwner;
    qsizetype m_next = 0;
    State m_state = State::Idle;
    bool m_inStep = false;
    bool m_cancelled = false;
    FailureSummary m_failures;
    std::unique_ptr<LoadDlg> m_window;
    std::shared_ptr<bool> m_alive;
};
