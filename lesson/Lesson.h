#pragma once

#include "Scene.h"

#include <memory>

class BmpRect;
class LessonDisplay;

// The lesson: its scene (pictures in lesson order, file path, selection, edit history) and
// its modified flag, with every file command and question. Headless: questions and messages
// go through WindowServices; the main window's text through the registered frame.
class Lesson {
public:
    explicit Lesson(LessonDisplay& display);
    Scene& scene() { return m_scene; }
    const Scene& scene() const { return m_scene; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    void addPicture(std::unique_ptr<BmpRect> picture); // duplicate question, placement rule
    void addPictureFromFile();                         // "Укажите файл рисунка"
    void appendAllPictures(Scene& source);             // no question, modified unchanged
    void resetLesson();                                // "Без Имени.les"
    void newLesson();
    void openLesson();
    void chooseAndLoadLesson(); // "Укажите файл урока"
    void loadLessonFile(const QString& path);
    void saveLessonFile(); // "Урок пуст", "Сохранение файла урока"
    bool mayCloseLesson(); // true: the window may close

    // Row edits with the modified flag: delete and move set it (when they change the row),
    // undo does not.
    bool deleteSelected();
    void moveSelected();
    void undoLessonEdit();

private:
    LessonDisplay& m_display;
    Scene m_scene;
    bool m_modified = false;
};
