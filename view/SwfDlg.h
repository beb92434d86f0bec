#pragma once

#include <QString>
#include <QWidget>

class MediaHost;

// A child widget of the preview that plays a Flash movie (Ruffle in a web view).
class SwfDlg : public QWidget {
    Q_OBJECT
public:
    SwfDlg(QWidget* preview, MediaHost& host, const QString& contentFolder);
    void play(const QString& name); // relative to the content folder

private:
    MediaHost& m_host;
    QString m_contentFolder;
};
