#include "linux/audio_sdl.h"

#include <SDL2/SDL.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace hg {

namespace {

// About 23 ms a period at 44.1 kHz: short enough that N stops a carol at once, long enough
// for a loaded machine.
constexpr int kPeriodFrames = 1024;

class StreamLock {
public:
    explicit StreamLock(uint32_t device) : device_(device) {
        if (device_) SDL_LockAudioDevice(device_);
    }
    ~StreamLock() {
        if (device_) SDL_UnlockAudioDevice(device_);
    }

private:
    uint32_t device_;
};

}  // namespace

float GainOf(int32_t hundredthsOfDb) {
    if (hundredthsOfDb <= kSilentVolume) return 0.0f;
    return static_cast<float>(std::pow(10.0, std::min(hundredthsOfDb, 0) / 2000.0));
}

AudioMixer::~AudioMixer() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (sdlReady_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioMixer::Acquire() {
    std::lock_guard guard(lock_);
    if (leases_ > 0) {
        ++leases_;
        return true;
    }
    if (!sdlReady_) {
        // Tried again on each start: a sound card plugged in later is then found.
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        sdlReady_ = true;
    }
    SDL_AudioSpec want = {};
    SDL_AudioSpec have = {};
    want.freq = kMixRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kPeriodFrames;
    want.callback = &AudioMixer::Callback;
    want.userdata = this;
    // No changes allowed: SDL converts to whatever the device takes, so the mix stays as is.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device_) return false;
    leases_ = 1;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void AudioMixer::Release() {
    std::lock_guard guard(lock_);
    if (leases_ == 0 || --leases_ > 0) return;
    // Closing waits for the audio thread, which never takes our lock: no deadlock.
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
}

void AudioMixer::Attach(Source* source) {
    std::lock_guard guard(lock_);
    StreamLock stream(device_);
    sources_.push_back(source);
}

void AudioMixer::Detach(Source* source) {
    std::lock_guard guard(lock_);
    StreamLock stream(device_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void AudioMixer::Callback(void* self, uint8_t* stream, int bytes) {
    auto* mixer = static_cast<AudioMixer*>(self);
    auto* out = reinterpret_cast<float*>(stream);
    const int frames = bytes / static_cast<int>(2 * sizeof(float));
    std::fill(out, out + frames * 2, 0.0f);
    for (Source* s : mixer->sources_) s->MixInto(out, frames);
    for (int i = 0; i < frames * 2; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

// ---- the crackle ---------------------------------------------------------------------------

std::vector<float> ConvertForMixing(const WaveFile& wave) {
    const WaveFormat& f = wave.format;
    const SDL_AudioFormat from = f.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioStream* conv = SDL_NewAudioStream(from, static_cast<Uint8>(f.channels),
                                               static_cast<int>(f.samplesPerSec), AUDIO_F32SYS, 2,
                                               kMixRate);
    if (!conv) return {};
    std::vector<float> out;
    if (SDL_AudioStreamPut(conv, wave.samples.data(), static_cast<int>(wave.samples.size())) == 0 &&
        SDL_AudioStreamFlush(conv) == 0) {
        out.resize(static_cast<size_t>(SDL_AudioStreamAvailable(conv)) / sizeof(float));
        int got = SDL_AudioStreamGet(conv, out.data(), static_cast<int>(out.size() * sizeof(float)));
        out.resize(got > 0 ? static_cast<size_t>(got) / sizeof(float) / 2 * 2 : 0);
    }
    SDL_FreeAudioStream(conv);
    return out;
}

namespace {

class SdlWaveBuffer : public SoundBuffer, public AudioMixer::Source {
public:
    SdlWaveBuffer(AudioMixer& mixer, std::vector<float> samples)
        : mixer_(mixer), samples_(std::move(samples)) {
        mixer_.Attach(this);
    }
    ~SdlWaveBuffer() override { mixer_.Detach(this); }

    void PlayLooped() override {
        std::lock_guard guard(state_);
        position_ = 0;
        playing_ = true;
    }
    void SetVolume(int32_t hundredthsOfDb) override {
        std::lock_guard guard(state_);
        gain_ = GainOf(hundredthsOfDb);
    }
    void MixInto(float* out, int frames) override {
        std::lock_guard guard(state_);
        if (!playing_ || samples_.empty()) return;
        const size_t total = samples_.size();
        for (int i = 0; i < frames * 2; ++i) {
            out[i] += samples_[position_] * gain_;
            if (++position_ == total) position_ = 0;
        }
    }

private:
    AudioMixer& mixer_;
    std::vector<float> samples_;
    // The buffer's own small lock: taken for a few instructions by either side.
    std::mutex state_;
    size_t position_ = 0;
    bool playing_ = false;
    float gain_ = 1.0f;
};

class SdlSoundDevice : public SoundDevice {
public:
    explicit SdlSoundDevice(AudioMixer& mixer) : mixer_(mixer) {}
    ~SdlSoundDevice() override { mixer_.Release(); }
    std::unique_ptr<SoundBuffer> CreateBuffer(const WaveFile& wave) override {
        std::vector<float> samples = ConvertForMixing(wave);
        if (samples.empty()) return nullptr;
        return std::make_unique<SdlWaveBuffer>(mixer_, std::move(samples));
    }

private:
    AudioMixer& mixer_;
};

}  // namespace

std::unique_ptr<SoundDevice> SdlSoundSystem::OpenDevice() {
    if (!mixer_.Acquire()) return nullptr;
    return std::make_unique<SdlSoundDevice>(mixer_);
}

// ---- the carols ----------------------------------------------------------------------------

std::vector<std::string> DefaultSoundFonts() {
    return {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
            "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2"};
}

struct FluidOutput::Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~Synth() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

namespace {

class FluidPort : public MidiPort, public AudioMixer::Source {
public:
    FluidPort(AudioMixer& mixer, fluid_synth_t* synth) : mixer_(mixer), synth_(synth) {
        mixer_.Attach(this);
    }
    ~FluidPort() override {
        mixer_.Detach(this);
        // The next track starts from a quiet synthesizer, reverb tail included.
        fluid_synth_system_reset(synth_);
        mixer_.Release();
    }

    // One short MIDI message, status in the lowest byte, as midiOutShortMsg takes it.
    void Send(uint32_t message) override {
        const int status = message & 0xFF;
        const int chan = status & 0x0F;
        const int d1 = (message >> 8) & 0x7F;
        const int d2 = (message >> 16) & 0x7F;
        switch (status & 0xF0) {
            case 0x80: fluid_synth_noteoff(synth_, chan, d1); break;
            case 0x90:
                if (d2 == 0)
                    fluid_synth_noteoff(synth_, chan, d1);
                else
                    fluid_synth_noteon(synth_, chan, d1, d2);
                break;
            case 0xA0: fluid_synth_key_pressure(synth_, chan, d1, d2); break;
            case 0xB0: fluid_synth_cc(synth_, chan, d1, d2); break;
            case 0xC0: fluid_synth_program_change(synth_, chan, d1); break;
            case 0xD0: fluid_synth_channel_pressure(synth_, chan, d1); break;
            case 0xE0: fluid_synth_pitch_bend(synth_, chan, d1 | (d2 << 7)); break;
            default: break;  // system messages have no place in a song's stream here
        }
    }

    void MixInto(float* out, int frames) override {
        while (frames > 0) {
            const int n = std::min(frames, kChunk);
            fluid_synth_write_float(synth_, n, scratch_, 0, 2, scratch_, 1, 2);
            for (int i = 0; i < n * 2; ++i) out[i] += scratch_[i];
            out += n * 2;
            frames -= n;
        }
    }

private:
    static constexpr int kChunk = 1024;
    AudioMixer& mixer_;
    fluid_synth_t* synth_;
    float scratch_[kChunk * 2] = {};
};

void Quiet(int, const char*, void*) {}

}  // namespace

FluidOutput::FluidOutput(AudioMixer& mixer, std::string soundFont)
    : mixer_(mixer), soundFont_(std::move(soundFont)) {}

FluidOutput::~FluidOutput() = default;

bool FluidOutput::Load() {
    if (synth_) return true;
    if (loadFailed_) return false;
    loadFailed_ = true;
    // A missing font or device is silence, not a message on the terminal.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, Quiet, nullptr);

    std::vector<std::string> candidates =
        soundFont_.empty() ? DefaultSoundFonts() : std::vector<std::string>{soundFont_};
    std::string found;
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(c, ec)) {
            found = c;
            break;
        }
    }
    if (found.empty()) return false;

    auto s = std::make_unique<Synth>();
    s->settings = new_fluid_settings();
    if (!s->settings) return false;
    fluid_settings_setnum(s->settings, "synth.sample-rate", kMixRate);
    // The General MIDI font is 140 MB; only the instruments the carols use are read.
    fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setnum(s->settings, "synth.gain", 0.5);
    s->synth = new_fluid_synth(s->settings);
    if (!s->synth || fluid_synth_sfload(s->synth, found.c_str(), 1) == FLUID_FAILED) return false;
    synth_ = std::move(s);
    loadFailed_ = false;
    return true;
}

std::unique_ptr<MidiPort> FluidOutput::Open() {
    if (!Load()) return nullptr;
    if (!mixer_.Acquire()) return nullptr;
    return std::make_unique<FluidPort>(mixer_, synth_->synth);
}

}  // namespace hg
