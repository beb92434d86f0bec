#include "WindowServices.h"

namespace {

// Used before the application installs its services (command-line tools, benchmarks):
// questions get their safest answer and nothing is shown.
class SilentServices final : public WindowServices {
public:
    MsgAnswer messageBox(const QString&, const QString&, MsgButtons buttons, MsgIcon) override {
        return safestAnswer(buttons);
    }
    FileDialogResult fileDialog(const FileDialogRequest&) override { return {}; }
    bool shellOpen(const QString&) override { return false; }
    bool showHelp(const QString&) override { return false; }
};

SilentServices g_silent;
WindowServices* g_installed = nullptr;

} // namespace

MsgAnswer safestAnswer(MsgButtons buttons) {
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

WindowServices& WindowServices::instance() {
    return g_installed ? *g_installed : g_silent;
}

void WindowServices::install(WindowServices* services) {
    g_installed = services;
}

MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon) {
    return WindowServices::instance().messageBox(text, title, buttons, icon);
}
