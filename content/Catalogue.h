#pragma once

#include <QByteArray>
#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// What the demo content holds: topics, their plates and the media files beside them.
// Pure description; ContentBuilder renders, encodes and writes it.

// Logical drawing area of a plate: always 600 units high, as wide as the aspect demands.
struct Canvas {
    double width = 800;
    double height = 600;
};

enum class ImageKind { Jpeg, Png, Bmp, Gif };

struct PlateDesign {
    QByteArray stream; // picture stream and record "name": ASCII, at most 31 characters
    QString title;     // drawn on the plate
    QString picName;   // record "picName" (also the program's caption); empty: the title
    QSize pixels{800, 600};
    ImageKind kind = ImageKind::Jpeg;
    int quality = 88; // JPEG only
    double scale = 1.0;
    double turnDegrees = 0; // counter-clockwise turn of the placed plate
    bool frame = true;
    bool legacyRecord = false; // written as an old "BmpRect" record (points inside "PointD")
    bool aviFlag = false;
    QByteArray srcName, swfNameMy, aviName;
    QColor theme{40, 90, 170};
    bool banner = true;

    // A still plate draws once; an animated GIF plate draws `frames` frames.
    std::function<void(QPainter&, const Canvas&)> draw;
    std::function<void(QPainter&, const Canvas&, int frame)> animate;
    int frames = 0;
    int delayCs = 10;

    QString caption() const { return picName.isEmpty() ? title : picName; }
};

struct Topic {
    QString fragment;       // file name in the content folder, e.g. "znaki1.frag"
    QString link;           // page name the start page links to; it opens the fragment
    bool pageShown = false; // the browser also shows `link` (otherwise it stays put)
    QString title;
    QString summary;
    QStringList paragraphs; // page text
    QColor theme;
    std::vector<PlateDesign> plates;
};

// A file of moving content placed beside the fragments.
struct MediaFile {
    QString fileName;
    QString description;
    // Bytes of the file; the AVI clip is made differently (see AviClip).
    std::function<QByteArray()> build;
};

std::vector<Topic> buildCatalogue();
std::vector<MediaFile> buildMediaFiles();

// Frames of the video clip (drawn here, muxed by GStreamer).
void drawClipFrame(QPainter& p, const Canvas& c, int frame, int frames);
constexpr int kClipFrames = 40;
constexpr int kClipFps = 10;
inline const QString kClipFileName = QStringLiteral("perekrestok.avi");

// Topic groups, one file each.
Topic signsTopic();
Topic pedestrianTopic();
Topic lightsTopic();
Topic crossroadsTopic();
Topic truckTopic();
Topic busTopic();
Topic motorcycleTopic();
Topic carTopic();
Topic cyclistTopic();
Topic mediaTopic();
Topic postersTopic();
