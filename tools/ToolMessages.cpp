#include "ToolMessages.h"

ToolMessages::ToolMessages() {
    WindowServices::install(this);
}

ToolMessages::~ToolMessages() {
    WindowServices::install(nullptr);
}

MsgAnswer ToolMessages::messageBox(const QString& text, const QString&, MsgButtons buttons,
                                   MsgIcon) {
    texts << text;
    return safestAnswer(buttons);
}
