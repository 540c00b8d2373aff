// The music control on Windows: the portable sequencer driven by a worker thread that sleeps
// until the next note is due, sending through the MIDI mapper with midiOutShortMsg.
//
// A sequencer of our own rather than the MCI one: MCI keeps reporting "playing" on systems
// without a synthesizer and sometimes refuses a second play, and it keeps the device open; this
// way we decide when a track ends and hold the synthesizer only while notes are sounding.

// The multimedia headers need the base Windows types first.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include "controls/music_win32.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "controls/music_control.h"

namespace hg {

namespace {

class MidiOutPort : public MidiPort {
  public:
    explicit MidiOutPort(HMIDIOUT handle) : handle_(handle) {
        // A millisecond tick while notes play, so they start on time; given back at the end.
        timeBeginPeriod(1);
    }
    ~MidiOutPort() override {
        midiOutReset(handle_);
        midiOutClose(handle_);
        timeEndPeriod(1);
    }
    void Send(uint32_t message) override { midiOutShortMsg(handle_, message); }

  private:
    HMIDIOUT handle_;
};

class MidiMapperOutput : public MidiOutput {
  public:
    std::unique_ptr<MidiPort> Open() override {
        HMIDIOUT handle = nullptr;
        if (midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            return nullptr;
        }
        return std::make_unique<MidiOutPort>(handle);
    }
};

class ThreadedMusic : public TegoSnd {
  public:
    ThreadedMusic() : core_(output_, clock_) {}
    ~ThreadedMusic() override {
        {
            std::lock_guard lock(mutex_);
            core_.StopMidi();
            quit_ = true;
        }
        wake_.notify_all();
        if (worker_.joinable()) worker_.join();
    }

    void PlayMidiFile(const std::string& path, int32_t from, int32_t to) override {
        {
            std::lock_guard lock(mutex_);
            core_.PlayMidiFile(path, from, to);
            // Started on the first play: a scene without music never has the thread.
            if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
        }
        wake_.notify_all();
    }
    void StopMidi() override {
        {
            std::lock_guard lock(mutex_);
            core_.StopMidi();
        }
        wake_.notify_all();
    }
    bool IsMidiPlaying() override {
        std::lock_guard lock(mutex_);
        return core_.IsMidiPlaying();
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            auto wait = core_.Service();
            if (wait) {
                wake_.wait_for(lock, std::chrono::microseconds(*wait));
            } else {
                wake_.wait(lock);
            }
        }
    }

    MidiMapperOutput output_;
    SteadyClock clock_;
    MusicControl core_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace

std::unique_ptr<TegoSnd> CreateWindowsMusic() { return std::make_unique<ThreadedMusic>(); }

}  // namespace hg
