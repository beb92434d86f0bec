#include "PictureDrop.h"

#include "Lesson.h"
#include "LoadDlg.h"

#include <QElapsedTimer>
#include <QWidget>

PictureDrop::PictureDrop(Lesson& lesson, QStringList paths, QWidget* windowOwner, QObject* parent)
    : QObject(parent), m_lesson(lesson), m_paths(std::move(paths)), m_windowOwner(windowOwner),
      m_alive(std::make_shared<bool>(true)) {}

PictureDrop::~PictureDrop() {
    *m_alive = false;
}

void PictureDrop::start() {
    if (m_state != State::Idle)
        return;
    m_state = State::Running;
    step();
}

void PictureDrop::cancel() {
    if (m_state != State::Running)
        return;
    m_cancelled = true;
    if (!m_inStep)
        end(false); // else the step ends it once the file in hand is done
}

void PictureDrop::postStep() {
    QMetaObject::invokeMethod(this, &PictureDrop::step, Qt::QueuedConnection);
}

void PictureDrop::step() {
    // A question of this drop's own step (the duplicate question) lets the event loop run.
    if (m_state != State::Running || m_inStep)
        return;
    const std::shared_ptr<bool> alive = m_alive;
    m_inStep = true;
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < kFilesPerStep && m_next < m_paths.size() && !m_cancelled; ++n) {
        m_lesson.addPictureFile(m_paths[m_next++], &m_failures);
        if (!*alive)
            return; // the row went while a question was open
        if (clock.elapsed() >= kStepMs)
            break;
    }
    m_inStep = false;
    if (m_cancelled) {
        end(false);
        return;
    }
    if (m_next >= m_paths.size()) {
        end(true);
        return;
    }
    showWindow();
    m_window->setPosition(int(m_next));
    postStep();
}

void PictureDrop::showWindow() {
    if (m_window)
        return;
    m_window = std::make_unique<LoadDlg>(m_windowOwner);
    m_window->setRange(int(m_paths.size()));
    // Nothing else may change the lesson while the drop adds to it; no nested event loop.
    m_window->setWindowModality(Qt::ApplicationModal);
    // Queued: the window must not go while its own button's signal runs.
    connect(m_window.get(), &LoadDlg::cancelRequested, this, &PictureDrop::cancel,
            Qt::QueuedConnection);
    if (QWidget* owner = m_windowOwner ? m_windowOwner->window() : nullptr) {
        const QRect frame = owner->frameGeometry();
        m_window->move(frame.center() - QPoint(m_window->width() / 2, m_window->height() / 2));
    }
    m_window->show();
}

void PictureDrop::end(bool tell) {
    m_state = State::Ended;
    m_window.reset();
    const std::shared_ptr<bool> alive = m_alive;
    if (tell)
        m_failures.show();
    if (*alive)
        emit finished();
}
