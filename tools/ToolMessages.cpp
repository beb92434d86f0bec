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
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::YesNoCancel:
        break;
    }
    return MsgAnswer::Cancel;
}
