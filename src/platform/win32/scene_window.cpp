#include "platform/win32/scene_window.h"

#include <cstring>

#include "platform/win32/app.h"
#include "platform/win32/guarded.h"
#include "platform/win32/wide_text.h"
#include "scene/monitor_power.h"

namespace hg {

namespace {

constexpr const char* kSceneClass = "HearthglowScene";
// How long the end of the run gives the music's device to let go.
constexpr int kMusicSettleMs = 500;

// Wide, so that weekday and month names keep every letter of the user's language.
std::string FormatDate(const wchar_t* picture) {
    wchar_t buf[128] = {};
    if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, nullptr, picture, buf, 128) == 0) return {};
    return Narrow(buf);
}

}  // namespace

SceneWindow::SceneWindow(App& app) : app_(app) {
    WNDCLASSA wc = {};
    // Frames are put on the window through GetDC several times a second. A common DC is reset
    // when it is released (Wine selects its default font again, and looks for X resource
    // files each time); the window's own DC keeps its state.
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = app.Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.hIcon = LoadIconA(app.Instance(), MAKEINTRESOURCEA(1));
    wc.lpszClassName = kSceneClass;
    RegisterClassA(&wc);
    window_ = CreateWindowExA(WS_EX_APPWINDOW, kSceneClass, "Hearthglow", WS_POPUP, 0, 0, 800, 600,
                              nullptr, nullptr, app.Instance(), this);
    app_.WindowOpened();

    ddrw_ = CreateDrawingControl(window_);
    ds_ = CreateWaveControl(window_);
    snd_ = CreateMusicControl(window_);
    form_ = std::make_unique<Form1>(
        Form1Parts{app_.Store(), *this, *this, *this, *ddrw_.control, *ds_, *snd_, app_.Module()});
}

SceneWindow::~SceneWindow() {
    form_.reset();  // its timers unregister themselves from the maps below
    StopWatchingDisplayPower();
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK SceneWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<SceneWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->form_) return DefWindowProcA(window, message, wParam, lParam);
    return Guarded([&] { return self->OnMessage(message, wParam, lParam); });
}

// Replaces the scene window's procedure for its whole life: monitor power-down requests are
// filtered here, everything else goes on to the previous procedure unchanged.
LRESULT CALLBACK SceneWindow::SceneWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<SceneWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    Module1State& module = self->app_.Module();
    UINT passed = message;
    if (self->form_)
        passed = Guarded([&] { return FilterSceneMessage(module, *self->form_, message, wParam); },
                         message);
    return CallWindowProcA(reinterpret_cast<WNDPROC>(module.OldWndProc), window, passed, wParam,
                           lParam);
}

