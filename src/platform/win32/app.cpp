#include "platform/win32/app.h"

#include "platform/win32/dialog_window.h"
#include "platform/win32/scene_window.h"

namespace hg {

App::App(HINSTANCE instance) : instance_(instance), previewPicture_(instance) {}

App::~App() {
    if (sceneMutex_) CloseHandle(sceneMutex_);
    if (instanceMutex_) CloseHandle(instanceMutex_);
}

int App::Run() {
    Module1 module1(*this, module_);
    try {
        module1.Main();
    } catch (...) {
        // A start-up that could not finish ends the way the scene ends, cursor and all.
        try {
            CloseDownScene();
        } catch (...) {
        }
        return 0;
    }
    if (openWindows_ == 0) return 0;
    // Wide, so that what is typed in the dialog keeps every letter of any language.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == previewWatch_) {
            WatchPreviewHost();
            continue;
        }
        if (TranslateDialogKeyboard(setup_, msg) || TranslateDialogKeyboard(help_, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// A host whose process is killed may go without destroying its windows, ours included, and
// then no message ever tells us: the preview looks for its host once a second instead.
void App::WatchPreviewHost() {
    if (::IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(module_.PreviewParent)))) return;
    KillTimer(nullptr, previewWatch_);
    previewWatch_ = 0;
    if (!preview_) return;
    if (::IsWindow(preview_)) {
        DestroyWindow(preview_);  // its WM_DESTROY does the bookkeeping
    } else {
        WindowClosed(preview_);  // already gone with its host, unannounced
    }
}

void App::WindowClosed(HWND window) {
    if (window == preview_) preview_ = nullptr;
    if (window == setup_) setup_ = nullptr;
    if (window == help_) help_ = nullptr;
    if (--openWindows_ <= 0) PostQuitMessage(0);
}

void App::CloseOtherForms() {
    for (HWND* w : {&help_, &setup_, &preview_}) {
        if (*w) DestroyWindow(*w);
    }
}

std::string App::CommandLineArguments() {
    // Everything after the program path, which may be quoted and may contain blanks.
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    return p;
}

bool App::PreviousInstance() {
    // The mutex lives as long as this process, so a later instance sees it until we end.
    if (!instanceMutex_) {
        instanceMutex_ = CreateMutexA(nullptr, FALSE, "Tallowmere.Hearthglow.Instance");
        previousInstance_ = instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return previousInstance_;
}

bool App::ClaimScene() {
    if (sceneMutex_) return true;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Tallowmere.Hearthglow.Scene");
    if (!mutex) return true;  // nothing to go by: as if we were alone
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    sceneMutex_ = mutex;
    return true;
}

namespace {

bool HasClass(HWND window, const wchar_t* name) {
    wchar_t found[64] = {};
    return GetClassNameW(window, found, 64) > 0 && lstrcmpW(found, name) == 0;
}

bool HasClass(HWND window, const char* name) {
    char found[64] = {};
    return GetClassNameA(window, found, 64) > 0 && lstrcmpA(found, name) == 0;
}

// Our preview is a child of some window of the settings window, however deep: its host pane.
BOOL CALLBACK FindOurPreview(HWND window, LPARAM found) {
    if (!HasClass(window, kPreviewClass)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

BOOL CALLBACK FindShownOurs(HWND window, LPARAM found) {
    if (HasClass(window, kSetupClass) && GetWindow(window, GW_OWNER)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    EnumChildWindows(window, FindOurPreview, found);
    return *reinterpret_cast<bool*>(found) ? FALSE : TRUE;
}

}  // namespace

bool App::SettingsWindowShowsUs() {
    bool found = false;
    EnumWindows(FindShownOurs, reinterpret_cast<LPARAM>(&found));
    return found;
}

Rect App::DesktopWindowRect() {
    RECT r = {};
    GetWindowRect(GetDesktopWindow(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

bool App::IsWindow(int32_t handle) {
    return ::IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(handle))) != FALSE;
}

bool App::GetClientRect(int32_t handle, Rect& rect) {
    RECT r;
    if (!::GetClientRect(reinterpret_cast<HWND>(static_cast<intptr_t>(handle)), &r)) return false;
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

void App::LoadSceneWindow() {
    if (scene_) return;
    scene_ = std::make_unique<SceneWindow>(*this);
    scene_->Form().Load();
    if (!scene_->Form().Closed()) scene_->WatchDisplayPower();
}

uintptr_t App::SceneWindowHandle() {
    LoadSceneWindow();
    return reinterpret_cast<uintptr_t>(scene_->Handle());
}

void App::ShowSceneWindowTopmost(int32_t width, int32_t height) {
    if (!scene_ || !scene_->Handle()) return;
    SetWindowPos(scene_->Handle(), HWND_TOPMOST, 0, 0, width, height, SWP_SHOWWINDOW);
    SetForegroundWindow(scene_->Handle());
    SetFocus(scene_->Handle());
}

void App::SetScreenSaverRunning(bool running) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? static_cast<UINT>(-1) : 0, &previous,
                          0);
}

void App::ShowPreview(int32_t parent, int32_t width, int32_t height) {
    HWND parentWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(parent));
    preview_ = CreatePreviewWindow(*this);
    if (!preview_) return;
    SetWindowTextA(preview_, "Preview");
    LONG style = GetWindowLongA(preview_, GWL_STYLE);
    // A child cannot also be a pop-up: the pop-up bit goes as the child bit comes.
    style = (style & ~static_cast<LONG>(WS_POPUP)) | WS_CHILD;
    SetWindowLongA(preview_, GWL_STYLE, style);
    SetParent(preview_, parentWindow);
    SetWindowLongPtrA(preview_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(parentWindow));
    SetWindowPos(preview_, HWND_TOP, 0, 0, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    previewWatch_ = SetTimer(nullptr, 0, kPreviewWatchMs, nullptr);
}

void App::ShowSetup(int32_t owner) {
    setup_ = CreateSetupWindow(*this, reinterpret_cast<HWND>(static_cast<intptr_t>(owner)));
}

void App::ShowHelp() {
    if (help_) {
        ShowWindow(help_, SW_SHOWNORMAL);
        SetForegroundWindow(help_);
        return;
    }
    help_ = CreateHelpWindow(*this);
}

void App::RequestPasswordChange(uintptr_t owner) {
    using PwdChangePasswordA = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    HMODULE mpr = LoadLibraryA("mpr.dll");
    if (!mpr) return;
    auto change = reinterpret_cast<PwdChangePasswordA>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change) change("SCRSAVE", reinterpret_cast<HWND>(owner), 0, 0);
    FreeLibrary(mpr);
}

void App::CloseDownScene() {
    if (scene_) scene_->Form().CloseDown();
}

}  // namespace hg
