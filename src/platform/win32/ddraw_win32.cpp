#include "platform/win32/ddraw_win32.h"

#include <algorithm>
#include <vector>

#include "display/detail.h"
#include "platform/win32/wide_text.h"

namespace hg {

namespace {

constexpr size_t kMaxCachedFonts = 16;
// Sizes come through FontAtDetail, already in the display's bounds; this only keeps GDI from
// ever being asked for more than the finest display is tall.
constexpr int32_t kMaxFontHeight = Compositor::kHeight * Compositor::kFinestDetail;

int ShiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

int HeldButtons(WPARAM wParam) {
    return (wParam & MK_LBUTTON ? 1 : 0) | (wParam & MK_RBUTTON ? 2 : 0) |
           (wParam & MK_MBUTTON ? 4 : 0);
}

int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

RECT VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return {x, y, x + w, y + h};
}

BOOL CALLBACK FindPrimary(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY)) {
        *reinterpret_cast<RECT*>(found) = info.rcMonitor;
        return FALSE;
    }
    return TRUE;
}

// The wall's strip, built into the program like the preview picture.
std::shared_ptr<const Picture> LoadWall(const wchar_t* name) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
    const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data) return nullptr;
    const std::vector<uint8_t> bytes(data, data + SizeofResource(self, found));
    return DecodePicture(bytes, -1);
}

}  // namespace

bool Win32DDraw::Bitmap::Make(int width, int height, int bitsPerPixel) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down, as our rows run
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = bitsPerPixel == 16 ? BI_BITFIELDS : BI_RGB;
    if (bitsPerPixel == 16) {
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
    }
    bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                              nullptr, 0);
    dc = bitmap && bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        Free();
        return false;
    }
    previous = SelectObject(dc, bitmap);
    return true;
}

