#include <windows.h>

#include "platform/win32/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The scene covers the whole screen in real pixels, whatever the display's scaling. The
    // manifest asks for per-monitor awareness; this call only serves where it is not read.
    SetProcessDPIAware();
    hg::App app(instance);
    return app.Run();
}
