#pragma once

#include <QString>
#include <QWidget>

// Stands in a pane of the main frame until the pane's own view takes its place: the views'
// background colour, the pane's title in the views' caption style and one line of note
// (for the plate strip: the fragment that a topic link asked for).
class PlaceholderPane : public QWidget {
    Q_OBJECT
public:
    // objectName names the view this pane stands for ("KovrelView", "PreView", "LessView").
    PlaceholderPane(const QString& objectName, const QString& title, QWidget* parent = nullptr);

    QString title() const { return m_title; }
    QString note() const { return m_note; }
    void setNote(const QString& note);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QString m_note;
};
