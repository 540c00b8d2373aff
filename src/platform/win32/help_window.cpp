// The help window: the form `Help` over the widgets of its layout. Modeless, with no owner, so
// it outlives the dialog that opened it.
#include <memory>

#include "config/help.h"
#include "platform/win32/app.h"
#include "platform/win32/dialog_window.h"

namespace hg {

namespace {

class HelpWindow : public DialogWindow {
  public:
    explicit HelpWindow(App& app) : DialogWindow(app, HelpLayout()) {}

    bool Open() {
        if (!Create(L"HearthglowHelp")) return false;
        help_ = std::make_unique<Help>(*this, *this);
        Attach(help_.get());
        help_->Load();
        Show();
        return true;
    }

  private:
    void OnDestroy() override { Attach(nullptr); }

    std::unique_ptr<Help> help_;
};

}  // namespace

HWND CreateHelpWindow(App& app) {
    auto* window = new HelpWindow(app);
    HWND handle = nullptr;
    if (window->Open()) handle = window->Handle();
    if (!window->Handle()) delete window;
    return handle;
}

}  // namespace hg
