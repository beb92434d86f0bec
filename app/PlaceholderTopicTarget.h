#pragma once

#include "TopicTarget.h"

#include <QPointer>

class PlaceholderPane;

// Shows in the placeholder panes what a topic link asked for, until the plate view and the
// preview take their places.
class PlaceholderTopicTarget : public TopicTarget {
public:
    PlaceholderTopicTarget(PlaceholderPane* plate, PlaceholderPane* preview);

    void showFragment(const QString& path) override;
    void selectPicture(const QByteArray& name) override;
    void clearPreview() override;
    void hideAnimationPanel() override {}

private:
    QPointer<PlaceholderPane> m_plate;
    QPointer<PlaceholderPane> m_preview;
};
