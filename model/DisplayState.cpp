#include "DisplayState.h"

DisplayState& DisplayState::current() {
    static DisplayState state;
    return state;
}
