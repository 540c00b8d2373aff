#pragma once
// The wave-sound control: numbered waves loaded from files, each played through its own looping
// buffer. The audio device is opened on the first play and closed again as soon as nothing
// plays, so a silent scene holds no audio stream and the machine may still go to sleep.
#include <map>
#include <memory>

#include "media/byte_reader.h"
#include "media/wav_file.h"
#include "scene/controls.h"

namespace hg {

// DirectSound's range, in hundredths of a decibel.
inline constexpr int32_t kSilentVolume = -10000;
inline constexpr int32_t kFullVolume = 0;

class SoundBuffer {
  public:
    virtual ~SoundBuffer() = default;
    // From the start, repeating until stopped or released.
    virtual void PlayLooped() = 0;
    virtual void SetVolume(int32_t hundredthsOfDb) = 0;
};

class SoundDevice {
  public:
    virtual ~SoundDevice() = default;
    // A buffer holding the wave, or null when the device will not take it.
    virtual std::unique_ptr<SoundBuffer> CreateBuffer(const WaveFile& wave) = 0;
};

class SoundSystem {
  public:
    virtual ~SoundSystem() = default;
    // The output device, or null when there is none.
    virtual std::unique_ptr<SoundDevice> OpenDevice() = 0;
};

class WaveControl : public TegoDS {
  public:
    // A null loader reads from disk.
    WaveControl(SoundSystem& system, FileLoader loader = nullptr);
    ~WaveControl() override;

    // 0 when the file is missing or not a wave we play; every operation accepts 0 as "nothing".
    int32_t LoadWave(const std::string& path) override;
    void DropWave(int32_t buffer) override;
    void PlayWaveLooped(int32_t buffer) override;
    void StopAllWaves() override;
    void SetWaveVolume(int32_t buffer, int32_t volume) override;
    // Only 0 ("as loaded") is ever asked for; other values change nothing either.
    void TuneWave(int32_t buffer, int32_t value) override {}

    bool DeviceOpen() const { return device_ != nullptr; }

  private:
    struct Wave {
        WaveFile file;
        int32_t volume = kFullVolume;
        std::unique_ptr<SoundBuffer> playing;  // set while it plays
    };
    void CloseDeviceIfSilent();

    SoundSystem& system_;
    FileLoader loader_;
    std::map<int32_t, Wave> waves_;
    int32_t lastNumber_ = 0;
    std::unique_ptr<SoundDevice> device_;
};

}  // namespace hg
