#pragma once

#include "MediaHost.h"

// A preview stand-in for the media windows: records what they ask of it.
struct StandInHost : MediaHost {
    int steps = 0;
    int pointerReports = 0;
    bool lastBackwards = false;
    bool playing = false;

    void pointerAt(bool backwardsHalf) override {
        ++pointerReports;
        lastBackwards = backwardsHalf;
    }
    void stepPicture() override { ++steps; }
    bool isPlaying() const override { return playing; }
};
