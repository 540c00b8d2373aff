#pragma once
// The music control with its sequencer driven by a worker thread that sleeps until the next
// note is due. Every platform's music back end is this over its own MidiOutput.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "sound/music_control.h"

namespace hg {

class ThreadedMusic : public TegoSnd {
  public:
    explicit ThreadedMusic(std::unique_ptr<MidiOutput> output);
    ~ThreadedMusic() override;

    void PlayMidiFile(const std::string& path, int32_t from, int32_t to) override;
    void StopMidi() override;
    bool IsMidiPlaying() override;
    // Waits up to `ms` for the output to have let the device go after StopMidi.
    bool Settle(int ms) { return output_->Settle(ms); }

  private:
    void Run();

    std::unique_ptr<MidiOutput> output_;
    SteadyClock clock_;
    MusicControl core_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace hg
