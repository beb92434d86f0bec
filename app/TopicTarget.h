#pragma once

#include <QByteArray>
#include <QString>

// What a topic link may ask of the plate strip, the preview and the animation panel. The
// main frame wires it to whatever views fill its panes; the topic pane only decides.
class TopicTarget {
public:
    virtual ~TopicTarget() = default;

    // A full fragment file path: discard the strip and load that file. Empty: empty the strip.
    virtual void showFragment(const QString& path) = 0;
    // A picture name (code page 1251, as stored in fragments) of the fragment already shown.
    virtual void selectPicture(const QByteArray& name) = 0;
    // The preview stops its media and shows no picture.
    virtual void clearPreview() = 0;
    // The floating "Анимация" panel, if it exists, is hidden.
    virtual void hideAnimationPanel() = 0;
};
