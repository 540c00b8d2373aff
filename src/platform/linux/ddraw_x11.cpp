#include "platform/linux/ddraw_x11.h"

#include <X11/XKBlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "display/detail.h"
#include "platform/linux/asset_path.h"
#include "platform/linux/monitors.h"
#include "platform/linux/x_errors.h"

// The wall's strip, built into the program like the Windows build's resource.
extern const unsigned char kWallBmp[];
extern const size_t kWallBmpSize;
extern const unsigned char kWallHdPng[];
extern const size_t kWallHdPngSize;

namespace hg {

int16_t VirtualKeyOf(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<int16_t>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<int16_t>('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return static_cast<int16_t>('0' + (sym - XK_0));
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<int16_t>(0x60 + (sym - XK_KP_0));
    if (sym >= XK_F1 && sym <= XK_F24) return static_cast<int16_t>(0x70 + (sym - XK_F1));
    switch (sym) {
        case XK_BackSpace:
            return 0x08;
        case XK_Tab:
            return 0x09;
        case XK_Return:
        case XK_KP_Enter:
            return 0x0D;
        case XK_Shift_L:
        case XK_Shift_R:
            return 0x10;
        case XK_Control_L:
        case XK_Control_R:
            return 0x11;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
            return 0x12;
        case XK_Pause:
            return 0x13;
        case XK_Caps_Lock:
            return 0x14;
        case XK_Escape:
            return 0x1B;
        case XK_space:
            return 0x20;
        case XK_Prior:
            return 0x21;
        case XK_Next:
            return 0x22;
        case XK_End:
            return 0x23;
        case XK_Home:
            return 0x24;
        case XK_Left:
            return 0x25;
        case XK_Up:
            return 0x26;
        case XK_Right:
            return 0x27;
        case XK_Down:
            return 0x28;
        case XK_Insert:
            return 0x2D;
        case XK_Delete:
            return 0x2E;
        case XK_Super_L:
            return 0x5B;
        case XK_Super_R:
            return 0x5C;
        default:
            return 0;
    }
}

int16_t ShiftOf(unsigned state) {
    return static_cast<int16_t>((state & ShiftMask ? 1 : 0) | (state & ControlMask ? 2 : 0) |
                                (state & Mod1Mask ? 4 : 0));
}

namespace {

int HeldButtons(unsigned state) {
    return (state & Button1Mask ? 1 : 0) | (state & Button3Mask ? 2 : 0) |
           (state & Button2Mask ? 4 : 0);
}

int Shift(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

int Bits(unsigned long mask) {
    int n = 0;
    for (; mask; mask >>= 1) n += static_cast<int>(mask & 1);
    return n;
}

bool HostIsLittleEndian() {
    const uint16_t one = 1;
    return *reinterpret_cast<const uint8_t*>(&one) == 1;
}

// The monitors as RandR reports them, in root coordinates, and which one is primary.
std::vector<Area> Monitors(Display* display, Window root, int& primary) {
    std::vector<Area> out;
    primary = -1;
    int event = 0, error = 0, count = 0;
    if (!XRRQueryExtension(display, &event, &error)) return out;
    XRRMonitorInfo* info = XRRGetMonitors(display, root, True, &count);
    for (int i = 0; info && i < count; ++i) {
        const XRRMonitorInfo& m = info[i];
        out.push_back({m.x, m.y, m.x + m.width, m.y + m.height});
        if (m.primary && primary < 0) primary = i;
    }
    if (info) XRRFreeMonitors(info);
    if (primary < 0 && !out.empty()) primary = 0;
    return out;
}

// The refresh rate of the screen, 0 when RandR does not say.
int RefreshHz(Display* display, Window root) {
    int event = 0, error = 0;
    if (!XRRQueryExtension(display, &event, &error)) return 0;
    XRRScreenConfiguration* config = XRRGetScreenInfo(display, root);
    if (!config) return 0;
    const int rate = XRRConfigCurrentRate(config);
    XRRFreeScreenConfigInfo(config);
    return rate > 1 ? rate : 0;
}

}  // namespace

struct X11DDraw::Image {
    XImage* image = nullptr;
    XShmSegmentInfo shm = {};
    bool shared = false;
    // The core paints 0x00RRGGBB; where the window's pixels have that form already (the usual
    // 24-bit visual) it paints straight into the image, otherwise into this and each shown
    // area is converted.
    std::vector<uint32_t> staging;
    int rs = 0, gs = 0, bs = 0, rb = 8, gb = 8, bb = 8;
    int width = 0, height = 0;

    ScreenImage Screen() {
        if (!staging.empty()) return {staging.data(), width, height, width};
        return {reinterpret_cast<uint32_t*>(image->data), width, height, image->bytes_per_line / 4};
    }
    void Convert(const Area& a) {
        if (staging.empty()) return;
        auto field = [](uint32_t c8, int bits, int shift) {
            return bits >= 8 ? (c8 << (bits - 8)) << shift : (c8 >> (8 - bits)) << shift;
        };
        for (int y = a.top; y < a.bottom; ++y)
            for (int x = a.left; x < a.right; ++x) {
                const uint32_t p = staging[static_cast<size_t>(y) * width + x];
                XPutPixel(image, x, y,
                          field((p >> 16) & 255, rb, rs) | field((p >> 8) & 255, gb, gs) |
                              field(p & 255, bb, bs));
            }
    }
};

X11DDraw::X11DDraw(Display* display, Window target, bool takesInput, TimerDriver& timers,
                   std::string assetDir)
    : DDrawControl([] {
          timespec t;
          clock_gettime(CLOCK_MONOTONIC, &t);
          return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
      }),
      display_(display),
      target_(target),
      takesInput_(takesInput),
      assetDir_(std::move(assetDir)),
      frameTimer_(timers, kSlowestFrameMs, false, [this] { FrameTick(); }) {}

X11DDraw::~X11DDraw() { CloseDisplay(); }

void X11DDraw::LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                                int32_t key) {
    DDrawControl::LoadSurfaceFrame(surface, frame, AssetPath(path, assetDir_), key);
}

bool X11DDraw::OpenPresentation() {
    XWindowAttributes wa;
    XErrorTrap trap(display_);
    if (!XGetWindowAttributes(display_, target_, &wa) || trap.Failed()) return false;
    if (wa.visual->c_class != TrueColor && wa.visual->c_class != DirectColor) return false;
    // The scene window has chosen the target's events: input only when the window is ours.
    gc_ = XCreateGC(display_, target_, 0, nullptr);
    if (takesInput_) XkbSetDetectableAutoRepeat(display_, True, nullptr);
    refreshHz_ = RefreshHz(display_, wa.root);
    SetWall(DecodePicture(std::vector<uint8_t>(kWallBmp, kWallBmp + kWallBmpSize), -1),
            DecodePicture(std::vector<uint8_t>(kWallHdPng, kWallHdPng + kWallHdPngSize), -1));
    frameTimer_.SetInterval(NextFrameDelayMs(refreshHz_));
    frameTimer_.SetEnabled(!framesHeld_);
    pointerKnown_ = false;
    FitWindowPicture();
    return true;
}

uint32_t* X11DDraw::DetailBuffer(int detail) {
    std::vector<uint32_t>().swap(logical_);
    try {
        logical_.assign(
            static_cast<size_t>(Compositor::kWidth) * detail * Compositor::kHeight * detail, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return logical_.data();
}

void X11DDraw::ClosePresentation() {
    frameTimer_.SetEnabled(false);
    Unstage();
    FreeImage();
    if (gc_) XFreeGC(display_, gc_);
    gc_ = nullptr;
    keysDown_.clear();
    std::vector<uint32_t>().swap(logical_);
}

// A window picture of the window's size, and where the hearth's monitor lies in it.
void X11DDraw::FitWindowPicture() {
    XWindowAttributes wa;
    if (!XGetWindowAttributes(display_, target_, &wa) || wa.width <= 0 || wa.height <= 0) return;
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display_, target_, wa.root, 0, 0, &rootX, &rootY, &child);
    int primary = -1;
    const std::vector<Area> monitors = Monitors(display_, wa.root, primary);
    const Area where =
        HearthMonitor({rootX, rootY, rootX + wa.width, rootY + wa.height}, monitors, primary);
    if (image_ && image_->width == wa.width && image_->height == wa.height && where == primary_)
        return;
    if (!image_ || image_->width != wa.width || image_->height != wa.height) {
        Unstage();
        if (!MakeImage(wa.width, wa.height)) return;
    }
    primary_ = where;
    Restage(image_->Screen(), primary_);
}

bool X11DDraw::MakeImage(int width, int height) {
    FreeImage();
    XWindowAttributes wa;
    if (!XGetWindowAttributes(display_, target_, &wa)) return false;
    auto img = std::make_unique<Image>();
    img->width = width;
    img->height = height;
    int major = 0, minor = 0;
    Bool pixmaps = False;
    if (XShmQueryVersion(display_, &major, &minor, &pixmaps)) {
        img->image =
            XShmCreateImage(display_, wa.visual, static_cast<unsigned>(wa.depth), ZPixmap, nullptr,
                            &img->shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (img->image) {
            img->shm.shmid =
                shmget(IPC_PRIVATE, static_cast<size_t>(img->image->bytes_per_line) * height,
                       IPC_CREAT | 0600);
            void* addr = img->shm.shmid >= 0 ? shmat(img->shm.shmid, nullptr, 0) : nullptr;
            if (addr && addr != reinterpret_cast<void*>(-1)) {
                img->shm.shmaddr = img->image->data = static_cast<char*>(addr);
                img->shm.readOnly = False;
                XErrorTrap trap(display_);
                XShmAttach(display_, &img->shm);
                img->shared = !trap.Failed();
            }
            // Marked for removal now: it goes when both sides have let go, even after a crash.
            if (img->shm.shmid >= 0) shmctl(img->shm.shmid, IPC_RMID, nullptr);
            if (!img->shared) {
                if (img->shm.shmaddr) shmdt(img->shm.shmaddr);
                img->image->data = nullptr;
                XDestroyImage(img->image);
                img->image = nullptr;
            }
        }
    }
    if (!img->image) {
        // A server elsewhere on the network: the pixels travel in the request itself.
        img->image =
            XCreateImage(display_, wa.visual, static_cast<unsigned>(wa.depth), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!img->image) return false;
        img->image->data = static_cast<char*>(
            calloc(static_cast<size_t>(img->image->bytes_per_line), static_cast<size_t>(height)));
        if (!img->image->data) {
            XDestroyImage(img->image);
            return false;
        }
    }
    XImage* xi = img->image;
    const bool direct = xi->bits_per_pixel == 32 && xi->red_mask == 0xFF0000 &&
                        xi->green_mask == 0xFF00 && xi->blue_mask == 0xFF &&
                        (xi->byte_order == LSBFirst) == HostIsLittleEndian() &&
                        xi->bytes_per_line % 4 == 0;
    if (!direct) {
        img->staging.assign(static_cast<size_t>(width) * height, 0);
        img->rs = Shift(xi->red_mask), img->gs = Shift(xi->green_mask),
        img->bs = Shift(xi->blue_mask);
        img->rb = Bits(xi->red_mask), img->gb = Bits(xi->green_mask), img->bb = Bits(xi->blue_mask);
    }
    image_ = std::move(img);
    return true;
}

void X11DDraw::FreeImage() {
    if (!image_) return;
    if (image_->shared) {
        XShmDetach(display_, &image_->shm);
        XSync(display_, False);
        shmdt(image_->shm.shmaddr);
        image_->image->data = nullptr;
    }
    XDestroyImage(image_->image);  // frees our own pixels when the image is not shared
    image_.reset();
}

void X11DDraw::Show(const std::vector<Area>& areas) { PutAreas(areas); }

void X11DDraw::PutAreas(const std::vector<Area>& areas) {
    if (!image_ || !gc_) return;
    XImage* xi = image_->image;
    for (const Area& area : areas) {
        const Area a = area.Intersect({0, 0, image_->width, image_->height});
        if (a.Empty()) continue;
        image_->Convert(a);
        if (image_->shared)
            XShmPutImage(display_, target_, gc_, xi, a.left, a.top, a.left, a.top,
                         static_cast<unsigned>(a.Width()), static_cast<unsigned>(a.Height()),
                         False);
        else
            XPutImage(display_, target_, gc_, xi, a.left, a.top, a.left, a.top,
                      static_cast<unsigned>(a.Width()), static_cast<unsigned>(a.Height()));
    }
    // The server reads shared memory after the request; the next frame must not write into it
    // before then.
    XSync(display_, False);
}

Area X11DDraw::TextBounds(const TextFont& font, const std::string& text, int32_t x, int32_t y) {
    const int k = Detail();
    return ToLogical(
        text_.Bounds(FontAtDetail(font, k), text, PlaceAtDetail(x, k), PlaceAtDetail(y, k)), k);
}

void X11DDraw::PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                         Colour colour, const Area& clip) {
    const int k = Detail();
    text_.Paint(logical_.data(), Compositor::kWidth * k, Compositor::kHeight * k,
                FontAtDetail(font, k), text, PlaceAtDetail(x, k), PlaceAtDetail(y, k), colour,
                ToDetail(clip, k));
}

void X11DDraw::HoldFrames(bool held) {
    framesHeld_ = held;
    frameTimer_.SetEnabled(!held && IsOpen());
}

void X11DDraw::FrameTick() {
    if (takesInput_ && !pointerKnown_ && IsOpen()) {
        // X reports no position until the pointer moves; where it rests now is no move.
        Window root, child;
        int rx, ry, wx, wy;
        unsigned mask;
        if (XQueryPointer(display_, target_, &root, &child, &rx, &ry, &wx, &wy, &mask))
            PointerAt(HeldButtons(mask), ShiftOf(mask), wx, wy);
        pointerKnown_ = true;
    }
    RaiseFrameDue();
    if (IsOpen()) frameTimer_.SetInterval(NextFrameDelayMs(refreshHz_));
    // After the next frame's time is set: the making does not put it off.
    if (std::exchange(prepareDue_, false)) PrepareAhead();
}

bool X11DDraw::OnEvent(const XEvent& e) {
    if (!IsOpen() || e.xany.window != target_) return false;
    switch (e.type) {
        case Expose:
            if (image_)
                PutAreas({{e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width,
                           e.xexpose.y + e.xexpose.height}});
            return true;
        case ConfigureNotify:
            FitWindowPicture();
            return false;  // the scene window may want to know as well
        default:
            break;
    }
    if (!takesInput_) return false;
    switch (e.type) {
        case MotionNotify:
            PointerAt(HeldButtons(e.xmotion.state), ShiftOf(e.xmotion.state), e.xmotion.x,
                      e.xmotion.y);
            pointerKnown_ = true;
            return true;
        case ButtonPress: {
            // Wheel turns (buttons 4 to 7) are no button a Windows mouse reports as one.
            const int button = e.xbutton.button == Button1   ? 1
                               : e.xbutton.button == Button3 ? 2
                               : e.xbutton.button == Button2 ? 4
                                                             : 0;
            if (button) ButtonDown(button, ShiftOf(e.xbutton.state), e.xbutton.x, e.xbutton.y);
            return true;
        }
        case ButtonRelease:
            return true;  // the press was the event
        case KeyPress: {
            // A held key repeats; it is still one action.
            if (!keysDown_.insert(e.xkey.keycode).second) return true;
            KeySym sym = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(e.xkey.keycode), 0, 0);
            KeyDown(VirtualKeyOf(sym), ShiftOf(e.xkey.state));
            return true;
        }
        case KeyRelease:
            keysDown_.erase(e.xkey.keycode);
            return true;
        case FocusIn:
            // Where the pointer is when the focus comes back is no move.
            ForgetPointer();
            pointerKnown_ = false;
            return false;
        default:
            return false;
    }
}

}  // namespace hg
