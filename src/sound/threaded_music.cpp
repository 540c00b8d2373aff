#include "sound/threaded_music.h"

namespace hg {

ThreadedMusic::ThreadedMusic(std::unique_ptr<MidiOutput> output)
    : output_(std::move(output)), core_(*output_, clock_) {}

ThreadedMusic::~ThreadedMusic() {
    {
        std::lock_guard lock(mutex_);
        core_.StopMidi();
        quit_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void ThreadedMusic::PlayMidiFile(const std::string& path, int32_t from, int32_t to) {
    {
        std::lock_guard lock(mutex_);
        core_.PlayMidiFile(path, from, to);
        // Started on the first play: a scene without music never has the thread.
        if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
    }
    wake_.notify_all();
}

void ThreadedMusic::StopMidi() {
    {
        std::lock_guard lock(mutex_);
        core_.StopMidi();
    }
    wake_.notify_all();
}

bool ThreadedMusic::IsMidiPlaying() {
    std::lock_guard lock(mutex_);
    return core_.IsMidiPlaying();
}

void ThreadedMusic::Run() {
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

}  // namespace hg
