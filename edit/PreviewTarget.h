#pragma once

#include <memory>

class BmpRect;

// How the plate view and the lesson row hand a picture to the preview. The preview
// implements it and registers itself in Instances.
class PreviewTarget {
public:
    virtual ~PreviewTarget() = default;

    // Takes ownership of a stand-alone copy and shows it, with its animation; null shows
    // nothing.
    virtual void showPicture(std::unique_ptr<BmpRect> picture) = 0;
};
