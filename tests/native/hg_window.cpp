// A plain window for the end-to-end tests to hand to hearthglow -window-id, as xscreensaver
// hands it one: hg_window X Y WIDTH HEIGHT RRGGBB. Prints the window's id, then waits; when the
// test ends it, the server destroys the window.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: hg_window X Y WIDTH HEIGHT RRGGBB\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    const int s = DefaultScreen(d);
    XSetWindowAttributes wa = {};
    wa.background_pixel = std::strtoul(argv[5], nullptr, 16);  // the 24-bit visual's own form
    wa.override_redirect = True;  // placed where asked, whatever window manager there is
    Window w = XCreateWindow(d, RootWindow(d, s), std::atoi(argv[1]), std::atoi(argv[2]),
                             std::strtoul(argv[3], nullptr, 10), std::strtoul(argv[4], nullptr, 10),
                             0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWOverrideRedirect, &wa);
    XStoreName(d, w, "hg_window");
    XMapWindow(d, w);
    XSync(d, False);
    std::printf("0x%lx\n", w);
    std::fflush(stdout);
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
    }
}
