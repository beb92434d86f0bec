#include "Lesson.h"

#include "BmpRect.h"
#include "LessonDisplay.h"

Lesson::Lesson(LessonDisplay& display) : m_display(display) {}

void Lesson::addPicture(std::unique_ptr<BmpRect> /*picture*/) {}
void Lesson::addPictureFromFile() {}
void Lesson::appendAllPictures(Scene& /*source*/) {}
void Lesson::resetLesson() {}
void Lesson::newLesson() {}
void Lesson::openLesson() {}
void Lesson::chooseAndLoadLesson() {}
void Lesson::loadLessonFile(const QString& /*path*/) {}
void Lesson::saveLessonFile() {}
bool Lesson::mayCloseLesson() {
    return true;
}
bool Lesson::deleteSelected() {
    return false;
}
void Lesson::moveSelected() {}
void Lesson::undoLessonEdit() {}
