// The music control on Windows: the portable threaded sequencer sending through the MIDI mapper
// with midiOutShortMsg, the device opened, played and closed on a thread of its own: Windows
// 11's MIDI stack can take its time to open the synthesizer, and that must never show in the
// flames, the input or the end of the run.
//
// A sequencer of our own rather than the MCI one: MCI keeps reporting "playing" on systems
// without a synthesizer and sometimes refuses a second play, and it keeps the device open; this
// way we decide when a track ends and hold the synthesizer only while notes are sounding.

// The multimedia headers need the base Windows types first.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include "platform/win32/music_win32.h"

#include "sound/midi_device_thread.h"

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

}  // namespace

std::unique_ptr<ThreadedMusic> CreateWindowsMusic() {
    return std::make_unique<ThreadedMusic>(
        std::make_unique<MidiDeviceThread>(std::make_unique<MidiMapperOutput>()));
}

}  // namespace hg
