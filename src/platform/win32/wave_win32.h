#pragma once
// The DirectSound output of the wave-sound control.
#include <windows.h>

#include "sound/wave_control.h"

namespace hg {

class DirectSoundSystem : public SoundSystem {
  public:
    // DirectSound ties its focus to a window; without one the desktop stands in.
    explicit DirectSoundSystem(HWND window) : window_(window) {}
    std::unique_ptr<SoundDevice> OpenDevice() override;

  private:
    HWND window_;
};

}  // namespace hg
