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
    // A Unicode window, as the settings window is, titled as the command line says.
    std::wstring wide(strlen(title) + 1, L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, title, -1, wide.data(), static_cast<int>(wide.size())) - 1));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"HgProbeHost";
    RegisterClassW(&wc);
    DWORD style = WS_OVERLAPPEDWINDOW;
    RECT r = {0, 0, clientW, clientH};
    AdjustWindowRect(&r, style, FALSE);
    HWND w =
        CreateWindowW(L"HgProbeHost", wide.c_str(), style | WS_VISIBLE, 10, 10, r.right - r.left,
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

// Waits for a process to end while answering the messages our windows are sent meanwhile (the
// other process may wait on them); whether it ended.
bool WaitPumping(HANDLE process, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const LONG left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        const DWORD r =
            MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

HANDLE Start(const std::string& commandLine, DWORD* processId = nullptr) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cl = commandLine;
    if (!CreateProcessA(nullptr, cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    if (processId) *processId = pi.dwProcessId;
    return pi.hProcess;
}

// The preview's window inside the host, once it is there (or null after five seconds). The
// preview becomes a child first and is sized and shown a moment later, so this waits for it to
// be shown too (and returns it hidden if it never is).
HWND WaitForChild(HWND host) {
    HWND child = nullptr;
    for (int i = 0; i < 100 && !(child && IsWindowVisible(child)); ++i) {
        Pump(50);
        child = FindWindowExA(host, nullptr, nullptr, nullptr);
    }
    return child;
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
    HWND child = WaitForChild(host);
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

// keep-preview <scr> <client-w> <client-h> <title> <seconds>: hosts the preview in a pane of
// that size in a window of that title, says so, and keeps both for that long.
int KeepPreview(const char* scr, int w, int h, const char* title, int seconds) {
    HWND host = MakeWindow(title, w, h);
    char cl[512];
    snprintf(cl, sizeof cl, "\"%s\" /p %lu", scr, (unsigned long)(uintptr_t)host);
    HANDLE proc = Start(cl);
    if (!proc) {
        printf("start-failed\n");
        return 2;
    }
    HWND child = WaitForChild(host);
    printf("%s\n", child && IsWindowVisible(child) ? "preview-shown" : "no-child");
    Pump(static_cast<DWORD>(seconds) * 1000);
    DestroyWindow(host);
    WaitForSingleObject(proc, 5000);
    CloseHandle(proc);
    return 0;
}

// host-config <scr> <handle|host>: starts "/c:<handle>" (with "host", a window of ours) and
// reports the dialog's owner, whether it has a taskbar button of its own and whether the host
// could be used meanwhile; then closes the dialog and reports the host again.
int HostConfig(const char* scr, const char* handle) {
    HWND host = MakeWindow("Settings Host", 300, 200);
    char cl[512];
    if (!strcmp(handle, "host"))
        snprintf(cl, sizeof cl, "\"%s\" /c:%lu", scr, (unsigned long)(uintptr_t)host);
    else
        snprintf(cl, sizeof cl, "\"%s\" /c:%s", scr, handle);
    DWORD pid = 0;
    HANDLE proc = Start(cl, &pid);
    if (!proc) {
        printf("start-failed\n");
        return 2;
    }
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !(dialog && IsWindowVisible(dialog)); ++i) {
        Pump(50);
        dialog = FindWindowW(L"HearthglowSetup", nullptr);
    }
    if (!dialog) {
        printf("no-dialog\n");
        TerminateProcess(proc, 1);
        return 1;
    }
    Pump(500);  // the dialog settles in
    HWND owner = GetWindow(dialog, GW_OWNER);
    const LONG ex = GetWindowLongW(dialog, GWL_EXSTYLE);
    printf("owner=%s appwindow=%d host-enabled=%d\n",
           owner == host ? "host"
           : owner       ? "other"
                         : "none",
           (ex & WS_EX_APPWINDOW) ? 1 : 0, IsWindowEnabled(host) ? 1 : 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    const bool ended = WaitPumping(proc, 8000);
    Pump(200);
    printf("ended=%d host-enabled=%d\n", ended ? 1 : 0, IsWindowEnabled(host) ? 1 : 0);
    if (!ended) TerminateProcess(proc, 1);
    CloseHandle(proc);
    DestroyWindow(host);
    return 0;
}

// orphan-host <scr>: hosts a preview, then ends without destroying the host window, as a
// settings window does when its process is killed. Prints the preview's process id.
int OrphanHost(const char* scr) {
    HWND host = MakeWindow("Orphan Host", 200, 150);
    char cl[512];
    snprintf(cl, sizeof cl, "\"%s\" /p %lu", scr, (unsigned long)(uintptr_t)host);
    DWORD pid = 0;
    if (!Start(cl, &pid)) {
        printf("start-failed\n");
        return 2;
    }
    HWND child = WaitForChild(host);
    printf("preview-pid %lu child=%d\n", pid, child ? 1 : 0);
    ExitProcess(0);
}

// wait-process <pid> <seconds>: whether that process ends within the time.
int WaitProcess(unsigned long pid, int seconds) {
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!p) {
        printf("ended=1 (gone)\n");
        return 0;
    }
    DWORD start = GetTickCount();
    DWORD wait = WaitForSingleObject(p, static_cast<DWORD>(seconds) * 1000);
    printf("ended=%d after %lu ms\n", wait == WAIT_OBJECT_0 ? 1 : 0, GetTickCount() - start);
    CloseHandle(p);
    return 0;
}

// text-mask <utf-8 in hex> <height> <wide|ansi> <rows>: draws the text as the scene draws its
// message (Arial of that cell height, yellow, at 100, 1 of an 800 x 600 RGB565 bitmap) and
// prints, for the top rows, 1 where a pixel is clearly yellow, 0 where it clearly is not and ?
// at the edges of the letters, which the background may tip either way. "ansi" draws what is
// left of the text after the ANSI code page, as a narrow drawing call would.
int TextMask(const char* hex, int height, const char* how, int rows) {
    std::string utf8;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        char pair[3] = {hex[i], hex[i + 1], 0};
        utf8.push_back(static_cast<char>(strtoul(pair, nullptr, 16)));
    }
    std::wstring text(utf8.size() + 1, L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    text.data(), static_cast<int>(text.size())));
    if (!strcmp(how, "ansi")) {
        std::string narrow(text.size() * 2 + 1, '\0');
        narrow.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                          narrow.data(), static_cast<int>(narrow.size()), nullptr,
                                          nullptr));
        text.assign(narrow.size() + 1, L'\0');
        text.resize(MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                                        text.data(), static_cast<int>(text.size())));
    }
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 800;
    info.header.biHeight = -600;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib);
    HFONT font =
        CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 0));
    TextOutW(dc, 100, 1, text.data(), static_cast<int>(text.size()));
    GdiFlush();
    const auto* px = static_cast<const uint16_t*>(bits);
    printf("mask 800 %d\n", rows);
    std::string line(800, '0');
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < 800; ++x) {
            const uint16_t p = px[y * 800 + x];
            const int r = (p >> 11) * 255 / 31, g = ((p >> 5) & 63) * 255 / 63,
                      b = (p & 31) * 255 / 31;
            const int yellow = (r < g ? r : g) - b;
            line[x] = yellow >= 160 ? '1' : yellow < 96 ? '0' : '?';
        }
        printf("%s\n", line.c_str());
    }
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
    if (argc >= 7 && !strcmp(argv[1], "keep-preview"))
        return KeepPreview(argv[2], atoi(argv[3]), atoi(argv[4]), argv[5], atoi(argv[6]));
    if (argc >= 4 && !strcmp(argv[1], "host-config")) return HostConfig(argv[2], argv[3]);
    if (argc >= 3 && !strcmp(argv[1], "orphan-host")) return OrphanHost(argv[2]);
    if (argc >= 6 && !strcmp(argv[1], "text-mask"))
        return TextMask(argv[2], atoi(argv[3]), argv[4], atoi(argv[5]));
    if (argc >= 4 && !strcmp(argv[1], "wait-process"))
        return WaitProcess(strtoul(argv[2], nullptr, 0), atoi(argv[3]));
    if (argc >= 4 && !strcmp(argv[1], "syscommand"))
        return SysCommand(argv[2], strtoul(argv[3], nullptr, 0), argc >= 5 ? atol(argv[4]) : 2);
    fprintf(stderr,
            "usage: probe "
            "host-preview|keep-preview|host-config|orphan-host|wait-process|text-mask|make-window|"
            "window-info|syscommand ...\n");
    return 2;
}
