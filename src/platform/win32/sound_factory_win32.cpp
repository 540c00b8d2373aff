#include <memory>

#include "platform/win32/control_factory.h"
#include "platform/win32/music_win32.h"
#include "platform/win32/wave_win32.h"

namespace hg {

namespace {

// The control owns the DirectSound system it plays through.
class DirectSoundWaveControl : public WaveControl {
  public:
    explicit DirectSoundWaveControl(std::unique_ptr<DirectSoundSystem> system)
        : WaveControl(*system), system_(std::move(system)) {}
    ~DirectSoundWaveControl() override { StopAllWaves(); }

  private:
    std::unique_ptr<DirectSoundSystem> system_;
};

}  // namespace

std::unique_ptr<TegoDS> CreateWaveControl(HWND window) {
    return std::make_unique<DirectSoundWaveControl>(std::make_unique<DirectSoundSystem>(window));
}

std::unique_ptr<ThreadedMusic> CreateMusicControl(HWND window) { return CreateWindowsMusic(); }

}  // namespace hg
