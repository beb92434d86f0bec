#pragma once

#include "Catalogue.h"
#include "SwfWriter.h"

// Moving scenes: frames of the animated GIFs, of the video clip and the Flash movie, with the
// stills that stand for them on the plates.
namespace anim {

// A car stops at the zebra and a mother with her son cross (12 frames).
constexpr int kCrossingFrames = 12;
void crossingFrame(QPainter& p, const Canvas& c, int frame);

// A boy looks left, then right, then crosses (external animation file, 14 frames).
constexpr int kLookFrames = 14;
void lookAndCrossFrame(QPainter& p, const Canvas& c, int frame);

// One full cycle of a traffic light over a crossing (16 frames).
constexpr int kLightsFrames = 16;
void lightsFrame(QPainter& p, const Canvas& c, int frame);

// Crossroads seen from above with the traffic flowing in turns (the video clip).
void clipFrame(QPainter& p, const Canvas& c, int frame, int frames);

// The Flash movie: a motorcyclist and a car pass on a country road; 800 x 600 stage.
QByteArray motorcycleMovie();
// Its first frame painted with the same shapes, for the plate under the movie.
void motorcyclePoster(QPainter& p, const Canvas& c);

} // namespace anim
