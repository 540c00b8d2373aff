#include "platform/linux/x_errors.h"

#include <atomic>

namespace hg {

namespace {

// Xlib's handler takes no context pointer, so what it learns has to live at namespace scope.
// The last failed request's serial number is enough for a trap to tell whether it failed.
std::atomic<unsigned long> lastErrorSerial{0};

int CountError(Display*, XErrorEvent* error) {
    lastErrorSerial = error->serial;
    return 0;
}

}  // namespace

void InstallXErrorHandler() { XSetErrorHandler(CountError); }

XErrorTrap::XErrorTrap(Display* display) : display_(display), start_(NextRequest(display)) {}

bool XErrorTrap::Failed() {
    XSync(display_, False);
    return lastErrorSerial >= start_;
}

}  // namespace hg
