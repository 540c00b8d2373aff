#pragma once
// Sound on Linux: one SDL2 audio stream for the whole process, mixing the crackle's looping
// buffers and the FluidSynth synthesizer that plays the carols.
//
// One stream rather than one per control: the desktop's sound server would mix two just as
// well, but a plain ALSA device (or a file device in the tests) takes only one writer, and the
// crackle and the music must both be heard there. The stream is opened when something is to
// sound and closed as soon as nothing does, so a silent scene holds no audio device.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "controls/music_control.h"
#include "controls/wave_control.h"

namespace hg {

// Everything is mixed as interleaved stereo float at this rate; SDL converts for the device.
inline constexpr int kMixRate = 44100;

class AudioMixer {
public:
    // Adds its sound into `out` (`frames` stereo frames); runs on SDL's audio thread with the
    // mixer's lock held, so it must not call back into the mixer.
    class Source {
    public:
        virtual ~Source() = default;
        virtual void MixInto(float* out, int frames) = 0;
    };

    AudioMixer() = default;
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // A lease keeps the stream open; false when there is no audio device. Every successful
    // Acquire is matched by one Release.
    bool Acquire();
    void Release();
    // Sources are heard only while some lease is held.
    void Attach(Source* source);
    void Detach(Source* source);

private:
    static void Callback(void* self, uint8_t* stream, int bytes);

    // Serialises the controls' calls, which come from the user-interface thread and, for the
    // music, from the sequencer's worker; SDL's device lock keeps the source list still while
    // the audio thread mixes it.
    std::mutex lock_;
    uint32_t device_ = 0;
    int leases_ = 0;
    bool sdlReady_ = false;
    std::vector<Source*> sources_;
};

// Hundredths of a decibel (0 full, -10000 silent) as a linear gain.
float GainOf(int32_t hundredthsOfDb);

// The wave control's device: one looping buffer per playing wave, mixed by the mixer.
class SdlSoundSystem : public SoundSystem {
public:
    explicit SdlSoundSystem(AudioMixer& mixer) : mixer_(mixer) {}
    std::unique_ptr<SoundDevice> OpenDevice() override;

private:
    AudioMixer& mixer_;
};

// The wave as interleaved stereo float at kMixRate, ready to mix; empty when it cannot be had.
std::vector<float> ConvertForMixing(const WaveFile& wave);

// The General MIDI synthesizer: FluidSynth with the system's sound font. The font is loaded on
// the first track (once per process; a missing one is not retried) and the synthesizer is
// heard through the mixer only while a track plays.
class FluidOutput : public MidiOutput {
public:
    // An empty path looks for Debian's default General MIDI font.
    FluidOutput(AudioMixer& mixer, std::string soundFont);
    ~FluidOutput() override;
    std::unique_ptr<MidiPort> Open() override;

private:
    struct Synth;
    bool Load();

    AudioMixer& mixer_;
    std::string soundFont_;
    std::unique_ptr<Synth> synth_;
    bool loadFailed_ = false;
};

// The sound fonts tried, in order, when none is named.
std::vector<std::string> DefaultSoundFonts();

}  // namespace hg
