#pragma once

#include "LessonCommands.h"
#include "PanelCommands.h"
#include "PlateCommands.h"
#include "ShowCommands.h"

// The collaborators the main frame routes its commands to, one per group; null where the
// group's views do not exist (their menu items are then disabled). None is owned.
struct FrameCommands {
    LessonCommands* lesson = nullptr;
    ShowCommands* show = nullptr;
    PanelCommands* panels = nullptr;
    PlateCommands* plate = nullptr;
};
