#pragma once

#include "HandoutJob.h"

#include <QObject>
#include <QPointer>

class Lesson;
class QWidget;

// "Урок → Печать…" (the system's print dialog, the pictures-per-page choice in its options)
// and "Урок → Сохранить как PDF…" (that choice, then the save dialog); both run as a
// HandoutJob over the main window.
class HandoutCommands : public QObject {
    Q_OBJECT
public:
    explicit HandoutCommands(QWidget* window, QObject* parent = nullptr);

    void printLesson(const Lesson& lesson);
    void saveLessonPdf(const Lesson& lesson);
    HandoutJob& job() { return m_job; }

private:
    QPointer<QWidget> m_window;
    HandoutJob m_job;
};
