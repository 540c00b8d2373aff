#include <windows.h>

#include "win32/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The scene covers the whole screen in real pixels, whatever the display's scaling.
    SetProcessDPIAware();
    hg::App app(instance);
    return app.Run();
}
