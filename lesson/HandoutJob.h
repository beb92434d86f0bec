#pragma once

#include "HandoutRenderer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class Lesson;
class LoadDlg;
class QThread;
class QWidget;

// A handout of the lesson (PDF or printer) made on a thread of its own, so that the window
// never freezes however many pictures there are. A run that outlasts a short moment shows the
// loading window with its progress, modal to the program; its "Отмена" ends the run, and a
// cancelled PDF leaves what the file held before. At the end: a message when the device
// failed, and one naming the pictures that could not be read (their cells carry only their
// captions). One run at a time.
class HandoutJob : public QObject {
    Q_OBJECT
public:
    using Result = HandoutRenderer::Result;
    // Paints the renderer onto its device; the function runs on the job's thread.
    using Work = std::function<Result(HandoutRenderer&, const std::function<bool(int)>& goOn)>;

    static constexpr int kWindowAfterMs = 150;
    static constexpr int kProgressMs = 50;

    // owner: the window the progress window stays above (may be null).
    explicit HandoutJob(QWidget* owner, QObject* parent = nullptr);
    // Cancels a run and waits for its thread.
    ~HandoutJob() override;

    // The lesson's pictures and name as a handout.
    static std::unique_ptr<HandoutRenderer> forLesson(const Lesson& lesson, int perPage);
    // The lesson file's name without its extension, else "Без Имени".
    static QString lessonName(const Lesson& lesson);
    // "Урок пуст" for a lesson without pictures (true); false otherwise. A lesson still being
    // read counts as refused without a word: its loading window is up.
    static bool refuseEmpty(const Lesson& lesson);

    // The PDF command: the save dialog (through WindowServices), then the run. Returns
    // whether a run started.
    bool savePdf(const Lesson& lesson, int perPage);

    // Starts work on renderer; false while another run goes. windowTitle names the progress
    // window, failedText is told when the device fails.
    bool start(std::unique_ptr<HandoutRenderer> renderer, Work work, const QString& windowTitle,
               const QString& failedText);
    bool isRunning() const { return m_thread != nullptr; }
    // Asks the run to stop; it ends at its next picture (finished follows).
    void cancel() { m_cancel = true; }
    // Blocks until the run has ended and its end was handled (tools, tests).
    void wait();
    LoadDlg* progressWindow() const { return m_window.get(); }
    // The last run's renderer (its undecodable pictures), until the next run starts.
    const HandoutRenderer* renderer() const { return m_renderer.get(); }

signals:
    void finished(HandoutRenderer::Result result);

private:
    void showProgress();
    void onThreadDone();

    QPointer<QWidget> m_owner;
    std::unique_ptr<HandoutRenderer> m_renderer;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_done{0};
    Result m_result = Result::Done;
    QString m_windowTitle;
    QString m_failedText;
    QTimer m_progress;
    QElapsedTimer m_started;
    std::unique_ptr<LoadDlg> m_window;
};
