#pragma once
// Xlib sends every protocol error to one handler for the whole process, and its default handler
// ends the process. Ours counts them instead: a window of xscreensaver's that goes away, or a
// server that refuses shared memory, must not end the run with a message on the terminal.
#include <X11/Xlib.h>

namespace hg {

// Installs the counting handler; the previous one is put back when the last trap goes.
void InstallXErrorHandler();

// Errors caused by the requests made while the trap lives.
class XErrorTrap {
  public:
    explicit XErrorTrap(Display* display);
    // Waits for the server to answer every request so far, then tells whether any failed.
    bool Failed();

  private:
    Display* display_;
    unsigned long start_;
};

}  // namespace hg
