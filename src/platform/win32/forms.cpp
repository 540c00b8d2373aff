// The preview picture, the small form of the start-up.
#include "platform/win32/app.h"
#include "platform/win32/guarded.h"

namespace hg {

namespace {

constexpr int kPreviewWidth = PreviewPicture::kWidth;
constexpr int kPreviewHeight = PreviewPicture::kHeight;

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
            RECT client = {};
            GetClientRect(window, &client);
            if (App* app = AppOf(window))
                app->PreviewPainter().Paint(dc, client.right, client.bottom);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            // What a capture of the window (PrintWindow) asks for: the same picture.
            RECT client = {};
            GetClientRect(window, &client);
            if (App* app = AppOf(window))
                app->PreviewPainter().Paint(reinterpret_cast<HDC>(wParam), client.right,
                                            client.bottom);
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
    // Scaled to cover the pane, the whole picture changes with the pane's size.
    wc.style = CS_HREDRAW | CS_VREDRAW;
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
