#pragma once
// Sound on Linux: one ALSA stream on the "default" device for the whole process, mixing the
// crackle's looping buffers and the FluidSynth synthesizer that plays the carols.
//
// ALSA's default device is what every desktop routes to its sound server (PulseAudio and
// PipeWire both stand behind it), and a writer thread of our own is held to the clock as well
// as to the device: a device that takes samples faster than it plays them (a file, a null
// sink) still receives them at the pace a card would. One stream rather than one per control:
// a plain ALSA card takes only one writer, and the crackle and the music must both be heard.
// The stream is opened when something is to sound and closed as soon as nothing does, so a
// silent scene holds no audio device.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/mixing.h"
#include "sound/music_control.h"
#include "sound/wave_control.h"

namespace hg {

class AudioMixer {
  public:
    // Adds its sound into `out` (`frames` stereo frames); runs on the writer thread with the
    // source list locked, so it must not call back into the mixer.
    class Source {
      public:
        virtual ~Source() = default;
        virtual void MixInto(float* out, int frames) = 0;
    };

    // `mayPlay` false: another instance of the session has the sound; this one stays silent.
    explicit AudioMixer(bool mayPlay = true);
    // Waits a moment for the device thread and leaves it behind if the device holds it (a
    // card that hangs must not keep the hack from ending).
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // A lease asks for the stream to be open; the device thread opens and closes it, so the
    // caller never waits for the device. False only when this instance may not sound. Every
    // successful Acquire is matched by one Release.
    bool Acquire();
    void Release();
    // Sources are heard only while some lease is held and the device plays.
    void Attach(Source* source);
    void Detach(Source* source);

    struct Core;

  private:
    std::shared_ptr<Core> core_;
};

// The wave control's device: one looping buffer per playing wave, mixed by the mixer.
class AlsaSoundSystem : public SoundSystem {
  public:
    explicit AlsaSoundSystem(AudioMixer& mixer) : mixer_(mixer) {}
    std::unique_ptr<SoundDevice> OpenDevice() override;

  private:
    AudioMixer& mixer_;
};

// The General MIDI synthesizer: FluidSynth with the system's sound font. The font is loaded on
// the first track (once per process; a missing one is not looked for again) and the
// synthesizer is heard through the mixer only while a track plays.
class FluidOutput : public MidiOutput {
  public:
    // An empty path looks for the system's default General MIDI font.
    FluidOutput(AudioMixer& mixer, std::string soundFont);
    ~FluidOutput() override;
    // Never waits for the font: a track started while it loads is heard from the moment it
    // has loaded, its timing unchanged.
    std::unique_ptr<MidiPort> Open() override;
    // Starts reading the font on a thread of its own, so that the first carol does not hold up
    // the flames while it loads.
    void Preload();

    struct Font;

  private:
    AudioMixer& mixer_;
    std::shared_ptr<Font> font_;
};

// The sound fonts tried, in order, when none is named.
std::vector<std::string> DefaultSoundFonts();

}  // namespace hg
