#pragma once

#include <memory>

class BmpRect;
class Scene;

// How the plate view and the preview put pictures into the lesson. The lesson row implements
// it and registers itself in Instances.
class LessonTarget {
public:
    virtual ~LessonTarget() = default;

    // Takes ownership of a stand-alone copy; asks before adding a picture the lesson already
    // holds, places it after the last picture, re-fits and repaints the row.
    virtual void addPicture(std::unique_ptr<BmpRect> picture) = 0;
    // Appends a copy of every stored picture of source, without questions, then re-fits and
    // repaints the row.
    virtual void appendAllPictures(Scene& source) = 0;
    // The lesson's pictures in lesson order, for playback (read at every step, so edits
    // made meanwhile are seen).
    virtual Scene& lessonScene() = 0;
};
