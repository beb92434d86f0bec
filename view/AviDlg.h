#pragma once

#include <QString>
#include <QWidget>

class MediaHost;

// A child widget of the preview that holds a video clip with its own play bar.
class AviDlg : public QWidget {
    Q_OBJECT
public:
    AviDlg(QWidget* preview, MediaHost& host, const QString& contentFolder);
    void open(const QString& name); // not started until its play button is pressed
    void stop();

private:
    MediaHost& m_host;
    QString m_contentFolder;
};
