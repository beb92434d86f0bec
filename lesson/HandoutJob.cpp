#include "HandoutJob.h"

#include "BmpRect.h"
#include "FailureSummary.h"
#include "Lesson.h"
#include "LoadDlg.h"
#include "WindowServices.h"

#include <QApplication>
#include <QFileInfo>
#include <QThread>

namespace {

QString undecodableText(const HandoutRenderer& renderer) {
    QStringList names = renderer.undecodableNames();
    const qsizetype more = names.size() - FailureSummary::kNamesShown;
    if (more > 0) {
        names = names.mid(0, FailureSummary::kNamesShown);
        names << QStringLiteral("и ещё %1").arg(more);
    }
    return QStringLiteral("Не удалось прочитать рисунки (%1 из %2); вместо них в раздаточном "
                          "материале только подписи: %3")
        .arg(renderer.undecodable().size())
        .arg(renderer.pictureCount())
        .arg(names.join(QStringLiteral(", ")));
}

} // namespace

HandoutJob::HandoutJob(QWidget* owner, QObject* parent) : QObject(parent), m_owner(owner) {
    m_progress.setInterval(kProgressMs);
    connect(&m_progress, &QTimer::timeout, this, &HandoutJob::showProgress);
}

HandoutJob::~HandoutJob() {
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

QString HandoutJob::lessonName(const Lesson& lesson) {
    const QString path = lesson.scene().filePath();
    return path.isEmpty() ? QStringLiteral("Без Имени") : QFileInfo(path).completeBaseName();
}

std::unique_ptr<HandoutRenderer> HandoutJob::forLesson(const Lesson& lesson, int perPage) {
    std::vector<HandoutPicture> pictures;
    for (const Shape* shape : lesson.scene().shapes())
        if (const auto* picture = dynamic_cast<const BmpRect*>(shape))
            pictures.push_back(HandoutPicture::of(*picture));
    return std::make_unique<HandoutRenderer>(lessonName(lesson), std::move(pictures), perPage);
}

bool HandoutJob::refuseEmpty(const Lesson& lesson) {
    if (lesson.isLoading())
        return true;
    for (const Shape* shape : lesson.scene().shapes())
        if (dynamic_cast<const BmpRect*>(shape))
            return false;
    messageBox(QStringLiteral("Урок пуст"));
    return true;
}

bool HandoutJob::savePdf(const Lesson& lesson, int perPage) {
    if (isRunning() || refuseEmpty(lesson))
        return false;
    const QString path = lesson.scene().filePath();
    FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("Сохранить урок как PDF");
    request.filter = QStringLiteral("Документ PDF (*.pdf)");
    request.defaultSuffix = QStringLiteral("pdf");
    request.directory = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
    request.fileName = lessonName(lesson) + QStringLiteral(".pdf");
    request.mustExist = false;
    const FileDialogResult chosen = WindowServices::instance().fileDialog(request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return false;
    return start(
        forLesson(lesson, perPage),
        [target = chosen.path](HandoutRenderer& renderer, const std::function<bool(int)>& goOn) {
            return renderer.writePdf(target, goOn);
        },
        QStringLiteral("Сохранение PDF..."), QStringLiteral("Не удалось записать файл PDF."));
}

bool HandoutJob::start(std::unique_ptr<HandoutRenderer> renderer, Work work,
                       const QString& windowTitle, const QString& failedText) {
    if (isRunning() || !renderer)
        return false;
    m_renderer = std::move(renderer);
    m_cancel = false;
    m_done = 0;
    m_started.start();
    m_windowTitle = windowTitle;
    m_failedText = failedText;
    HandoutRenderer* target = m_renderer.get();
    m_thread = QThread::create([this, target, work = std::move(work)] {
        m_result = work(*target, [this](int done) {
            m_done = done;
            return !m_cancel.load();
        });
    });
    connect(m_thread, &QThread::finished, this, &HandoutJob::onThreadDone, Qt::QueuedConnection);
    m_thread->start();
    m_progress.start();
    return true;
}

void HandoutJob::showProgress() {
    if (!m_window && m_started.elapsed() >= kWindowAfterMs && !QApplication::activeModalWidget()) {
        m_window = std::make_unique<LoadDlg>(m_owner);
        m_window->setWindowTitle(m_windowTitle);
        m_window->setRange(m_renderer->pictureCount());
        // Nothing else may start meanwhile; no nested event loop.
        m_window->setWindowModality(Qt::ApplicationModal);
        connect(m_window.get(), &LoadDlg::cancelRequested, this, &HandoutJob::cancel);
        if (QWidget* top = m_owner ? m_owner->window() : nullptr)
            m_window->move(top->frameGeometry().center() -
                           QPoint(m_window->width() / 2, m_window->height() / 2));
        m_window->show();
    }
    if (m_window)
        m_window->setPosition(m_done.load());
}

void HandoutJob::onThreadDone() {
    if (!m_thread || !m_thread->isFinished())
        return;
    delete m_thread;
    m_thread = nullptr;
    m_progress.stop();
    m_window.reset();
    if (m_result == Result::Failed)
        messageBox(m_failedText, kAppName, MsgButtons::Ok, MsgIcon::Exclamation);
    else if (m_result == Result::Done && !m_renderer->undecodable().isEmpty())
        messageBox(undecodableText(*m_renderer), kAppName, MsgButtons::Ok, MsgIcon::Exclamation);
    emit finished(m_result);
}

void HandoutJob::wait() {
    if (!m_thread)
        return;
    m_thread->wait();
    onThreadDone();
}
