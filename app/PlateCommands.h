#pragma once

// The frame's commands on the plate strip. Until one is set the frame disables them.
class PlateCommands {
public:
    virtual ~PlateCommands() = default;

    virtual void addAllToLesson() = 0;
};
