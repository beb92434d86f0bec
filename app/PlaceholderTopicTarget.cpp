#include "PlaceholderTopicTarget.h"

#include "Cp1251.h"
#include "PlaceholderPane.h"

#include <QFileInfo>

PlaceholderTopicTarget::PlaceholderTopicTarget(PlaceholderPane* plate, PlaceholderPane* preview)
    : m_plate(plate), m_preview(preview) {}

void PlaceholderTopicTarget::showFragment(const QString& path) {
    if (m_plate)
        m_plate->setNote(path.isEmpty() ? QString() : QFileInfo(path).fileName());
}

void PlaceholderTopicTarget::selectPicture(const QByteArray& name) {
    if (m_preview)
        m_preview->setNote(cp1251::toUnicode(name));
}

void PlaceholderTopicTarget::clearPreview() {
    if (m_preview)
        m_preview->setNote(QString());
}
