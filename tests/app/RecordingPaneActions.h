#pragma once

#include "Cp1251.h"
#include "FrameCommands.h"
#include "TopicTarget.h"

#include <QStringList>
#include <QWidget>

// Records every operation the frame routes to the views, as "name" or "name:argument".
class RecordingPaneActions : public LessonCommands,
                             public ShowCommands,
                             public PanelCommands,
                             public PlateCommands {
public:
    QStringList calls;
    bool allowClose = true;

    void addAllToLesson() override { calls << "addAllToLesson"; }
    void startTopicShow() override { calls << "startTopicShow"; }
    void startLesson() override { calls << "startLesson"; }
    void continueLesson() override { calls << "continueLesson"; }
    void newLesson() override { calls << "newLesson"; }
    void openLesson() override { calls << "openLesson"; }
    void relayoutLesson() override { calls << "relayoutLesson"; }
    void saveLessonFile() override { calls << "saveLessonFile"; }
    void loadLessonFile(const QString& path) override { calls << "loadLessonFile:" + path; }
    bool mayCloseLesson() override {
        calls << "mayCloseLesson";
        return allowClose;
    }
    void printLesson() override { calls << "printLesson"; }
    void saveLessonPdf() override { calls << "saveLessonPdf"; }
    void endDrags() override { calls << "endDrags"; }
    void createPanels() override { calls << "createPanels"; }
    void placePanels() override { calls << "placePanels"; }
    FrameCommands all() { return {this, this, this, this}; }
    QWidget* createLessonPalette() override {
        calls << "createLessonPalette";
        auto* palette = new QWidget(nullptr, Qt::Tool);
        palette->resize(160, 94);
        return palette;
    }
};

// Records the topic pane's requests in the same form.
class RecordingTopicTarget : public TopicTarget {
public:
    QStringList calls;

    void showFragment(const QString& path) override { calls << "showFragment:" + path; }
    void selectPicture(const QByteArray& name) override {
        calls << "selectPicture:" + cp1251::toUnicode(name);
        rawNames << name;
    }
    void clearPreview() override { calls << "clearPreview"; }
    void hideAnimationPanel() override { calls << "hideAnimationPanel"; }

    QList<QByteArray> rawNames;
};
