// What the dialog draws itself: the frames, the panes with their shapes and lines, the labels
// with a list in their gap, the pictures, and the colours of the widgets Windows draws.
#include "platform/win32/dialog_widgets.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace hg {

using namespace dialog_parts;

namespace {

COLORREF ToColorRef(Colour c) { return static_cast<COLORREF>(c & 0xFFFFFF); }

}  // namespace

void dialog_parts::SplitAtGap(const std::wstring& caption, std::wstring& before,
                              std::wstring& after) {
    size_t gap = caption.find(L"  ");
    if (gap == std::wstring::npos) {
        before = caption;
        after.clear();
        return;
    }
    before = caption.substr(0, gap);
    size_t rest = caption.find_first_not_of(L' ', gap);
    after = rest == std::wstring::npos ? L"" : caption.substr(rest);
}

void DialogWindow::DrawGapLabel(const DRAWITEMSTRUCT& item) {
    const Widget* w = WidgetOf(item.hwndItem);
    if (!w) return;
    std::wstring before, after;
    SplitAtGap(Widen(w->row.caption), before, after);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(item.hDC, FontFor(w->row.font));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    RECT r = item.rcItem;
    DrawTextW(item.hDC, before.c_str(), static_cast<int>(before.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    DrawTextW(item.hDC, after.c_str(), static_cast<int>(after.size()), &r,
              DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

HBRUSH DialogWindow::Brush(Colour colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    HBRUSH b = CreateSolidBrush(ToColorRef(colour));
    brushes_[colour] = b;
    return b;
}

LRESULT DialogWindow::OnColour(HDC dc, HWND control) {
    Widget* w = WidgetOf(control);
    if (w && w->row.fore != kSystemColour) SetTextColor(dc, ToColorRef(w->row.fore));
    if (w && w->row.back != kSystemColour) {
        SetBkColor(dc, ToColorRef(w->row.back));
        return reinterpret_cast<LRESULT>(Brush(w->row.back));
    }
    if (w && (w->row.kind == Kind::TextBox || w->row.kind == Kind::MultiLineText)) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

DialogWindow::FrameParts DialogWindow::FramePartsOf(HDC dc, const ControlRow& row,
                                                    const RECT& r) const {
    HGDIOBJ old = SelectObject(dc, FontFor(row.font));
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    const std::wstring text = Widen(row.caption);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    FrameParts parts;
    parts.edge = r;
    parts.edge.top += tm.tmHeight / 2;
    parts.textLeft = r.left + Px(120);
    parts.caption = {parts.textLeft - 2, r.top, parts.textLeft + size.cx + 2, r.top + tm.tmHeight};
    return parts;
}

void DialogWindow::DrawFrame(HDC dc, const ControlRow& row, const RECT& r) {
    const FrameParts parts = FramePartsOf(dc, row, r);
    RECT edge = parts.edge;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    HGDIOBJ old = SelectObject(dc, FontFor(row.font));
    const std::wstring text = Widen(row.caption);
    SetTextColor(dc, row.fore == kSystemColour ? GetSysColor(COLOR_BTNTEXT) : ToColorRef(row.fore));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    ExtTextOutW(dc, parts.textLeft, r.top, ETO_OPAQUE, &parts.caption, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
    SelectObject(dc, old);
}

void DialogWindow::PaintFrame(HWND frame, HDC dc) {
    const Widget* w = WidgetOf(frame);
    if (!w) return;
    RECT client;
    GetClientRect(frame, &client);
    const int saved = SaveDC(dc);
    SetBkMode(dc, OPAQUE);
    DrawFrame(dc, w->row, client);
    RestoreDC(dc, saved);
}

void DialogWindow::PaintPane(HWND pane, HDC dc) {
    // The DC may be a themed control's, lent to draw what lies behind it: leave it as it was.
    const int saved = SaveDC(dc);
    RECT client;
    GetClientRect(pane, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const Widget* paneWidget = WidgetOf(pane);
    if (paneWidget && paneWidget->row.kind == Kind::Strip) {
        RECT top = client;
        DrawEdge(dc, &top, EDGE_ETCHED, BF_TOP);
    }
    SetBkMode(dc, OPAQUE);
    for (const ControlRow& row : layout_.rows) {
        // The frames too: their group boxes cover them, but a themed control that asks for
        // what lies behind it gets the page, lines and all.
        if (!IsDrawn(row.kind) && row.kind != Kind::Frame) continue;
        const ControlRow* parent = layout_.WindowParent(row);
        if (!paneWidget || parent != &paneWidget->row) continue;
        RECT r = PixelRect(row);
        if (row.kind == Kind::Shape) {
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        } else if (row.kind == Kind::Line) {
            // An etched rule: shadow, then light beside it.
            RECT shadow = {r.left, r.top, std::max(r.right, r.left + 1),
                           std::max(r.bottom, r.top + 1)};
            FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
            OffsetRect(&shadow, r.right == r.left ? 1 : 0, r.bottom == r.top ? 1 : 0);
            FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        } else {
            DrawFrame(dc, row, r);
        }
    }
    RestoreDC(dc, saved);
}

void DialogWindow::PaintPicture(HWND picture, HDC dc) {
    RECT client;
    GetClientRect(picture, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const Widget* w = WidgetOf(picture);
    if (!w || w->row.picture.empty()) return;
    const std::string& name = w->row.picture;
    if (!pictures_.count(name)) {
        // Decoded once, from the JPEG built into the program.
        std::vector<uint8_t>& pixels = pictures_[name];
        SIZE& size = pictureSizes_[name];
        size = {0, 0};
        HMODULE module = GetModuleHandleW(nullptr);
        HRSRC res = FindResourceW(module, Widen(name).c_str(), MAKEINTRESOURCEW(10));  // RCDATA
        HGLOBAL data = res ? LoadResource(module, res) : nullptr;
        const void* bytes = data ? LockResource(data) : nullptr;
        int width = 0, height = 0, channels = 0;
        stbi_uc* rgba = bytes ? stbi_load_from_memory(static_cast<const stbi_uc*>(bytes),
                                                      static_cast<int>(SizeofResource(module, res)),
                                                      &width, &height, &channels, 4)
                              : nullptr;
        if (rgba) {
            pixels.resize(static_cast<size_t>(width) * height * 4);
            for (size_t i = 0; i < pixels.size(); i += 4) {
                pixels[i] = rgba[i + 2];
                pixels[i + 1] = rgba[i + 1];
                pixels[i + 2] = rgba[i];
                pixels[i + 3] = 0;
            }
            stbi_image_free(rgba);
            size = {width, height};
        }
    }
    const SIZE size = pictureSizes_[name];
    if (size.cx == 0) return;
    // The picture at its own size scaled by the DPI, in the middle of its box.
    const int width = std::min<int>(MulDiv(size.cx, static_cast<int>(dpi_), 96), client.right);
    const int height = std::min<int>(MulDiv(size.cy, static_cast<int>(dpi_), 96), client.bottom);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, (client.right - width) / 2, (client.bottom - height) / 2, width, height, 0, 0,
                  size.cx, size.cy, pictures_[name].data(), &bi, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace hg
