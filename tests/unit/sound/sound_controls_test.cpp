// The wave and music controls over fake audio devices and a fake clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>

#include "sound/midi_device_thread.h"
#include "sound/music_control.h"
#include "sound/threaded_music.h"
#include "sound/wave_control.h"
#include "support/fakes.h"
#include "support/sound_bytes.h"

namespace hg::test {
namespace {

// -- wave control --------------------------------------------------------------------------

struct FakeSoundSystem : SoundSystem {
    struct Buffer : SoundBuffer {
        Buffer(FakeSoundSystem& s, size_t size) : sys(s) {
            sys.log.push_back("Create(" + std::to_string(size) + ")");
        }
        ~Buffer() override { sys.log.push_back("Release"); }
        void PlayLooped() override { sys.log.push_back("Play"); }
        void SetVolume(int32_t v) override {
            sys.log.push_back("Volume(" + std::to_string(v) + ")");
        }
        FakeSoundSystem& sys;
    };
    struct Device : SoundDevice {
        explicit Device(FakeSoundSystem& s) : sys(s) { ++sys.openDevices; }
        ~Device() override {
            --sys.openDevices;
            sys.log.push_back("Close");
        }
        std::unique_ptr<SoundBuffer> CreateBuffer(const WaveFile& wave) override {
            if (!sys.buffersWork) return nullptr;
            return std::make_unique<Buffer>(sys, wave.samples.size());
        }
        FakeSoundSystem& sys;
    };
    std::unique_ptr<SoundDevice> OpenDevice() override {
        log.push_back("Open");
        if (!deviceExists) return nullptr;
        return std::make_unique<Device>(*this);
    }
    CallLog log;
    int openDevices = 0;
    bool deviceExists = true;
    bool buffersWork = true;
};

struct Files {
    std::map<std::string, Bytes> files;
    std::vector<std::string> reads;
    FileLoader Loader() {
        return [this](const std::string& path) -> std::optional<Bytes> {
            reads.push_back(path);
            auto it = files.find(path);
            if (it == files.end()) return std::nullopt;
            return it->second;
        };
    }
};

struct Waves {
    FakeSoundSystem sys;
    Files disk;
    WaveControl ds{sys, disk.Loader()};
    Waves() {
        disk.files["fire.wav"] = SimpleWave(8);  // 16 bytes of samples
        disk.files["other.wav"] = SimpleWave(2);
        disk.files["broken.wav"] = Bytes{'R', 'I', 'F', 'F'};
    }
};

TEST(WaveControl, OpensTheDeviceOnlyWhileSomethingPlays) {
    Waves w;
    int32_t fire = w.ds.LoadWave("fire.wav");
    EXPECT_NE(fire, 0);
    EXPECT_TRUE(w.sys.log.empty()) << "loading must not touch the device";

    w.ds.PlayWaveLooped(fire);
    w.ds.SetWaveVolume(fire, -2500);
    w.ds.TuneWave(fire, 0);
    EXPECT_EQ(Join(w.sys.log), "Open Create(16) Volume(0) Play Volume(-2500)");
    EXPECT_EQ(w.sys.openDevices, 1);

    w.sys.log.clear();
    w.ds.StopAllWaves();
    EXPECT_EQ(Join(w.sys.log), "Release Close");
    EXPECT_EQ(w.sys.openDevices, 0);

    // Still loaded: playing again reopens the device, at the volume last set.
    w.sys.log.clear();
    w.ds.PlayWaveLooped(fire);
    EXPECT_EQ(Join(w.sys.log), "Open Create(16) Volume(-2500) Play");
    w.sys.log.clear();
    w.ds.DropWave(fire);
    EXPECT_EQ(Join(w.sys.log), "Release Close");
    w.ds.PlayWaveLooped(fire);
    EXPECT_EQ(w.sys.openDevices, 0) << "a dropped wave cannot play again";
}

TEST(WaveControl, DropAcceptsNothingAndKeepsTheDeviceForOtherWaves) {
    Waves w;
    w.ds.DropWave(0);
    w.ds.DropWave(12345);
    int32_t a = w.ds.LoadWave("fire.wav");
    int32_t b = w.ds.LoadWave("other.wav");
    EXPECT_NE(a, b);
    w.ds.PlayWaveLooped(a);
    w.ds.PlayWaveLooped(b);
    w.ds.DropWave(a);
    w.ds.DropWave(a);
    EXPECT_EQ(w.sys.openDevices, 1) << "the other wave still plays";
    int32_t c = w.ds.LoadWave("fire.wav");
    EXPECT_NE(c, a) << "numbers are not reused";
    w.ds.DropWave(b);
    EXPECT_EQ(w.sys.openDevices, 0);
    EXPECT_EQ(CountOf(w.sys.log, "Open"), 1);
}

TEST(WaveControl, VolumeIsClampedToTheDevicesRange) {
    Waves w;
    int32_t fire = w.ds.LoadWave("fire.wav");
    w.ds.PlayWaveLooped(fire);
    w.sys.log.clear();
    for (int32_t v : {-2500, -10000, -10001, INT32_MIN, 0, 1, 2500}) w.ds.SetWaveVolume(fire, v);
    EXPECT_EQ(Join(w.sys.log),
              "Volume(-2500) Volume(-10000) Volume(-10000) Volume(-10000) Volume(0) Volume(0) "
              "Volume(0)");
    w.ds.SetWaveVolume(0, -100);  // nothing there: ignored
    EXPECT_EQ(w.sys.log.size(), 7u);
}

TEST(WaveControl, FailuresAreSilent) {
    Waves w;
    EXPECT_EQ(w.ds.LoadWave("missing.wav"), 0);
    EXPECT_EQ(w.ds.LoadWave("broken.wav"), 0);
    w.ds.PlayWaveLooped(0);
    w.ds.SetWaveVolume(0, -100);
    EXPECT_TRUE(w.sys.log.empty()) << "no device for nothing to play";

    int32_t fire = w.ds.LoadWave("fire.wav");
    w.sys.deviceExists = false;
    w.ds.PlayWaveLooped(fire);
    EXPECT_EQ(w.sys.openDevices, 0);
    // A device that appears later is used at the next play.
    w.sys.deviceExists = true;
    w.ds.PlayWaveLooped(fire);
    EXPECT_EQ(w.sys.openDevices, 1);
    w.ds.StopAllWaves();

    // A device that will not take the buffer is closed again at once.
    w.sys.buffersWork = false;
    w.ds.PlayWaveLooped(fire);
    EXPECT_EQ(w.sys.openDevices, 0);
}

// The scene with the real wave control: the crackle as the device sees it.
struct SceneWithWaves : Scene {
    FakeSoundSystem sys;
    Files disk;
    WaveControl waves{sys, disk.Loader()};
    std::unique_ptr<Form1> real;
    using Values = std::vector<std::pair<std::string, std::string>>;
    explicit SceneWithWaves(const Values& values) {
        form.reset();  // the fake-wave form would tick beside this one
        disk.files[std::string(kInstallFolder) + "fire.wav"] = SimpleWave(8);
        real = std::make_unique<Form1>(
            Form1Parts{store, host, host, timers, ddrw, waves, snd, module});
        host.form = real.get();
        Seeded(values);
        real->Load();
    }
};

TEST(CrackleOnTheDevice, SoundOnZeroLoadsButOpensNothing) {
    SceneWithWaves s(SceneWithWaves::Values{{"Settings\\SoundOn", "0"}});
    EXPECT_EQ(s.disk.reads, std::vector<std::string>{std::string(kInstallFolder) + "fire.wav"})
        << "the crackle is loaded";
    EXPECT_EQ(CountOf(s.sys.log, "Open"), 0);

    // S plays it; Q silences it and lets the device go.
    s.real->KeyEvent('S', 0);
    EXPECT_EQ(s.sys.openDevices, 1);
    s.real->KeyEvent('Q', 0);
    EXPECT_EQ(s.sys.openDevices, 0);
}

TEST(CrackleOnTheDevice, SoundOffPeriodClosesTheDevice) {
    SceneWithWaves s(
        SceneWithWaves::Values{{"Settings\\SoundOff", "1"}, {"Settings\\Vol", "-1200"}});
    EXPECT_EQ(Join(s.sys.log), "Open Create(16) Volume(0) Play Volume(-1200)");
    s.Seconds(59.5);
    EXPECT_EQ(s.sys.openDevices, 1);
    s.Seconds(1);
    EXPECT_EQ(s.sys.openDevices, 0);
}

// -- music control -------------------------------------------------------------------------

struct FakeMidi : MidiOutput, MonotonicClock {
    struct Port : MidiPort {
        explicit Port(FakeMidi& m) : midi(m) { ++midi.openPorts; }
        ~Port() override { --midi.openPorts; }
        void Send(uint32_t message) override { midi.sent.push_back({midi.now, message}); }
        FakeMidi& midi;
    };
    std::unique_ptr<MidiPort> Open() override {
        ++opens;
        return exists ? std::make_unique<Port>(*this) : nullptr;
    }
    int64_t NowUs() override { return now; }

