#include "SwfDlg.h"

#include "MediaHost.h"

SwfDlg::SwfDlg(QWidget* preview, MediaHost& host, const QString& contentFolder)
    : QWidget(preview), m_host(host), m_contentFolder(contentFolder) {}

void SwfDlg::play(const QString& name) {
    Q_UNUSED(name);
}
