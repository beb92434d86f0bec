#include "AviDlg.h"

#include "MediaHost.h"

AviDlg::AviDlg(QWidget* preview, MediaHost& host, const QString& contentFolder)
    : QWidget(preview), m_host(host), m_contentFolder(contentFolder) {}

void AviDlg::open(const QString& name) {
    Q_UNUSED(name);
}

void AviDlg::stop() {}