LRESULT SceneWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    Form1& form = *form_;
    if (ddrw_.hook && !form.Closed()) {
        LRESULT result = 0;
        if (ddrw_.hook->OnWindowMessage(window_, message, wParam, lParam, result)) return result;
    }
    switch (message) {
        case WM_TIMER: {
            auto it = timers_.find(wParam);
            if (it != timers_.end() && !form.Closed()) it->second->Tick();
            return 0;
        }
        case WM_LBUTTONUP:
            form.Form_Click();
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            form.Form_KeyUp();
            return 0;
        case WM_KILLFOCUS:
            form.Form_LostFocus();
            return 0;
        case WM_SYSCOMMAND:
            // A screen saver must not start another screen saver over itself.
            if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
            break;
        case WM_POWERBROADCAST:
            if (wParam == PBT_POWERSETTINGCHANGE && lParam)
                OnPowerSetting(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
            return TRUE;
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            StopWatchingDisplayPower();
            form.Form_Unload();
            window_ = nullptr;
            app_.WindowClosed(nullptr);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

void SceneWindow::HookSceneWindow() {
    app_.Module().OldWndProc = static_cast<uintptr_t>(SetWindowLongPtrA(
        window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SceneWindow::SceneWindowProc)));
}

void SceneWindow::ShowCursor(bool show) { ::ShowCursor(show ? TRUE : FALSE); }

void SceneWindow::SetScreenSaverRunning(bool running) { app_.SetScreenSaverRunning(running); }

void SceneWindow::HideSceneWindow() { ShowWindow(window_, SW_HIDE); }

void SceneWindow::ShowCriticalMessage(const std::string& title, const std::string& text) {
    MessageBoxW(window_, Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_ICONSTOP);
}

void SceneWindow::CloseOtherForms() { app_.CloseOtherForms(); }

void SceneWindow::UnloadSceneWindow() {
    if (window_) DestroyWindow(window_);
}

void SceneWindow::EndProcess() {
    // The music's device is closed on a thread of its own. Given a moment it is done; a device
    // that hangs longer is not waited for, and then the process ends without the unloading of
    // the system's libraries, which could wait on that thread for ever.
    if (snd_ && !snd_->Settle(kMusicSettleMs)) TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

int64_t SceneWindow::IdleMilliseconds() { return hg::IdleMilliseconds(); }

int64_t SceneWindow::SleepTimeoutSeconds() { return powerPlan_.SleepTimeoutSeconds(); }

void SceneWindow::HoldDisplayAndSystem(bool hold) {
    // The request belongs to this thread, the window's, and lasts until it is changed.
    SetThreadExecutionState(hold ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED
                                 : ES_CONTINUOUS);
}

void SceneWindow::WatchDisplayPower() {
    if (!window_ || !displayNotices_.empty()) return;
    // Windows 8 and later tell the console display's state; Vista and 7 only the monitor's.
    // Both mean the same here, so where both come each is simply told twice.
    for (const GUID* setting : {&kConsoleDisplayState, &kMonitorPowerOn})
        if (HPOWERNOTIFY notice = NoticeDisplayPower(window_, *setting))
            displayNotices_.push_back(notice);
}

void SceneWindow::StopWatchingDisplayPower() {
    for (HPOWERNOTIFY notice : displayNotices_) StopPowerNotice(notice);
    displayNotices_.clear();
}

void SceneWindow::OnPowerSetting(const POWERBROADCAST_SETTING& setting) {
    if (!form_ || setting.DataLength < sizeof(DWORD)) return;
    if (!IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) &&
        !IsEqualGUID(setting.PowerSetting, kMonitorPowerOn))
        return;
    DWORD state = 0;
    memcpy(&state, setting.Data, sizeof state);
    // Dimmed is still seen.
    form_->DisplayPowerChanged(state != 0);
}

double SceneWindow::TimeOfDay() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

std::string SceneWindow::WeekdayText() { return FormatDate(L"dddd"); }
std::string SceneWindow::DayText() { return FormatDate(L"d"); }
std::string SceneWindow::MonthText() { return FormatDate(L"MMM"); }

std::string SceneWindow::LongTimeText() {
    wchar_t buf[128] = {};
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, 128) == 0) return {};
    return Narrow(buf);
}

void SceneWindow::TimerChanged(Timer& timer) {
    auto it = timerIds_.find(&timer);
    UINT_PTR id;
    if (it == timerIds_.end()) {
        id = nextTimerId_++;
        timerIds_[&timer] = id;
        timers_[id] = &timer;
    } else {
        id = it->second;
    }
    if (!window_) return;
    if (timer.Enabled() && timer.Interval() > 0)
        SetTimer(window_, id, static_cast<UINT>(timer.Interval()), nullptr);
    else
        KillTimer(window_, id);
}

void SceneWindow::TimerDestroyed(Timer& timer) {
    auto it = timerIds_.find(&timer);
    if (it == timerIds_.end()) return;
    if (window_) KillTimer(window_, it->second);
    timers_.erase(it->second);
    timerIds_.erase(it);
}

}  // namespace hg
