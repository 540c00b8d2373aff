#include "platform/linux/audio_alsa.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
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

struct AudioMixer::Core {
    const bool mayPlay;
    explicit Core(bool may) : mayPlay(may) {}

    std::mutex lock;  // leases, quit, finished, thread
    std::condition_variable wake;
    std::atomic<int> leases{0};
    std::atomic<bool> quit{false};
    bool finished = false;
    std::thread thread;

    // Held by the writer while it mixes one period, and by Attach and Detach.
    std::mutex sourcesLock;
    std::vector<Source*> sources;

    bool Wanted() const { return leases > 0 && !quit; }
};

namespace {

snd_pcm_t* OpenDevice(bool& floats) {
    snd_lib_error_set_handler(QuietAlsa);
    snd_pcm_t* pcm = nullptr;
    // Not blocking: a device that stops taking samples (a card unplugged) must not keep the
    // writer waiting for ever.
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    floats = true;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 2, kMixRate, 1,
                           kLatencyUs) < 0) {
        floats = false;
        if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 2, kMixRate,
                               1, kLatencyUs) < 0) {
            snd_pcm_close(pcm);
            return nullptr;
        }
    }
    return pcm;
}

void WritePeriods(AudioMixer::Core& core, snd_pcm_t* pcm, bool floats) {
    std::vector<float> mix(kPeriodFrames * 2);
    std::vector<int16_t> narrow(floats ? 0 : kPeriodFrames * 2);
    const auto start = std::chrono::steady_clock::now();
    int64_t framesWritten = 0;
    while (core.Wanted()) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        {
            std::lock_guard guard(core.sourcesLock);
            for (AudioMixer::Source* s : core.sources) s->MixInto(mix.data(), kPeriodFrames);
        }
        for (float& v : mix) v = std::clamp(v, -1.0f, 1.0f);
        if (!floats)
            for (size_t i = 0; i < mix.size(); ++i)
                narrow[i] = static_cast<int16_t>(std::lrint(mix[i] * 32767.0f));
        const char* data = floats ? reinterpret_cast<const char*>(mix.data())
                                  : reinterpret_cast<const char*>(narrow.data());
        const size_t frameBytes = floats ? 2 * sizeof(float) : 2 * sizeof(int16_t);
        int left = kPeriodFrames;
        while (left > 0 && core.Wanted()) {
            snd_pcm_sframes_t n = snd_pcm_writei(pcm, data, static_cast<snd_pcm_uframes_t>(left));
            if (n == -EAGAIN) {
                snd_pcm_wait(pcm, kWaitMs);
                continue;
            }
            if (n < 0) {
                // An underrun or a suspended device: start again (a suspended one may keep
                // this thread a while, which is why nothing waits for it); a device that is
                // gone leaves the rest of the run silent.
                if (snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) {
                    core.quit = true;
                    return;
                }
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

// The device's own thread: it opens the stream when a lease is held and closes it as soon as
// none is, so the thread that plays and stops sounds never waits for the device.
void RunDevice(std::shared_ptr<AudioMixer::Core> core) {
    std::unique_lock lock(core->lock);
    while (!core->quit) {
        core->wake.wait(lock, [&] { return core->quit || core->leases > 0; });
        if (core->quit) break;
        lock.unlock();
        bool floats = true;
        if (snd_pcm_t* pcm = OpenDevice(floats)) {
            WritePeriods(*core, pcm, floats);
            // At once, not drained: the keys that silence everything mean it.
            snd_pcm_drop(pcm);
            snd_pcm_close(pcm);
            lock.lock();
        } else {
            // No device: silence until every lease is let go; the next lease tries again.
            lock.lock();
            core->wake.wait(lock, [&] { return core->quit || core->leases == 0; });
        }
    }
    core->finished = true;
    core->wake.notify_all();
}

// How long an ending hack gives the device thread to let the device go.
constexpr std::chrono::milliseconds kDeviceGoneWait{300};

}  // namespace

AudioMixer::AudioMixer(bool mayPlay) : core_(std::make_shared<Core>(mayPlay)) {}

AudioMixer::~AudioMixer() {
    std::unique_lock lock(core_->lock);
    core_->quit = true;
    core_->wake.notify_all();
    if (!core_->thread.joinable()) return;
    if (core_->wake.wait_for(lock, kDeviceGoneWait, [&] { return core_->finished; })) {
        lock.unlock();
        core_->thread.join();
    } else {
        // The thread keeps its own share of the core and ends with the process.
        core_->thread.detach();
    }
}

bool AudioMixer::Acquire() {
    if (!core_->mayPlay) return false;
    std::lock_guard guard(core_->lock);
    if (core_->quit) return false;
    if (!core_->thread.joinable()) core_->thread = std::thread(RunDevice, core_);
    ++core_->leases;
    core_->wake.notify_all();
    return true;
}

void AudioMixer::Release() {
    std::lock_guard guard(core_->lock);
    if (core_->leases > 0) --core_->leases;
    core_->wake.notify_all();
}

void AudioMixer::Attach(Source* source) {
    std::lock_guard guard(core_->sourcesLock);
    core_->sources.push_back(source);
}

void AudioMixer::Detach(Source* source) {
    std::lock_guard guard(core_->sourcesLock);
    auto& v = core_->sources;
    v.erase(std::remove(v.begin(), v.end(), source), v.end());
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

namespace {

struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~Synth() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

}  // namespace

// Shared by the scene and the loader, which may still read the font when the scene ends: it
// is never waited for, and the font goes with whichever lets it go last.
struct FluidOutput::Font {
    std::string path;  // empty: the system's
    std::mutex lock;
    bool started = false;
    bool failed = false;
    std::unique_ptr<Synth> synth;
    std::atomic<bool> ready{false};

    fluid_synth_t* Ready() { return ready ? synth->synth : nullptr; }
};

namespace {

void Quiet(int, const char*, void*) {}

std::unique_ptr<Synth> LoadFont(const std::string& named) {
    // A missing font or device is silence, not a message on the terminal.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, Quiet, nullptr);
    std::vector<std::string> candidates =
        named.empty() ? DefaultSoundFonts() : std::vector<std::string>{named};
    std::string found;
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(c, ec)) {
            found = c;
            break;
        }
    }
    if (found.empty()) return nullptr;
    auto s = std::make_unique<Synth>();
    s->settings = new_fluid_settings();
    if (!s->settings) return nullptr;
    fluid_settings_setnum(s->settings, "synth.sample-rate", kMixRate);
    // The General MIDI font is 140 MB; only the instruments the carols use are read.
    fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setnum(s->settings, "synth.gain", 0.5);
    s->synth = new_fluid_synth(s->settings);
    if (!s->synth || fluid_synth_sfload(s->synth, found.c_str(), 1) == FLUID_FAILED) return nullptr;
    return s;
}

// Messages that arrive before the font has loaded are let go: the track is heard from then on.
class FluidPort : public MidiPort, public AudioMixer::Source {
  public:
    FluidPort(AudioMixer& mixer, std::shared_ptr<FluidOutput::Font> font)
        : mixer_(mixer), font_(std::move(font)) {
        mixer_.Attach(this);
    }
    ~FluidPort() override {
        mixer_.Detach(this);
        // The next track starts from a quiet synthesizer, reverb tail included.
        if (fluid_synth_t* synth = font_->Ready()) fluid_synth_system_reset(synth);
        mixer_.Release();
    }

    // One short MIDI message, status in the lowest byte, as midiOutShortMsg takes it.
    void Send(uint32_t message) override {
        fluid_synth_t* synth = font_->Ready();
        if (!synth) return;
        const int status = message & 0xFF;
        const int chan = status & 0x0F;
        const int d1 = (message >> 8) & 0x7F;
        const int d2 = (message >> 16) & 0x7F;
        switch (status & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(synth, chan, d1);
                break;
            case 0x90:
                if (d2 == 0)
                    fluid_synth_noteoff(synth, chan, d1);
                else
                    fluid_synth_noteon(synth, chan, d1, d2);
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth, chan, d1, d2);
                break;
            case 0xB0:
                fluid_synth_cc(synth, chan, d1, d2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth, chan, d1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth, chan, d1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth, chan, d1 | (d2 << 7));
                break;
            default:
                break;  // system messages have no place in a song's stream here
        }
    }

    void MixInto(float* out, int frames) override {
        fluid_synth_t* synth = font_->Ready();
        if (!synth) return;
        while (frames > 0) {
            const int n = std::min(frames, kChunk);
            fluid_synth_write_float(synth, n, scratch_, 0, 2, scratch_, 1, 2);
            for (int i = 0; i < n * 2; ++i) out[i] += scratch_[i];
            out += n * 2;
            frames -= n;
        }
    }

  private:
    static constexpr int kChunk = 1024;
    AudioMixer& mixer_;
    std::shared_ptr<FluidOutput::Font> font_;
    float scratch_[kChunk * 2] = {};
};

}  // namespace

FluidOutput::FluidOutput(AudioMixer& mixer, std::string soundFont)
    : mixer_(mixer), font_(std::make_shared<Font>()) {
    font_->path = std::move(soundFont);
}

FluidOutput::~FluidOutput() = default;

void FluidOutput::Preload() {
    std::lock_guard guard(font_->lock);
    if (font_->started) return;
    font_->started = true;
    std::thread([font = font_] {
        std::unique_ptr<Synth> synth = LoadFont(font->path);
        std::lock_guard done(font->lock);
        font->failed = !synth;
        font->synth = std::move(synth);
        font->ready = !font->failed;
    }).detach();
}

std::unique_ptr<MidiPort> FluidOutput::Open() {
    Preload();
    {
        std::lock_guard guard(font_->lock);
        if (font_->failed) return nullptr;
    }
    if (!mixer_.Acquire()) return nullptr;
    return std::make_unique<FluidPort>(mixer_, font_);
}

}  // namespace hg
