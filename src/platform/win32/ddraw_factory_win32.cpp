#include "platform/win32/control_factory.h"
#include "platform/win32/ddraw_win32.h"

namespace hg {

// The presenter makes nothing of the platform's until the display is opened, so it can always
// be made; a display that cannot be shown is reported by OpenDisplay instead.
DrawingControl CreateDrawingControl(HWND window) {
    auto control = std::make_unique<Win32DDraw>(window);
    DrawingControl made;
    made.hook = control.get();
    made.control = std::move(control);
    return made;
}

}  // namespace hg
