#pragma once
// The music control on Windows.
#include <memory>

#include "scene/controls.h"

namespace hg {

std::unique_ptr<TegoSnd> CreateWindowsMusic();

}  // namespace hg
