#pragma once

#include "FloatingPanel.h"

class QPushButton;

// The teacher's buttons beside the preview: hide or show the topic text, full screen, add
// the previewed picture to the lesson.
class ButtDlg : public FloatingPanel {
    Q_OBJECT
public:
    static const QString kHideText; // "Скрыть\nтекст"
    static const QString kShowText; // "Показ.\nтекст"

    explicit ButtDlg(QWidget* parent);

    // The text button's label for the text pane's state.
    void setTextHidden(bool hidden);
    QPushButton* textButton() const { return m_text; }
    QPushButton* fullScreenButton() const { return m_full; }
    QPushButton* addButton() const { return m_add; }

signals:
    void textToggleClicked();
    void fullScreenClicked();
    void addToLessonClicked();

private:
    QPushButton* m_text;
    QPushButton* m_full;
    QPushButton* m_add;
};
