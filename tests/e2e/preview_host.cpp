// The preview form of the screen saver, hosted by a window of this process: under Wine a child
// window of another process paints nothing that reaches the X screen, so the end-to-end tests
// look at the preview here, through the same App::ShowPreview the "/p" switch runs.
//
//   preview_host <pane-width> <pane-height> <out-prefix> [seconds]
//
// writes <out-prefix>.bmp, what the preview paints into a bitmap of the pane's size (magenta
// where it paints nothing), and <out-prefix>-small.bmp, the built-in 153 x 115 picture as it is;
// then keeps the window on the screen for `seconds` (for a screenshot).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/app.h"

namespace {

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

HWND MakeHost(int clientW, int clientH) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    wc.lpszClassName = "HgPreviewHost";
    RegisterClassA(&wc);
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT r = {0, 0, clientW, clientH};
    AdjustWindowRect(&r, style, FALSE);
    return CreateWindowA("HgPreviewHost", "Preview Host", style | WS_VISIBLE, 10, 10,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
}

// A 32-bit top-down picture of w x h with a DC to paint into, magenta until painted.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int w, h;
    Canvas(int width, int height) : w(width), h(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        for (int i = 0; i < w * h; ++i) bits[i] = 0x00FF00FF;
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    bool Write(const std::string& path) const {
        const int row = (w * 3 + 3) & ~3;
        BITMAPFILEHEADER fh = {};
        BITMAPINFOHEADER ih = {};
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof fh + sizeof ih;
        fh.bfSize = fh.bfOffBits + static_cast<DWORD>(row * h);
        ih.biSize = sizeof ih;
        ih.biWidth = w;
        ih.biHeight = h;  // the file's rows run bottom-up
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        FILE* f = fopen(path.c_str(), "wb");
        if (!f) return false;
        fwrite(&fh, sizeof fh, 1, f);
        fwrite(&ih, sizeof ih, 1, f);
        std::string line(static_cast<size_t>(row), '\0');
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = bits[y * w + x];
                line[x * 3] = static_cast<char>(p & 0xFF);
                line[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
                line[x * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
            }
            fwrite(line.data(), 1, line.size(), f);
        }
        return fclose(f) == 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 4) {
        fprintf(stderr, "usage: preview_host <pane-width> <pane-height> <out-prefix> [seconds]\n");
        return 2;
    }
    const int w = atoi(argv[1]), h = atoi(argv[2]);
    const std::string out = argv[3];
    SetProcessDPIAware();
    hg::App app(GetModuleHandleA(nullptr));
    HWND host = MakeHost(w, h);
    app.ShowPreview(static_cast<int32_t>(reinterpret_cast<intptr_t>(host)), w, h);
    Pump(500);
    HWND child = FindWindowExA(host, nullptr, hg::kPreviewClass, nullptr);
    if (!child) {
        printf("no-preview\n");
        return 1;
    }
    RECT rc = {};
    GetClientRect(child, &rc);
    Canvas pane(w, h);
    PrintWindow(child, pane.dc, PW_CLIENTONLY);
    GdiFlush();
    Canvas small(hg::PreviewPicture::kWidth, hg::PreviewPicture::kHeight);
    if (HBITMAP picture = LoadBitmapA(GetModuleHandleA(nullptr), "PREVIEW")) {
        HDC memory = CreateCompatibleDC(small.dc);
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(small.dc, 0, 0, small.w, small.h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(picture);
        GdiFlush();
    }
    const bool written = pane.Write(out + ".bmp") && small.Write(out + "-small.bmp");
    printf("preview %ld %ld written=%d\n", rc.right, rc.bottom, written ? 1 : 0);
    if (argc >= 5) Pump(static_cast<DWORD>(atoi(argv[4]) * 1000));
    DestroyWindow(host);
    return 0;
}
