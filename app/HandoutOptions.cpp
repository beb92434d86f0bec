#include "HandoutOptions.h"

#include "HandoutLayout.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QString kPerPageKey = QStringLiteral("Handouts/PicturesPerPage");

QSettings profile() {
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                     QStringLiteral("TrevalonMedia"));
}

} // namespace

HandoutOptions::HandoutOptions(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Раздаточный материал"));
    m_perPage = new QComboBox(this);
    m_perPage->setObjectName(QStringLiteral("perPage"));
    for (int choice : {1, 2, 4, 6})
        m_perPage->addItem(QString::number(choice), choice);
    m_perPage->setCurrentIndex(m_perPage->findData(rememberedPerPage()));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Рисунков на странице:"), m_perPage);
}

int HandoutOptions::perPage() const {
    return m_perPage->currentData().toInt();
}

void HandoutOptions::remember() const {
    QSettings settings = profile();
    settings.setValue(kPerPageKey, perPage());
}

int HandoutOptions::rememberedPerPage() {
    // A hand-edited profile may hold anything; the nearest allowed choice stands in.
    return HandoutLayout::allowedPerPage(
        profile().value(kPerPageKey, HandoutLayout::kDefaultPerPage).toInt());
}

int askHandoutPerPage(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Сохранить урок как PDF"));
    dialog.setMinimumWidth(360); // the title whole
    auto* options = new HandoutOptions(&dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(options);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    options->remember();
    return options->perPage();
}
