// A small Windows program the end-to-end tests run beside the screen saver, under the same
// Wine, to do what only a Windows program can: host a preview pane, own a window with a given
// title, send window messages, and report window geometry.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

HWND MakeWindow(const char* title, int clientW, int clientH) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "HgProbeHost";
    RegisterClassA(&wc);
    DWORD style = WS_OVERLAPPEDWINDOW;
    RECT r = {0, 0, clientW, clientH};
    AdjustWindowRect(&r, style, FALSE);
    HWND w = CreateWindowA("HgProbeHost", title, style | WS_VISIBLE, 10, 10, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    return w;
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
}

HANDLE Start(const std::string& commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cl = commandLine;
    if (!CreateProcessA(nullptr, cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// host-preview <scr> <client-w> <client-h> [extra]: hosts the preview in a pane of that size.
int HostPreview(const char* scr, int w, int h, const char* tail) {
    HWND host = MakeWindow("Preview Host", w, h);
    char cl[512];
    snprintf(cl, sizeof cl, "\"%s\" /p %s", scr, tail ? tail : "");
    if (!tail) snprintf(cl, sizeof cl, "\"%s\" /p %lu", scr, (unsigned long)(uintptr_t)host);
    HANDLE proc = Start(cl);
    if (!proc) {
        printf("start-failed\n");
        return 2;
    }
    HWND child = nullptr;
    for (int i = 0; i < 100 && !child; ++i) {
        Pump(50);
        child = FindWindowExA(host, nullptr, nullptr, nullptr);
    }
    if (child) {
        RECT rc;
        GetClientRect(child, &rc);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        printf("child %s %ld %ld visible=%d childstyle=%d focus=%d\n", cls, rc.right, rc.bottom,
               IsWindowVisible(child) ? 1 : 0, (style & WS_CHILD) ? 1 : 0,
               GetForegroundWindow() == child ? 1 : 0);
    } else {
        printf("no-child\n");
    }
    // Closing the host must end the preview's process.
    DestroyWindow(host);
    DWORD wait = WaitForSingleObject(proc, 5000);
    printf("preview-ended=%d\n", wait == WAIT_OBJECT_0 ? 1 : 0);
    if (wait != WAIT_OBJECT_0) TerminateProcess(proc, 1);
    CloseHandle(proc);
    return 0;
}

int WindowInfo(const char* cls) {
    HWND w = FindWindowA(cls, nullptr);
    if (!w) {
        printf("none\n");
        return 1;
    }
    RECT r;
    GetWindowRect(w, &r);
    LONG ex = GetWindowLongA(w, GWL_EXSTYLE);
    printf("rect %ld %ld %ld %ld topmost=%d visible=%d\n", r.left, r.top, r.right, r.bottom,
           (ex & WS_EX_TOPMOST) ? 1 : 0, IsWindowVisible(w) ? 1 : 0);
    return 0;
}

int SysCommand(const char* cls, unsigned long wParam, long lParam) {
    HWND w = FindWindowA(cls, nullptr);
    if (!w) {
        printf("none\n");
        return 1;
    }
    LRESULT r = SendMessageA(w, WM_SYSCOMMAND, wParam, lParam);
    printf("sent %ld\n", static_cast<long>(r));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc >= 5 && !strcmp(argv[1], "host-preview"))
        return HostPreview(argv[2], atoi(argv[3]), atoi(argv[4]), argc >= 6 ? argv[5] : nullptr);
    if (argc >= 4 && !strcmp(argv[1], "make-window")) {
        HWND w = MakeWindow(argv[2], 300, 200);
        printf("window %lu\n", (unsigned long)(uintptr_t)w);
        Pump(static_cast<DWORD>(atoi(argv[3]) * 1000));
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "window-info")) return WindowInfo(argv[2]);
    if (argc >= 4 && !strcmp(argv[1], "syscommand"))
        return SysCommand(argv[2], strtoul(argv[3], nullptr, 0), argc >= 5 ? atol(argv[4]) : 2);
    fprintf(stderr, "usage: probe host-preview|make-window|window-info|syscommand ...\n");
    return 2;
}
