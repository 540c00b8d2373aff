// The configuration dialog's window: the form `Setup` over the widgets of its layout, with the
// dialog's own music control, which falls silent when the window goes.
#include <memory>

#include "config/setup.h"
#include "platform/win32/app.h"
#include "platform/win32/control_factory.h"
#include "platform/win32/dialog_window.h"

namespace hg {

namespace {

class SetupWindow : public DialogWindow {
  public:
    explicit SetupWindow(App& app) : DialogWindow(app, SetupLayout()) {}

    bool Open(HWND owner) {
        if (!Create(L"HearthglowSetup", owner)) return false;
        music_ = CreateMusicControl(Handle());
        setup_ = std::make_unique<Setup>(SetupParts{app_.Store(), *this, *this, *music_});
        Attach(setup_.get());
        setup_->Load();
        Show();
        return true;
    }

  private:
    void OnDestroy() override {
        Attach(nullptr);
        if (setup_) setup_->Form_Unload();
    }

    std::unique_ptr<TegoSnd> music_;
    std::unique_ptr<Setup> setup_;
};

}  // namespace

HWND CreateSetupWindow(App& app, HWND owner) {
    // The window owns itself from here: it is deleted when it is destroyed.
    auto* window = new SetupWindow(app);
    HWND handle = nullptr;
    if (window->Open(owner)) handle = window->Handle();
    if (!window->Handle()) delete window;
    return handle;
}

}  // namespace hg
