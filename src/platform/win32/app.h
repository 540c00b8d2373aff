#pragma once
// The process: its module state, its settings store and the windows it has open.
#include <windows.h>

#include <memory>

#include "platform/win32/preview_picture.h"
#include "platform/win32/registry_store.h"
#include "startup/module1.h"
#include "startup/module1_state.h"

namespace hg {

class SceneWindow;

// Our window classes, as another instance of ours looks for them.
constexpr const char* kPreviewClass = "HearthglowPreview";
constexpr const wchar_t* kSetupClass = L"HearthglowSetup";

class App : public StartupHost {
  public:
    explicit App(HINSTANCE instance);
    ~App() override;

    // Runs the start-up routine, then the message loop while a window of ours is open.
    int Run();

    HINSTANCE Instance() const { return instance_; }
    Module1State& Module() { return module_; }
    SettingsStore& Store() { return store_; }
    PreviewPicture& PreviewPainter() { return previewPicture_; }

    // Bookkeeping of our top-level windows: the process ends when the last one closes.
    void WindowOpened() { ++openWindows_; }
    void WindowClosed(HWND window);
    void CloseOtherForms();
    // Shows the help window, or brings it forward when it is already open.
    void ShowHelp();

    // StartupHost
    std::string CommandLineArguments() override;
    bool PreviousInstance() override;
    bool ClaimScene() override;
    bool SettingsWindowShowsUs() override;
    Rect DesktopWindowRect() override;
    bool IsWindow(int32_t handle) override;
    bool GetClientRect(int32_t handle, Rect& rect) override;
    void LoadSceneWindow() override;
    uintptr_t SceneWindowHandle() override;
    void ShowSceneWindowTopmost(int32_t width, int32_t height) override;
    void SetScreenSaverRunning(bool running) override;
    void ShowPreview(int32_t parent, int32_t width, int32_t height) override;
    void ShowSetup(int32_t owner) override;
    void RequestPasswordChange(uintptr_t owner) override;
    void CloseDownScene() override;

  private:
    static constexpr UINT kPreviewWatchMs = 1000;
    void WatchPreviewHost();

    HINSTANCE instance_;
    Module1State module_;
    RegistryStore store_;
    HANDLE instanceMutex_ = nullptr;
    HANDLE sceneMutex_ = nullptr;
    bool previousInstance_ = false;
    int openWindows_ = 0;
    std::unique_ptr<SceneWindow> scene_;
    HWND preview_ = nullptr;
    PreviewPicture previewPicture_;
    UINT_PTR previewWatch_ = 0;  // a thread timer: it outlives a preview window destroyed unseen
    HWND setup_ = nullptr;
    HWND help_ = nullptr;
};

HWND CreatePreviewWindow(App& app);
HWND CreateSetupWindow(App& app, HWND owner);
HWND CreateHelpWindow(App& app);

}  // namespace hg
