#pragma once
// The music control: a small sequencer that plays a MIDI file through the system synthesizer.
// Whether a track is playing is decided by the clock and the file's own length, not by the
// synthesizer, so a machine without one still moves through the playlist at the songs' pace.
#include <memory>
#include <optional>

#include "media/byte_reader.h"
#include "media/midi_file.h"
#include "scene/controls.h"

namespace hg {

class MidiPort {
  public:
    virtual ~MidiPort() = default;  // closes the port
    virtual void Send(uint32_t message) = 0;
};

class MidiOutput {
  public:
    virtual ~MidiOutput() = default;
    // The synthesizer, or null when there is none.
    virtual std::unique_ptr<MidiPort> Open() = 0;
    // Waits up to `ms` for the device to have done everything it was asked (an output that
    // does it all at once has nothing to wait for); whether it has.
    virtual bool Settle(int ms) { return true; }
};

class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual int64_t NowUs() = 0;
};

class SteadyClock : public MonotonicClock {
  public:
    int64_t NowUs() override;
};

// Single-threaded: whoever drives it from another thread holds one lock around every call.
class MusicControl : public TegoSnd {
  public:
    // A null loader reads from disk.
    MusicControl(MidiOutput& output, MonotonicClock& clock, FileLoader loader = nullptr);
    ~MusicControl() override;

    // The file plays once from its start; the fixed arguments (0, -1) ask for exactly that, and
    // the control knows no other way to play.
    void PlayMidiFile(const std::string& path, int32_t from, int32_t to) override;
    void StopMidi() override;
    bool IsMidiPlaying() override;

    // Sends every message that is due. Returns how many microseconds may pass before the next
    // call, or nothing when no song plays.
    std::optional<int64_t> Service();

    bool PortOpen() const { return port_ != nullptr; }

  private:
    void Finish();

    MidiOutput& output_;
    MonotonicClock& clock_;
    FileLoader loader_;
    std::optional<MidiSong> song_;
    size_t next_ = 0;
    int64_t startUs_ = 0;
    std::unique_ptr<MidiPort> port_;
};

// The controller messages that silence a channel at once: sustain released, all sound off,
// controllers reset, all notes off. Sent on all 16 channels when a song stops or ends.
std::vector<uint32_t> SilencingMessages();

}  // namespace hg
