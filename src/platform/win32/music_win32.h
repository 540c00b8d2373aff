#pragma once
// The music control on Windows.
#include <memory>

#include "sound/threaded_music.h"

namespace hg {

std::unique_ptr<ThreadedMusic> CreateWindowsMusic();

}  // namespace hg
