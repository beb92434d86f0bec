#include "HandoutCommands.h"

#include "HandoutOptions.h"
#include "Lesson.h"

#include <QPrintDialog>
#include <QPrinter>

#include <memory>

HandoutCommands::HandoutCommands(QWidget* window, QObject* parent)
    : QObject(parent), m_window(window), m_job(window) {}

void HandoutCommands::printLesson(const Lesson& lesson) {
    if (m_job.isRunning() || HandoutJob::refuseEmpty(lesson))
        return;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter); // as the PDF
    printer->setDocName(HandoutJob::lessonName(lesson));
    QPrintDialog dialog(printer.get(), m_window);
    // Every picture goes out: a page range would cut the handout's numbering.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    auto* options = new HandoutOptions;
    dialog.setOptionTabs({options});
    if (dialog.exec() != QDialog::Accepted)
        return;
    options->remember();
    m_job.start(
        HandoutJob::forLesson(lesson, options->perPage()),
        [printer](HandoutRenderer& r, const std::function<bool(int)>& goOn) {
            return r.render(*printer, goOn, [printer] { printer->abort(); });
        },
        QStringLiteral("Печать..."), QStringLiteral("Не удалось напечатать урок."));
}

void HandoutCommands::saveLessonPdf(const Lesson& lesson) {
    if (m_job.isRunning() || HandoutJob::refuseEmpty(lesson))
        return;
    const int perPage = askHandoutPerPage(m_window);
    if (perPage > 0)
        m_job.savePdf(lesson, perPage);
}
