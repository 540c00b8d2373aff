// The preview picture, the small form of the start-up.
#include "platform/win32/app.h"
#include "platform/win32/guarded.h"

namespace hg {

namespace {

constexpr int kPreviewWidth = 153;
constexpr int kPreviewHeight = 115;

App* AppOf(HWND window) { return reinterpret_cast<App*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

void RememberApp(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
}

LRESULT PreviewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            App* app = AppOf(window);
            // The picture sits at the top-left corner at its own size, never stretched.
            HBITMAP picture =
                app ? LoadBitmapA(app->Instance(), "PREVIEW") : static_cast<HBITMAP>(nullptr);
            if (picture) {
                HDC mem = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(mem, picture);
                BitBlt(dc, 0, 0, kPreviewWidth, kPreviewHeight, mem, 0, 0, SRCCOPY);
                SelectObject(mem, old);
                DeleteDC(mem);
                DeleteObject(picture);
            }
            EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY:
            if (App* app = AppOf(window)) app->WindowClosed(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RememberApp(window, message, lParam);
    return Guarded([&] { return PreviewMessage(window, message, wParam, lParam); });
}

}  // namespace

HWND CreatePreviewWindow(App& app) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PreviewProc;
    wc.hInstance = app.Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kPreviewClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, kPreviewClass, "Preview", WS_POPUP, 0, 0, kPreviewWidth,
                                  kPreviewHeight, nullptr, nullptr, app.Instance(), &app);
    if (window) app.WindowOpened();
    return window;
}

}  // namespace hg
