#include "controls/ddraw_win32.h"

#include <algorithm>

#include "win32/wide_text.h"

namespace hg {

namespace {

constexpr size_t kMaxCachedFonts = 16;
// A hand-edited font size must not ask GDI for a font taller than the whole display.
constexpr int32_t kMaxFontHeight = Compositor::kHeight;

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

}  // namespace

Win32DDraw::Win32DDraw(HWND window)
    : DDrawControl([] { return static_cast<uint32_t>(GetTickCount()); }), window_(window) {}

Win32DDraw::~Win32DDraw() { CloseDisplay(); }

uint16_t* Win32DDraw::OpenPresentation() {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = Compositor::kWidth;
    info.header.biHeight = -Compositor::kHeight;  // top-down, as the compositor's rows run
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* bits = nullptr;
    dib_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                            nullptr, 0);
    memory_ = dib_ ? CreateCompatibleDC(nullptr) : nullptr;
    if (memory_) previousBitmap_ = SelectObject(memory_, dib_);
    timerSet_ = memory_ && bits && SetTimer(window_, kFrameTimerId, kFrameMs, nullptr) != 0;
    if (!timerSet_) {
        ClosePresentation();
        return nullptr;
    }
    presented_ = false;
    return static_cast<uint16_t*>(bits);
}

void Win32DDraw::ClosePresentation() {
    if (timerSet_) KillTimer(window_, kFrameTimerId);
    timerSet_ = false;
    if (memory_) {
        if (previousFont_) SelectObject(memory_, previousFont_);
        if (previousBitmap_) SelectObject(memory_, previousBitmap_);
        DeleteDC(memory_);
    }
    memory_ = nullptr;
    previousFont_ = previousBitmap_ = nullptr;
    for (auto& [key, font] : fonts_) DeleteObject(font);
    fonts_.clear();
    if (dib_) DeleteObject(dib_);
    dib_ = nullptr;
}

Letterbox Win32DDraw::View() const {
    RECT client = {};
    GetClientRect(window_, &client);
    return Letterbox::For(client.right - client.left, client.bottom - client.top);
}

void Win32DDraw::PresentTo(HDC dc) {
    RECT client = {};
    GetClientRect(window_, &client);
    const Letterbox v = Letterbox::For(client.right, client.bottom);
    auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT bars[4] = {
        {0, 0, client.right, v.y},
        {0, v.y + v.height, client.right, client.bottom},
        {0, v.y, v.x, v.y + v.height},
        {v.x + v.width, v.y, client.right, v.y + v.height},
    };
    for (const RECT& r : bars)
        if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, black);
    if (v.width == Compositor::kWidth && v.height == Compositor::kHeight) {
        BitBlt(dc, v.x, v.y, v.width, v.height, memory_, 0, 0, SRCCOPY);
    } else {
        // Nearest pixel, not HALFTONE: smoothing cost six times the CPU under Wine for a
        // picture that is mostly soft flames anyway.
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, v.x, v.y, v.width, v.height, memory_, 0, 0, Compositor::kWidth,
                   Compositor::kHeight, SRCCOPY);
    }
}

void Win32DDraw::Present() {
    if (!memory_) return;
    if (HDC dc = GetDC(window_)) {
        PresentTo(dc);
        ReleaseDC(window_, dc);
    }
    presented_ = true;
}

HFONT Win32DDraw::FontFor(const TextFont& font) {
    const int32_t height = font.size <= 0 ? 0 : std::min(font.size, kMaxFontHeight);
    auto key = std::make_tuple(font.face, height, font.bold, font.italic, font.underline);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    if (fonts_.size() >= kMaxCachedFonts) {
        SelectObject(memory_, previousFont_);
        previousFont_ = nullptr;
        for (auto& [k, f] : fonts_) DeleteObject(f);
        fonts_.clear();
    }
    // A positive height asks for the character cell's height; zero is GDI's default size.
    HFONT made = CreateFontW(
        height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE,
        font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
        ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, Widen(font.face).c_str());
    if (made) fonts_[key] = made;
    return made;
}

void Win32DDraw::PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                           Colour colour) {
    if (!memory_) return;
    HFONT f = FontFor(font);
    if (f) {
        HGDIOBJ old = SelectObject(memory_, f);
        if (!previousFont_) previousFont_ = old;
    }
    SetBkMode(memory_, TRANSPARENT);
    SetTextColor(memory_, colour & 0xFFFFFF);  // COLORREF has our layout: red lowest
    SetTextAlign(memory_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    // The message is UTF-8 from the store; the wide call draws every language it may hold.
    const std::wstring wide = Widen(text);
    TextOutW(memory_, x, y, wide.data(), static_cast<int>(wide.size()));
    // The compositor writes the same memory next; GDI must be done with it first.
    GdiFlush();
}

bool Win32DDraw::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT& result) {
    result = 0;
    if (message == WM_TIMER && wParam == kFrameTimerId) {
        RaiseFrameDue();  // a tick still queued after closing finds the display closed
        return true;
    }
    if (!IsOpen()) return false;
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(window_, &ps)) {
                PresentTo(dc);
                EndPaint(window_, &ps);
            }
            return true;
        }
        case WM_SETFOCUS:
            // Windows reports where the pointer is when focus comes back; that is no move.
            ForgetPointer();
            return false;
        case WM_ERASEBKGND:
            result = 1;  // the paint covers every pixel, bars included
            return true;
        case WM_MOUSEMOVE:
            PointerAt(HeldButtons(wParam), ShiftState(), PointX(lParam), PointY(lParam), View());
            return true;
        case WM_LBUTTONDOWN:
            ButtonDown(1, ShiftState(), PointX(lParam), PointY(lParam), View());
            return true;
        case WM_RBUTTONDOWN:
            ButtonDown(2, ShiftState(), PointX(lParam), PointY(lParam), View());
            return true;
        case WM_MBUTTONDOWN:
            ButtonDown(4, ShiftState(), PointX(lParam), PointY(lParam), View());
            return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return true;  // the press was the event
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            // A held key repeats; it is still one action.
            if (!(lParam & (1L << 30)))
                KeyDown(static_cast<int16_t>(wParam), static_cast<int16_t>(ShiftState()));
            return true;
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
        case WM_SYSCHAR:
            return true;
        default:
            return false;
    }
}

}  // namespace hg
