#include "controls/null_controls.h"
#include "win32/control_factory.h"

namespace hg {

DrawingControl CreateDrawingControl(HWND window) {
    DrawingControl made;
    made.control = std::make_unique<NullDDrw>();
    return made;
}

}  // namespace hg
