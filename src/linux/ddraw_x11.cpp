#include "linux/ddraw_x11.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

#include "linux/asset_path.h"
#include "linux/x_errors.h"

namespace hg {

int16_t VirtualKeyOf(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<int16_t>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<int16_t>('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return static_cast<int16_t>('0' + (sym - XK_0));
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<int16_t>(0x60 + (sym - XK_KP_0));
    if (sym >= XK_F1 && sym <= XK_F24) return static_cast<int16_t>(0x70 + (sym - XK_F1));
    switch (sym) {
        case XK_BackSpace: return 0x08;
        case XK_Tab: return 0x09;
        case XK_Return:
        case XK_KP_Enter: return 0x0D;
        case XK_Shift_L:
        case XK_Shift_R: return 0x10;
        case XK_Control_L:
        case XK_Control_R: return 0x11;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R: return 0x12;
        case XK_Pause: return 0x13;
        case XK_Caps_Lock: return 0x14;
        case XK_Escape: return 0x1B;
        case XK_space: return 0x20;
        case XK_Prior: return 0x21;
        case XK_Next: return 0x22;
        case XK_End: return 0x23;
        case XK_Home: return 0x24;
        case XK_Left: return 0x25;
        case XK_Up: return 0x26;
        case XK_Right: return 0x27;
        case XK_Down: return 0x28;
        case XK_Insert: return 0x2D;
        case XK_Delete: return 0x2E;
        case XK_Super_L: return 0x5B;
        case XK_Super_R: return 0x5C;
        default: return 0;
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

}  // namespace

struct X11DDraw::Image {
    XImage* image = nullptr;
    XShmSegmentInfo shm = {};
    bool shared = false;
    // The window's pixel for every RGB565 value: one look-up per pixel, whatever the visual.
    std::vector<uint32_t> lut;
    std::vector<int> columns;  // source column of each letterboxed destination column
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
      frameTimer_(timers, kFrameMs, false, [this] { FrameTick(); }) {}

X11DDraw::~X11DDraw() { CloseDisplay(); }

void X11DDraw::LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                                int32_t key) {
    DDrawControl::LoadSurfaceFrame(surface, frame, AssetPath(path, assetDir_), key);
}

uint16_t* X11DDraw::OpenPresentation() {
    XWindowAttributes wa;
    XErrorTrap trap(display_);
    if (!XGetWindowAttributes(display_, target_, &wa) || trap.Failed()) return nullptr;
    if (wa.visual->c_class != TrueColor && wa.visual->c_class != DirectColor) return nullptr;
    // The scene window has chosen the target's events: input only when the window is ours.
    gc_ = XCreateGC(display_, target_, 0, nullptr);
    if (takesInput_) XkbSetDetectableAutoRepeat(display_, True, nullptr);
    back_.assign(static_cast<size_t>(Compositor::kWidth) * Compositor::kHeight, 0);
    width_ = wa.width;
    height_ = wa.height;
    if (!MakeImage()) {
        ClosePresentation();
        return nullptr;
    }
    frameTimer_.SetEnabled(true);
    presented_ = false;
    pointerKnown_ = false;
    return back_.data();
}

void X11DDraw::ClosePresentation() {
    frameTimer_.SetEnabled(false);
    FreeImage();
    if (gc_) XFreeGC(display_, gc_);
    gc_ = nullptr;
    keysDown_.clear();
}

bool X11DDraw::MakeImage() {
    FreeImage();
    if (width_ <= 0 || height_ <= 0) return true;  // nothing to show until the window has a size
    XWindowAttributes wa;
    if (!XGetWindowAttributes(display_, target_, &wa)) return false;
    auto img = std::make_unique<Image>();
    int major = 0, minor = 0;
    Bool pixmaps = False;
    if (XShmQueryVersion(display_, &major, &minor, &pixmaps)) {
        img->image = XShmCreateImage(display_, wa.visual, static_cast<unsigned>(wa.depth), ZPixmap,
                                     nullptr, &img->shm, static_cast<unsigned>(width_),
                                     static_cast<unsigned>(height_));
        if (img->image) {
            img->shm.shmid = shmget(IPC_PRIVATE,
                                    static_cast<size_t>(img->image->bytes_per_line) * height_,
                                    IPC_CREAT | 0600);
            void* addr = img->shm.shmid >= 0 ? shmat(img->shm.shmid, nullptr, 0) : nullptr;
            if (addr && addr != reinterpret_cast<void*>(-1)) {
                img->shm.shmaddr = img->image->data = static_cast<char*>(addr);
                img->shm.readOnly = False;
                XErrorTrap trap(display_);
                XShmAttach(display_, &img->shm);
                img->shared = !trap.Failed();
            }
            // Marked for removal now: it goes when both sides have detached, even after a crash.
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
        img->image = XCreateImage(display_, wa.visual, static_cast<unsigned>(wa.depth), ZPixmap, 0,
                                  nullptr, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_), 32, 0);
        if (!img->image) return false;
        img->image->data = static_cast<char*>(
            calloc(static_cast<size_t>(img->image->bytes_per_line), static_cast<size_t>(height_)));
        if (!img->image->data) {
            XDestroyImage(img->image);
            return false;
        }
    }
    XImage* xi = img->image;
    std::memset(xi->data, 0, static_cast<size_t>(xi->bytes_per_line) * height_);
    const int rs = Shift(xi->red_mask), gs = Shift(xi->green_mask), bs = Shift(xi->blue_mask);
    const int rb = Bits(xi->red_mask), gb = Bits(xi->green_mask), bb = Bits(xi->blue_mask);
    img->lut.resize(65536);
    for (uint32_t v = 0; v < 65536; ++v) {
        // Widen each 565 field to 8 bits, then narrow to the visual's own field widths.
        const uint32_t r8 = ((v >> 11) & 31) * 255 / 31, g8 = ((v >> 5) & 63) * 255 / 63,
                       b8 = (v & 31) * 255 / 31;
        auto field = [](uint32_t c8, int bits, int shift) {
            return bits >= 8 ? (c8 << (bits - 8)) << shift : (c8 >> (8 - bits)) << shift;
        };
        img->lut[v] = field(r8, rb, rs) | field(g8, gb, gs) | field(b8, bb, bs);
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

void X11DDraw::Resize(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    if (IsOpen()) MakeImage();
}

void X11DDraw::Scale() {
    XImage* xi = image_->image;
    const Letterbox v = View();
    auto& cols = image_->columns;
    if (static_cast<int>(cols.size()) != v.width) {
        cols.resize(static_cast<size_t>(std::max(0, v.width)));
        for (int x = 0; x < v.width; ++x)
            cols[static_cast<size_t>(x)] = static_cast<int>(int64_t{x} * Compositor::kWidth / v.width);
    }
    const uint32_t* lut = image_->lut.data();
    const int bpp = xi->bits_per_pixel;
    for (int y = 0; y < v.height; ++y) {
        const int sy = static_cast<int>(int64_t{y} * Compositor::kHeight / v.height);
        const uint16_t* src = back_.data() + static_cast<size_t>(sy) * Compositor::kWidth;
        char* row = xi->data + static_cast<ptrdiff_t>(v.y + y) * xi->bytes_per_line;
        if (bpp == 32) {
            auto* out = reinterpret_cast<uint32_t*>(row) + v.x;
            for (int x = 0; x < v.width; ++x) out[x] = lut[src[cols[static_cast<size_t>(x)]]];
        } else if (bpp == 16) {
            auto* out = reinterpret_cast<uint16_t*>(row) + v.x;
            for (int x = 0; x < v.width; ++x)
                out[x] = static_cast<uint16_t>(lut[src[cols[static_cast<size_t>(x)]]]);
        } else {
            for (int x = 0; x < v.width; ++x)
                XPutPixel(xi, v.x + x, v.y + y, lut[src[cols[static_cast<size_t>(x)]]]);
        }
    }
}

void X11DDraw::PutImage() {
    if (!image_ || !gc_) return;
    XImage* xi = image_->image;
    if (image_->shared)
        XShmPutImage(display_, target_, gc_, xi, 0, 0, 0, 0, static_cast<unsigned>(width_),
                     static_cast<unsigned>(height_), False);
    else
        XPutImage(display_, target_, gc_, xi, 0, 0, 0, 0, static_cast<unsigned>(width_),
                  static_cast<unsigned>(height_));
    // The server reads shared memory after the request; the next frame must not write into it
    // before then.
    XSync(display_, False);
}

void X11DDraw::Present() {
    if (!image_) return;
    Scale();
    PutImage();
    presented_ = true;
}

void X11DDraw::PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                         Colour colour) {
    text_.Paint(back_.data(), Compositor::kWidth, Compositor::kHeight, font, text, x, y, colour);
}

void X11DDraw::FrameTick() {
    if (takesInput_ && !pointerKnown_ && IsOpen()) {
        // X reports no position until the pointer moves; where it rests now is no move.
        Window root, child;
        int rx, ry, wx, wy;
        unsigned mask;
        if (XQueryPointer(display_, target_, &root, &child, &rx, &ry, &wx, &wy, &mask))
            PointerAt(HeldButtons(mask), ShiftOf(mask), wx, wy, View());
        pointerKnown_ = true;
    }
    RaiseFrameDue();
}

bool X11DDraw::OnEvent(const XEvent& e) {
    if (!IsOpen() || e.xany.window != target_) return false;
    switch (e.type) {
        case Expose:
            if (e.xexpose.count == 0 && presented_) PutImage();
            return true;
        case ConfigureNotify:
            Resize(e.xconfigure.width, e.xconfigure.height);
            if (presented_) Present();
            return false;  // the scene window may want to know as well
        default:
            break;
    }
    if (!takesInput_) return false;
    switch (e.type) {
        case MotionNotify:
            PointerAt(HeldButtons(e.xmotion.state), ShiftOf(e.xmotion.state), e.xmotion.x,
                      e.xmotion.y, View());
            pointerKnown_ = true;
            return true;
        case ButtonPress: {
            // Wheel turns (buttons 4 to 7) are no button a Windows mouse reports as one.
            const int button = e.xbutton.button == Button1   ? 1
                               : e.xbutton.button == Button3 ? 2
                               : e.xbutton.button == Button2 ? 4
                                                             : 0;
            if (button)
                ButtonDown(button, ShiftOf(e.xbutton.state), e.xbutton.x, e.xbutton.y, View());
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
