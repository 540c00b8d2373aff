#include "controls/null_controls.h"
#include "win32/control_factory.h"

namespace hg {

std::unique_ptr<TegoDS> CreateWaveControl(HWND window) { return std::make_unique<NullDS>(); }

std::unique_ptr<TegoSnd> CreateMusicControl(HWND window) { return std::make_unique<NullSnd>(); }

}  // namespace hg
