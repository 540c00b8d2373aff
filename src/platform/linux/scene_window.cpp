#include "platform/linux/scene_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/dpms.h>

#include <cstdio>

#include "platform/linux/asset_path.h"
#include "platform/linux/ddraw_x11.h"
#include "platform/linux/x_errors.h"
#include "scene/monitor_power.h"
#include "sound/threaded_music.h"
#include "sound/wave_control.h"

namespace hg {

namespace {

// The controls read the scene's Windows paths from the asset folder.
class AssetWaveControl : public WaveControl {
  public:
    AssetWaveControl(std::unique_ptr<SoundSystem> system, std::string dir)
        : WaveControl(*system), system_(std::move(system)), dir_(std::move(dir)) {}
    ~AssetWaveControl() override { StopAllWaves(); }
    int32_t LoadWave(const std::string& path) override {
        return WaveControl::LoadWave(AssetPath(path, dir_));
    }

  private:
    std::unique_ptr<SoundSystem> system_;
    std::string dir_;
};

class AssetMusic : public ThreadedMusic {
  public:
    AssetMusic(std::unique_ptr<MidiOutput> output, std::string dir)
        : ThreadedMusic(std::move(output)), dir_(std::move(dir)) {}
    void PlayMidiFile(const std::string& path, int32_t from, int32_t to) override {
        ThreadedMusic::PlayMidiFile(AssetPath(path, dir_), from, to);
    }

  private:
    std::string dir_;
};

// A window manager that draws its desktop in a window of its own names that window in the
// __SWM_VROOT property of one of the root's children; drawing on the real root would be hidden.
Window VirtualRoot(Display* display, Window root) {
    const Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = root;
    XErrorTrap trap(display);
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return root;
    for (unsigned i = 0; i < count && found == root; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], vroot, 0, 1, False, XA_WINDOW, &type, &format,
                               &items, &after, &data) == Success &&
            data && format == 32 && items == 1) {
            Window w = *reinterpret_cast<Window*>(data);
            if (w) found = w;
        }
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return trap.Failed() ? root : found;
}

// How often the monitor's power state is looked at: X tells no one when it changes.
constexpr int kMonitorPowerPollMs = 1000;

}  // namespace

SceneWindow::SceneWindow(const SceneWindowParts& parts) : parts_(parts), display_(parts.display) {
    const HackOptions& o = parts.options;
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    long events = ExposureMask | StructureNotifyMask;
    switch (o.target) {
        case HackTarget::OwnWindow: {
            own_ = true;
            XSetWindowAttributes wa = {};
            wa.background_pixel = BlackPixel(display_, screen);
            window_ = XCreateWindow(display_, root, 0, 0, 800, 600, 0, CopyFromParent, InputOutput,
                                    CopyFromParent, CWBackPixel, &wa);
            XStoreName(display_, window_, "Hearthglow");
            XClassHint hint = {const_cast<char*>("hearthglow"), const_cast<char*>("Hearthglow")};
            XSetClassHint(display_, window_, &hint);
            deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
            XSetWMProtocols(display_, window_, &deleteWindow_, 1);
            events |= KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                      PointerMotionMask | FocusChangeMask;
            break;
        }
        case HackTarget::Root:
            window_ = VirtualRoot(display_, root);
            desktop_ = true;
            break;
        case HackTarget::ForeignWindow: {
            XErrorTrap trap(display_);
            XWindowAttributes wa;
            window_ = static_cast<Window>(o.windowId);
            if (!XGetWindowAttributes(display_, window_, &wa) || trap.Failed()) window_ = 0;
            break;
        }
    }
    if (!window_) return;
    // Our own mask on someone else's window: theirs is untouched, and we learn when it goes.
    XSelectInput(display_, window_, events);

    const std::string& assets = parts.assetDir;
    ddraw_ = std::make_unique<X11DDraw>(display_, window_, own_, parts.timers, assets);
    ds_ =
        std::make_unique<AssetWaveControl>(std::make_unique<AlsaSoundSystem>(parts.mixer), assets);
    auto synth = std::make_unique<FluidOutput>(parts.mixer, parts.soundFont);
    synth_ = synth.get();
    snd_ = std::make_unique<AssetMusic>(std::move(synth), assets);
    form_ = std::make_unique<Form1>(
        Form1Parts{parts.store, *this, clock_, parts.timers, *ddraw_, *ds_, *snd_, parts.module});
}

SceneWindow::~SceneWindow() {
    form_.reset();
    powerWatch_.reset();
    snd_.reset();
    ds_.reset();
    ddraw_.reset();
    if (blank_) XFreeCursor(display_, blank_);
    if (own_ && window_ && !unloaded_) XDestroyWindow(display_, window_);
    // The desktop is someone else's: its own background comes back, not our last frame.
    if (desktop_ && window_) {
        XErrorTrap trap(display_);
        XClearArea(display_, window_, 0, 0, 0, 0, True);
        XSync(display_, False);
    }
}