void Win32DDraw::Bitmap::Free() {
    if (dc) {
        if (previous) SelectObject(dc, previous);
        DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
    *this = Bitmap();
}

Win32DDraw::Win32DDraw(HWND window)
    : DDrawControl([] { return static_cast<uint32_t>(GetTickCount()); }), window_(window) {}

Win32DDraw::~Win32DDraw() { CloseDisplay(); }

bool Win32DDraw::OpenPresentation() {
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    refreshHz_ =
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1
            ? static_cast<int>(mode.dmDisplayFrequency)
            : 0;
    timerSet_ = SetTimer(window_, kFrameTimerId, static_cast<UINT>(NextFrameDelayMs(refreshHz_)),
                         nullptr) != 0;
    if (!timerSet_) return false;
    if (framesHeld_) KillTimer(window_, kFrameTimerId);
    SetWall(LoadWall(L"WALL"), LoadWall(L"WALLHD"));
    CoverEveryMonitor();
    FitWindowPicture();
    return true;
}

uint32_t* Win32DDraw::DetailBuffer(int detail) {
    FreeLogical();
    if (!logical_.Make(Compositor::kWidth * detail, Compositor::kHeight * detail, 32))
        return nullptr;
    return static_cast<uint32_t*>(logical_.bits);
}

void Win32DDraw::FreeLogical() {
    if (logical_.dc && previousFont_) SelectObject(logical_.dc, previousFont_);
    previousFont_ = nullptr;
    logical_.Free();
}

void Win32DDraw::ClosePresentation() {
    if (timerSet_) KillTimer(window_, kFrameTimerId);
    timerSet_ = false;
    KillTimer(window_, kPrepareTimerId);
    FreeLogical();
    for (auto& [key, font] : fonts_) DeleteObject(font);
    fonts_.clear();
    Unstage();
    screen_.Free();
    picture_ = {};
    clientWidth_ = clientHeight_ = 0;
}

// The scene is shown on every monitor: the hearth on the primary one, the wall on the rest.
void Win32DDraw::CoverEveryMonitor() {
    const RECT v = VirtualScreen();
    SetWindowPos(window_, nullptr, v.left, v.top, v.right - v.left, v.bottom - v.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// A window picture of the hearth's size, and where the primary monitor lies in the window.
void Win32DDraw::FitWindowPicture() {
    RECT client = {}, window = {};
    GetClientRect(window_, &client);
    GetWindowRect(window_, &window);
    const int w = client.right - client.left, h = client.bottom - client.top;
    RECT monitor = {};
    EnumDisplayMonitors(nullptr, nullptr, FindPrimary, reinterpret_cast<LPARAM>(&monitor));
    POINT origin = {0, 0};
    ClientToScreen(window_, &origin);
    const Area primary{monitor.left - origin.x, monitor.top - origin.y, monitor.right - origin.x,
                       monitor.bottom - origin.y};
    if (w <= 0 || h <= 0) return;
    const Area hearth = Stage::For(w, h, primary).hearth;
    if (hearth.Empty()) return;
    if (w == clientWidth_ && h == clientHeight_ && primary == primary_ && hearth == picture_ &&
        screen_.bits)
        return;
    if (hearth.Width() != picture_.Width() || hearth.Height() != picture_.Height() ||
        !screen_.bits) {
        Bitmap fresh;
        if (!fresh.Make(hearth.Width(), hearth.Height(), 32)) return;
        Unstage();
        screen_.Free();
        screen_ = fresh;
    }
    picture_ = hearth;
    clientWidth_ = w;
    clientHeight_ = h;
    primary_ = primary;
    Restage({static_cast<uint32_t*>(screen_.bits), hearth.Width(), hearth.Height(), hearth.Width(),
             hearth.left, hearth.top},
            primary_, w, h);
}

void Win32DDraw::Show(const std::vector<Area>& areas) {
    if (!screen_.dc) return;
    if (HDC dc = GetDC(window_)) {
        for (const Area& a : areas)
            BitBlt(dc, a.left, a.top, a.Width(), a.Height(), screen_.dc, a.left - picture_.left,
                   a.top - picture_.top, SRCCOPY);
        ReleaseDC(window_, dc);
    }
}

void Win32DDraw::ShowPixels(const Area& at, const uint32_t* pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = at.Width();
    info.bmiHeader.biHeight = -at.Height();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (HDC dc = GetDC(window_)) {
        SetDIBitsToDevice(dc, at.left, at.top, static_cast<DWORD>(at.Width()),
                          static_cast<DWORD>(at.Height()), 0, 0, 0, static_cast<UINT>(at.Height()),
                          pixels, &info, DIB_RGB_COLORS);
        ReleaseDC(window_, dc);
    }
}

// Wine copies what a window drew to the X server only once its thread waits for a message, so
// making the next flame frame right after a frame (some 70 ms at 4K) would hold that frame back
// as long. A timer's message comes only after such a wait. Windows itself composes the window
// apart from its thread, and the wait costs nothing there.
void Win32DDraw::PrepareWhenIdle() {
    if (!SetTimer(window_, kPrepareTimerId, USER_TIMER_MINIMUM, nullptr)) PrepareAhead();
}

HFONT Win32DDraw::FontFor(const TextFont& font) {
    const int32_t height = std::clamp(font.size, 1, kMaxFontHeight);
    auto key = std::make_tuple(font.face, height, font.bold, font.italic, font.underline);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    if (fonts_.size() >= kMaxCachedFonts) {
        SelectObject(logical_.dc, previousFont_);
        previousFont_ = nullptr;
        for (auto& [k, f] : fonts_) DeleteObject(f);
        fonts_.clear();
    }
    // A positive height asks for the character cell's height.
    HFONT made = CreateFontW(
        height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE,
        font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
        ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, Widen(font.face).c_str());
    if (made) fonts_[key] = made;
    return made;
}

void Win32DDraw::SelectFont(const TextFont& font) {
    if (HFONT f = FontFor(font)) {
        HGDIOBJ old = SelectObject(logical_.dc, f);
        if (!previousFont_) previousFont_ = old;
    }
}

// The cell GDI reports, widened by what glyphs may reach beyond it (italic slant, a smoothed
// edge); PaintText clips to this, so nothing is ever drawn outside it.
Area Win32DDraw::TextBounds(const TextFont& logical, const std::string& text, int32_t lx,
                            int32_t ly) {
    if (!logical_.dc) return {};
    const int k = Detail();
    const TextFont font = FontAtDetail(logical, k);
    const int64_t x = PlaceAtDetail(lx, k), y = PlaceAtDetail(ly, k);
    SelectFont(font);
    const std::wstring wide = Widen(text);
    SIZE extent = {};
    GetTextExtentPoint32W(logical_.dc, wide.data(), static_cast<int>(wide.size()), &extent);
    TEXTMETRICW tm = {};
    GetTextMetricsW(logical_.dc, &tm);
    const int reach = tm.tmHeight / 3 + tm.tmOverhang + 2;
    const int64_t left = x - reach, top = y - 2 * k;
    const int64_t right = x + extent.cx + reach;
    const int64_t bottom = y + std::max<int64_t>(extent.cy, tm.tmHeight) + 2 * k;
    auto fit = [k](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(v, -1000000 * k, 1000000 * k));
    };
    return ToLogical({fit(left), fit(top), fit(right), fit(bottom)}, k);
}

void Win32DDraw::PaintText(const TextFont& logical, const std::string& text, int32_t lx, int32_t ly,
                           Colour colour, const Area& logicalClip) {
    if (!logical_.dc) return;
    const int k = Detail();
    const TextFont font = FontAtDetail(logical, k);
    const int x = PlaceAtDetail(lx, k), y = PlaceAtDetail(ly, k);
    const Area clip = ToDetail(logicalClip, k);
    SelectFont(font);
    SetBkMode(logical_.dc, TRANSPARENT);
    SetTextColor(logical_.dc, colour & 0xFFFFFF);  // COLORREF has our layout: red lowest
    SetTextAlign(logical_.dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    // The message is UTF-8 from the store; the wide call draws every language it may hold.
    const std::wstring wide = Widen(text);
    const RECT r = {clip.left, clip.top, clip.right, clip.bottom};
    ExtTextOutW(logical_.dc, x, y, ETO_CLIPPED, &r, wide.data(), static_cast<UINT>(wide.size()),
                nullptr);
    // The compositor writes the same memory next; GDI must be done with it first.
    GdiFlush();
}

void Win32DDraw::HoldFrames(bool held) {
    if (held == framesHeld_) return;
    framesHeld_ = held;
    if (!IsOpen() || !timerSet_) return;
    if (held)
        KillTimer(window_, kFrameTimerId);
    else
        SetTimer(window_, kFrameTimerId, static_cast<UINT>(NextFrameDelayMs(refreshHz_)), nullptr);
}

bool Win32DDraw::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT& result) {
    result = 0;
    if (message == WM_TIMER && wParam == kPrepareTimerId) {
        KillTimer(window_, kPrepareTimerId);
        PrepareAhead();
        return true;
    }
    if (message == WM_TIMER && wParam == kFrameTimerId) {
        RaiseFrameDue();  // a tick still queued after closing finds the display closed
        if (IsOpen() && timerSet_ && !framesHeld_)
            SetTimer(window_, kFrameTimerId, static_cast<UINT>(NextFrameDelayMs(refreshHz_)),
                     nullptr);
        return true;
    }
    if (!IsOpen()) return false;
    switch (message) {
        case WM_WINDOWPOSCHANGING: {
            // Whoever places the window while the display is open, it covers every monitor.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            const RECT v = VirtualScreen();
            pos->x = v.left;
            pos->y = v.top;
            pos->cx = v.right - v.left;
            pos->cy = v.bottom - v.top;
            pos->flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
            return false;
        }
        case WM_WINDOWPOSCHANGED:
            FitWindowPicture();
            return false;
        case WM_DISPLAYCHANGE:
            ForgetPointer();  // even where the window's picture keeps its size and place
            CoverEveryMonitor();
            FitWindowPicture();
            return false;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(window_, &ps)) {
                PictureAsShown();
                const RECT& r = ps.rcPaint;
                const Area asked{r.left, r.top, r.right, r.bottom};
                if (const Area a = asked.Intersect(picture_); screen_.dc && !a.Empty())
                    BitBlt(dc, a.left, a.top, a.Width(), a.Height(), screen_.dc,
                           a.left - picture_.left, a.top - picture_.top, SRCCOPY);
                ShowOutsidePicture(asked);
                EndPaint(window_, &ps);
            }
            return true;
        }
        case WM_SETFOCUS:
            // Windows reports where the pointer is when focus comes back; that is no move.
            ForgetPointer();
            keysDown_.reset();
            return false;
        case WM_KILLFOCUS:
            keysDown_.reset();  // their releases go to another window
            return false;
        case WM_ERASEBKGND:
            result = 1;  // the paint covers every pixel, wall included
            return true;
        case WM_MOUSEMOVE:
            PointerAt(HeldButtons(wParam), ShiftState(), PointX(lParam), PointY(lParam));
            return true;
        case WM_LBUTTONDOWN:
            ButtonDown(1, ShiftState(), PointX(lParam), PointY(lParam));
            return true;
        case WM_RBUTTONDOWN:
            ButtonDown(2, ShiftState(), PointX(lParam), PointY(lParam));
            return true;
        case WM_MBUTTONDOWN:
            ButtonDown(4, ShiftState(), PointX(lParam), PointY(lParam));
            return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return true;  // the press was the event
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const size_t key = wParam & 0xFF;
            if (!keysDown_.test(key)) {
                keysDown_.set(key);
                KeyDown(static_cast<int16_t>(wParam), static_cast<int16_t>(ShiftState()));
            }
            return true;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            keysDown_.reset(wParam & 0xFF);
            return true;
        case WM_CHAR:
        case WM_SYSCHAR:
            return true;
        default:
            return false;
    }
}

}  // namespace hg
