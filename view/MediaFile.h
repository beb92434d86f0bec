#pragma once

#include <QString>

// Media names come from the content files, so they are data: a clip or movie is played only
// from a file inside the content folder (no "..", no absolute path outside it, no link out,
// nothing that runs). A name that fails gets a short note for the teacher instead.
enum class MediaKind { Video, Flash };

struct MediaFile {
    QString path; // the file to play (links resolved); empty when refused
    QString note; // why it cannot be played, in Russian; empty when allowed

    bool playable() const { return note.isEmpty(); }
};

// name: relative to contentFolder ("aviName", "swfNameMy"); backslashes count as separators.
MediaFile resolveMediaFile(const QString& contentFolder, const QString& name, MediaKind kind);
