#pragma once

// What a media window asks of the preview it floats over (the preview implements it).
class MediaHost {
public:
    virtual ~MediaHost() = default;
    // The pointer moved over the media window: x < half the media window's width → backwards.
    // The preview sets "<<<<" / ">>>>" and its direction and redraws its hint. A video window
    // reports it only while the host plays (its play bar is used outside playback too).
    virtual void pointerAt(bool backwardsHalf) = 0;
    virtual void stepPicture() = 0;     // a left click on the media window (rules of each kind)
    virtual bool isPlaying() const = 0; // a sequence is set and full-screen mode is on
};
