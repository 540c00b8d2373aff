#pragma once
// A MIDI output whose device is opened, played and closed on a thread of its own. Opening the
// system's synthesizer can take a noticeable time (Windows 11's MIDI stack, a device waking up),
// and closing it as long; whoever plays, stops and asks about songs never waits for either.
#include <memory>

#include "sound/music_control.h"

namespace hg {

class MidiDeviceThread : public MidiOutput {
  public:
    // A note that waited longer than this for the device is not played late: it is dropped.
    static constexpr int64_t kLateNoteUs = 100000;
    // How long an ending program gives the device to let go before it leaves the thread behind.
    static constexpr int kEndWaitMs = 500;

    // A null clock is the steady clock.
    explicit MidiDeviceThread(std::unique_ptr<MidiOutput> device,
                              std::shared_ptr<MonotonicClock> clock = nullptr);
    ~MidiDeviceThread() override;
    MidiDeviceThread(const MidiDeviceThread&) = delete;
    MidiDeviceThread& operator=(const MidiDeviceThread&) = delete;

    // A port at once, whatever the device does; what is sent through it reaches the device in
    // order once it has opened (channel settings all, notes only while still on time). A device
    // that turns out not to exist takes nothing.
    std::unique_ptr<MidiPort> Open() override;
    bool Settle(int ms) override;

    struct Core;

  private:
    std::shared_ptr<Core> core_;
};

}  // namespace hg