void SceneWindow::OnEvent(const XEvent& e) {
    if (!form_ || unloaded_ || e.xany.window != window_) return;
    Form1& form = *form_;
    if (!form.Closed() && ddraw_->OnEvent(e)) return;
    switch (e.type) {
        case ButtonRelease:
            if (e.xbutton.button == Button1) form.Form_Click();
            break;
        case KeyRelease:
            form.Form_KeyUp();
            break;
        case FocusOut:
            // Focus passing between our own windows' parts is no loss of focus.
            if (e.xfocus.detail != NotifyInferior && e.xfocus.mode == NotifyNormal)
                form.Form_LostFocus();
            break;
        case MapNotify:
            if (own_) XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
            break;
        case ClientMessage:
            if (own_ && static_cast<Atom>(e.xclient.data.l[0]) == deleteWindow_) {
                UnloadSceneWindow();
                EndProcess();
            }
            break;
        case DestroyNotify:
            // xscreensaver's window went away (its preview closed): nothing left to draw on.
            if (!own_) {
                unloaded_ = true;
                form.Form_Unload();
                EndProcess();
            }
            break;
        default:
            break;
    }
}

void SceneWindow::PrepareMusic() {
    if (form_ && !form_->Closed() && form_->LoadedSettings().PlayMusic != 1 && synth_)
        synth_->Preload();
}

void SceneWindow::ShowTopmost(int width, int height) {
    if (!own_ || !window_) return;
    XMoveResizeWindow(display_, window_, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    // A window manager keeps a full-screen window above the rest; without one the position and
    // size above already cover the screen.
    Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
    Atom wanted[] = {XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False),
                     XInternAtom(display_, "_NET_WM_STATE_ABOVE", False)};
    XChangeProperty(display_, window_, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(wanted), 2);
    XMapRaised(display_, window_);
}

void SceneWindow::HookSceneWindow() {
    // xscreensaver keeps the power settings its user chose; a hack it runs leaves them alone.
    if (parts_.options.underXscreensaver || parts_.options.target == HackTarget::ForeignWindow)
        return;
    int event = 0, error = 0;
    if (!DPMSQueryExtension(display_, &event, &error) || !DPMSCapable(display_)) return;
    powerWatch_ = std::make_unique<Timer>(parts_.timers, kMonitorPowerPollMs, true,
                                          [this] { MonitorPowerTick(); });
}

// X has no power-down request to intercept; the nearest thing is to notice the server's DPMS
// turning the monitor off and to treat that moment as the request Windows would have sent.
// When power saving is to be refused, the monitor is switched straight back on.
void SceneWindow::MonitorPowerTick() {
    if (!form_ || form_->Closed()) return;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display_, &level, &enabled)) return;
    const bool on = !enabled || level == DPMSModeOn;
    if (on == monitorOn_) return;
    monitorOn_ = on;
    if (!on &&
        FilterSceneMessage(parts_.module, *form_, kWmSysCommand, kScMonitorPower) == kWmCreate) {
        DPMSForceLevel(display_, DPMSModeOn);
        monitorOn_ = true;
        return;
    }
    form_->DisplayPowerChanged(on);
}

void SceneWindow::ShowCursor(bool show) {
    cursorCount_ += show ? 1 : -1;
    // The root window's and xscreensaver's cursors are theirs to set.
    if (!own_ || !window_ || unloaded_) return;
    if (cursorCount_ < 0) {
        if (!blank_) {
            char none = 0;
            Pixmap empty = XCreateBitmapFromData(display_, window_, &none, 1, 1);
            XColor black = {};
            blank_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
            XFreePixmap(display_, empty);
        }
        XDefineCursor(display_, window_, blank_);
    } else {
        XUndefineCursor(display_, window_);
    }
}

void SceneWindow::HideSceneWindow() {
    if (own_ && window_) XUnmapWindow(display_, window_);
}

void SceneWindow::ShowCriticalMessage(const std::string& title, const std::string& text) {
    std::string plain;
    for (char c : text)
        if (c != '\r') plain += c;
    std::fprintf(stderr, "hearthglow: %s\n%s\n", title.c_str(), plain.c_str());
    parts_.quit(1);
}

void SceneWindow::UnloadSceneWindow() {
    if (unloaded_) return;
    unloaded_ = true;
    if (ddraw_) ddraw_->CloseDisplay();
    if (form_) form_->Form_Unload();
    if (own_ && window_) XDestroyWindow(display_, window_);
}

void SceneWindow::EndProcess() { parts_.quit(0); }

}  // namespace hg