    int64_t now = 1000000;
    bool exists = true;
    int opens = 0;
    int openPorts = 0;
    std::vector<std::pair<int64_t, uint32_t>> sent;
};

struct Music {
    FakeMidi midi;
    Files disk;
    MusicControl snd{midi, midi, disk.Loader()};
    Music() {
        // One second at 120 bpm: a note on beat 1, off at beat 2.
        disk.files["song.mid"] =
            Smf(0, 480,
                {Track(Cat({Event(0, {0x90, 60, 100}), Event(480, {0x80, 60, 0}),
                            Event(480, {0xC0, 1})}))});
        disk.files["silent.mid"] = Smf(0, 480, {Track(Event(960, {0xFF, 0x01, 0x00}))});
        disk.files["broken.mid"] = Bytes{'M', 'T', 'h', 'd', 0, 0};
    }
    // Runs the sequencer as its thread would: wake when it says, send what is due.
    void RunFor(int64_t us) {
        const int64_t end = midi.now + us;
        while (auto wait = snd.Service()) {
            if (midi.now + *wait > end) break;
            midi.now += *wait;
        }
        midi.now = end;
    }
    size_t SilencingCount() const {
        size_t n = 0;
        for (const auto& [t, m] : midi.sent) n += (m & 0xF0) == 0xB0 && ((m >> 8) & 0xFF) == 123;
        return n;
    }
};

TEST(MusicControl, SendsEachMessageOnTimeAndEndsWithTheSong) {
    Music m;
    EXPECT_FALSE(m.snd.IsMidiPlaying()) << "before anything was started";
    const int64_t start = m.midi.now;
    m.snd.PlayMidiFile("song.mid", 0, -1);
    EXPECT_TRUE(m.snd.IsMidiPlaying());
    m.RunFor(999999);
    ASSERT_EQ(m.midi.sent.size(), 2u);
    EXPECT_EQ(m.midi.sent[0], std::make_pair(start, 0x643C90u));
    EXPECT_EQ(m.midi.sent[1], std::make_pair(start + 500000, 0x3C80u));
    EXPECT_TRUE(m.snd.IsMidiPlaying());
    EXPECT_EQ(m.midi.openPorts, 1);

    m.RunFor(1);
    EXPECT_FALSE(m.snd.IsMidiPlaying());
    EXPECT_EQ(m.midi.openPorts, 0) << "the synthesizer is let go when the song ends";
    EXPECT_EQ(m.midi.sent[2].second, 0x1C0u);
    EXPECT_EQ(m.SilencingCount(), 16u);
}

TEST(MusicControl, WithoutASynthesizerASongStillLastsItsLength) {
    Music m;
    m.midi.exists = false;
    m.snd.PlayMidiFile("song.mid", 0, -1);
    m.midi.now += 999000;
    EXPECT_TRUE(m.snd.IsMidiPlaying());
    m.midi.now += 1000;
    EXPECT_FALSE(m.snd.IsMidiPlaying()) << "even though nothing reported an end";
    EXPECT_FALSE(m.snd.Service());

    // A song without notes never needs the synthesizer, but lasts as long.
    m.midi.exists = true;
    m.snd.PlayMidiFile("silent.mid", 0, -1);
    EXPECT_EQ(m.midi.openPorts, 0);
    m.midi.now += 999000;
    EXPECT_TRUE(m.snd.IsMidiPlaying());
    m.midi.now += 1000;
    EXPECT_FALSE(m.snd.IsMidiPlaying());
}

TEST(MusicControl, StopSilencesEveryChannelAtOnce) {
    Music m;
    m.snd.StopMidi();  // harmless when nothing plays
    EXPECT_EQ(m.midi.opens, 0);
    m.snd.PlayMidiFile("song.mid", 0, -1);
    m.RunFor(100000);  // the note is sounding
    m.snd.StopMidi();
    EXPECT_FALSE(m.snd.IsMidiPlaying());
    EXPECT_EQ(m.midi.openPorts, 0);
    ASSERT_EQ(m.midi.sent.size(), 1u + 64u);
    std::set<int> channels;
    for (size_t i = 1; i < m.midi.sent.size(); ++i) {
        EXPECT_EQ(m.midi.sent[i].first, m.midi.now) << "sent at the stop, not later";
        channels.insert(m.midi.sent[i].second & 0x0F);
    }
    EXPECT_EQ(channels.size(), 16u);
    EXPECT_EQ(m.SilencingCount(), 16u);
    EXPECT_FALSE(m.snd.Service());

    // Playing over a playing song silences the first one before the second starts.
    m.snd.PlayMidiFile("song.mid", 0, -1);
    m.RunFor(100000);
    m.midi.sent.clear();
    m.snd.PlayMidiFile("song.mid", 0, -1);
    EXPECT_EQ(m.SilencingCount(), 16u);
    EXPECT_EQ(m.midi.openPorts, 1);
}

TEST(MusicControl, MissingOrBrokenFilesPlayNothing) {
    Music m;
    for (const char* path : {"missing.mid", "broken.mid"}) {
        m.snd.PlayMidiFile(path, 0, -1);
        EXPECT_FALSE(m.snd.IsMidiPlaying()) << path;
        EXPECT_FALSE(m.snd.Service()) << path;
    }
    EXPECT_EQ(m.midi.opens, 0);
    // A broken file after a playing one still stops the first.
    m.snd.PlayMidiFile("song.mid", 0, -1);
    m.snd.PlayMidiFile("broken.mid", 0, -1);
    EXPECT_FALSE(m.snd.IsMidiPlaying());
    EXPECT_EQ(m.midi.openPorts, 0);
}

// -- the MIDI device on a thread of its own ------------------------------------------------

// A synthesizer that opens only when the test lets it. Its state outlives it: a thread left
// behind at the end may still be using it.
struct SlowMidi : MidiOutput {
    struct State {
        std::mutex lock;
        std::condition_variable opened;
        bool mayOpen = false;
        int openPorts = 0;
        std::vector<uint32_t> sent;
    };
    struct Port : MidiPort {
        explicit Port(std::shared_ptr<State> s) : state(std::move(s)) {}
        ~Port() override {
            std::lock_guard hold(state->lock);
            --state->openPorts;
        }
        void Send(uint32_t message) override {
            std::lock_guard hold(state->lock);
            state->sent.push_back(message);
        }
        std::shared_ptr<State> state;
    };
    explicit SlowMidi(std::shared_ptr<State> s) : state(std::move(s)) {}
    std::unique_ptr<MidiPort> Open() override {
        std::unique_lock hold(state->lock);
        state->opened.wait(hold, [&] { return state->mayOpen; });
        ++state->openPorts;
        return std::make_unique<Port>(state);
    }
    static void LetOpen(State& s) {
        {
            std::lock_guard hold(s.lock);
            s.mayOpen = true;
        }
        s.opened.notify_all();
    }
    std::shared_ptr<State> state;
};

struct SettableClock : MonotonicClock {
    int64_t NowUs() override { return now; }
    std::atomic<int64_t> now{0};
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(MidiDeviceThread, ASlowDeviceHoldsUpNeitherPlayNorStopNorTheEnd) {
    auto state = std::make_shared<SlowMidi::State>();
    const auto path = std::filesystem::temp_directory_path() /
                      ("hg-slow-midi-" + std::to_string(getpid()) + ".mid");
    {
        const Bytes song =
            Smf(0, 480, {Track(Cat({Event(0, {0x90, 60, 100}), Event(1920, {0x80, 60, 0})}))});
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(song.data()),
                   static_cast<std::streamsize>(song.size()));
    }
    const auto start = std::chrono::steady_clock::now();
    {
        ThreadedMusic music(std::make_unique<MidiDeviceThread>(std::make_unique<SlowMidi>(state)));
        music.PlayMidiFile(path.string(), 0, -1);  // the device is still opening, for ever
        EXPECT_TRUE(music.IsMidiPlaying());
        music.StopMidi();
        EXPECT_FALSE(music.IsMidiPlaying());
        EXPECT_FALSE(music.Settle(50)) << "the device has not even opened";
        EXPECT_LT(SecondsSince(start), 0.5) << "playing and stopping waited for the device";
    }
    EXPECT_LT(SecondsSince(start), MidiDeviceThread::kEndWaitMs / 1000.0 + 1)
        << "the end waited for the device";
    SlowMidi::LetOpen(*state);  // the thread left behind ends too
    std::filesystem::remove(path);
}

TEST(MidiDeviceThread, NotesThatWaitedForTheDeviceAreDroppedTheRestArrivesInOrder) {
    auto state = std::make_shared<SlowMidi::State>();
    auto clock = std::make_shared<SettableClock>();
    MidiDeviceThread out(std::make_unique<SlowMidi>(state), clock);
    auto port = out.Open();
    port->Send(0x643C90);  // note on, queued while the device opens
    port->Send(0x01C0);    // program change
    port->Send(0x3C80);    // note off
    clock->now += MidiDeviceThread::kLateNoteUs + 1;
    port->Send(0x643E90);  // note on, fresh when the device opens
    SlowMidi::LetOpen(*state);
    ASSERT_TRUE(out.Settle(5000));
    {
        std::lock_guard hold(state->lock);
        EXPECT_EQ(state->sent, (std::vector<uint32_t>{0x01C0, 0x3C80, 0x643E90}));
        EXPECT_EQ(state->openPorts, 1);
    }
    port.reset();
    ASSERT_TRUE(out.Settle(5000));
    std::lock_guard hold(state->lock);
    EXPECT_EQ(state->openPorts, 0) << "closing the port lets the device go";
}

}  // namespace
}  // namespace hg::test
