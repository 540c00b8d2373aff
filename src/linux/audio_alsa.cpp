#include "linux/audio_alsa.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace hg {

namespace {

// About 23 ms a period at 44.1 kHz: short enough that N stops a carol at once.
constexpr int kPeriodFrames = 1024;
// The latency asked of the device, and how far the mix may run ahead of the clock (more than
// any card's buffer, so a real card is never held back).
constexpr unsigned kLatencyUs = 100000;
constexpr std::chrono::milliseconds kMaxAhead{250};
// How long the writer waits for room on the device before it looks whether to stop.
constexpr int kWaitMs = 50;

// ALSA's library prints its complaints (no card, no such device) on the terminal; a missing
// sound card is silence here, not an error.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

struct AudioMixer::Stream {
    snd_pcm_t* pcm = nullptr;
    bool floats = true;  // else signed 16-bit, for a device that takes nothing else
    std::atomic<bool> running{true};
    std::thread writer;
};

namespace {

void Close(std::unique_ptr<AudioMixer::Stream> stream) {
    if (!stream) return;
    stream->running = false;
    stream->writer.join();
    // At once, not drained: the keys that silence everything mean it.
    snd_pcm_drop(stream->pcm);
    snd_pcm_close(stream->pcm);
}

}  // namespace

AudioMixer::AudioMixer() = default;

AudioMixer::~AudioMixer() {
    std::unique_ptr<Stream> closing;
    {
        std::lock_guard guard(lock_);
        leases_ = 0;
        closing = std::move(stream_);
    }
    Close(std::move(closing));
}

bool AudioMixer::Acquire() {
    std::lock_guard guard(lock_);
    if (leases_ > 0) {
        ++leases_;
        return true;
    }
    snd_lib_error_set_handler(QuietAlsa);
    auto s = std::make_unique<Stream>();
    // Not blocking: a device that stops taking samples (a card unplugged) must not keep the
    // writer, and so the scene's end, waiting for ever.
    if (snd_pcm_open(&s->pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return false;
    if (snd_pcm_set_params(s->pcm, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 2, kMixRate,
                           1, kLatencyUs) < 0) {
        s->floats = false;
        if (snd_pcm_set_params(s->pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 2,
                               kMixRate, 1, kLatencyUs) < 0) {
            snd_pcm_close(s->pcm);
            return false;
        }
    }
    Stream& stream = *s;
    stream_ = std::move(s);
    stream.writer = std::thread([this, &stream] { Write(stream); });
    leases_ = 1;
    return true;
}

void AudioMixer::Release() {
    std::unique_ptr<Stream> closing;
    {
        std::lock_guard guard(lock_);
        if (leases_ == 0 || --leases_ > 0) return;
        closing = std::move(stream_);
    }
    Close(std::move(closing));
}

void AudioMixer::Attach(Source* source) {
    std::lock_guard guard(sourcesLock_);
    sources_.push_back(source);
}

void AudioMixer::Detach(Source* source) {
    std::lock_guard guard(sourcesLock_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void AudioMixer::Write(Stream& stream) {
    std::vector<float> mix(kPeriodFrames * 2);
    std::vector<int16_t> narrow(stream.floats ? 0 : kPeriodFrames * 2);
    const auto start = std::chrono::steady_clock::now();
    int64_t framesWritten = 0;
    while (stream.running) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        {
            std::lock_guard guard(sourcesLock_);
            for (Source* s : sources_) s->MixInto(mix.data(), kPeriodFrames);
        }
        for (float& v : mix) v = std::clamp(v, -1.0f, 1.0f);
        if (!stream.floats)
            for (size_t i = 0; i < mix.size(); ++i)
                narrow[i] = static_cast<int16_t>(std::lrint(mix[i] * 32767.0f));
        const char* data = stream.floats ? reinterpret_cast<const char*>(mix.data())
                                         : reinterpret_cast<const char*>(narrow.data());
        const size_t frameBytes = stream.floats ? 2 * sizeof(float) : 2 * sizeof(int16_t);
        int left = kPeriodFrames;
        while (left > 0 && stream.running) {
            snd_pcm_sframes_t n =
                snd_pcm_writei(stream.pcm, data, static_cast<snd_pcm_uframes_t>(left));
            if (n == -EAGAIN) {
                snd_pcm_wait(stream.pcm, kWaitMs);
                continue;
            }
            if (n < 0) {
                // An underrun or a suspended device: start again; a device that is gone
                // leaves the rest of the run silent.
                if (snd_pcm_recover(stream.pcm, static_cast<int>(n), 1) < 0) return;
                continue;
            }
            data += static_cast<size_t>(n) * frameBytes;
            left -= static_cast<int>(n);
            framesWritten += n;
        }
        // A sound card takes samples as fast as it plays them. A device that takes them faster
        // would have the carols race through in seconds; held to the clock, it gets the sound
        // as a card would.
        const auto written = std::chrono::microseconds(framesWritten * 1000000 / kMixRate);
        const auto ahead = written - (std::chrono::steady_clock::now() - start) - kMaxAhead;
        if (ahead > std::chrono::microseconds(0)) std::this_thread::sleep_for(ahead);
    }
}

// ---- the crackle ---------------------------------------------------------------------------

namespace {

class MixedWaveBuffer : public SoundBuffer, public AudioMixer::Source {
  public:
    MixedWaveBuffer(AudioMixer& mixer, std::vector<float> samples)
        : mixer_(mixer), samples_(std::move(samples)) {
        mixer_.Attach(this);
    }
    ~MixedWaveBuffer() override { mixer_.Detach(this); }

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

class MixedSoundDevice : public SoundDevice {
  public:
    explicit MixedSoundDevice(AudioMixer& mixer) : mixer_(mixer) {}
    ~MixedSoundDevice() override { mixer_.Release(); }
    std::unique_ptr<SoundBuffer> CreateBuffer(const WaveFile& wave) override {
        std::vector<float> samples = ConvertForMixing(wave);
        if (samples.empty()) return nullptr;
        return std::make_unique<MixedWaveBuffer>(mixer_, std::move(samples));
    }

  private:
    AudioMixer& mixer_;
};

}  // namespace

std::unique_ptr<SoundDevice> AlsaSoundSystem::OpenDevice() {
    if (!mixer_.Acquire()) return nullptr;
    return std::make_unique<MixedSoundDevice>(mixer_);
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
            case 0x80:
                fluid_synth_noteoff(synth_, chan, d1);
                break;
            case 0x90:
                if (d2 == 0)
                    fluid_synth_noteoff(synth_, chan, d1);
                else
                    fluid_synth_noteon(synth_, chan, d1, d2);
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth_, chan, d1, d2);
                break;
            case 0xB0:
                fluid_synth_cc(synth_, chan, d1, d2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth_, chan, d1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth_, chan, d1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth_, chan, d1 | (d2 << 7));
                break;
            default:
                break;  // system messages have no place in a song's stream here
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

FluidOutput::~FluidOutput() {
    if (loader_.joinable()) loader_.join();
}

void FluidOutput::Preload() {
    if (!synth_ && !loadFailed_ && !loader_.joinable()) loader_ = std::thread([this] { Load(); });
}

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
    if (loader_.joinable()) loader_.join();
    if (!Load()) return nullptr;
    if (!mixer_.Acquire()) return nullptr;
    return std::make_unique<FluidPort>(mixer_, synth_->synth);
}

}  // namespace hg
