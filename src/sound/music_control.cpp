#include "sound/music_control.h"

#include <chrono>

#include "media/byte_reader.h"

namespace hg {

namespace {

constexpr size_t kMaxMidiFileBytes = 4u << 20;

constexpr uint32_t ControlChange(int channel, int controller, int value) {
    return static_cast<uint32_t>(0xB0 | channel) | (static_cast<uint32_t>(controller) << 8) |
           (static_cast<uint32_t>(value) << 16);
}

}  // namespace

int64_t SteadyClock::NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::vector<uint32_t> SilencingMessages() {
    std::vector<uint32_t> out;
    for (int channel = 0; channel < 16; ++channel) {
        out.push_back(ControlChange(channel, 64, 0));   // sustain pedal up
        out.push_back(ControlChange(channel, 120, 0));  // all sound off
        out.push_back(ControlChange(channel, 121, 0));  // reset all controllers
        out.push_back(ControlChange(channel, 123, 0));  // all notes off
    }
    return out;
}

MusicControl::MusicControl(MidiOutput& output, MonotonicClock& clock, FileLoader loader)
    : output_(output), clock_(clock), loader_(std::move(loader)) {
    if (!loader_) {
        loader_ = [](const std::string& path) { return ReadFileBytes(path, kMaxMidiFileBytes); };
    }
}

MusicControl::~MusicControl() { Finish(); }

void MusicControl::PlayMidiFile(const std::string& path, int32_t from, int32_t to) {
    Finish();
    auto bytes = loader_(path);
    if (!bytes || bytes->size() > kMaxMidiFileBytes) return;
    song_ = ParseMidi(*bytes);
    if (!song_) return;
    next_ = 0;
    startUs_ = clock_.NowUs();
    // Without a synthesizer the song still "plays" in silence for its length.
    if (!song_->messages.empty()) port_ = output_.Open();
}

void MusicControl::StopMidi() { Finish(); }

bool MusicControl::IsMidiPlaying() {
    if (!song_) return false;
    if (clock_.NowUs() - startUs_ < song_->lengthUs) return true;
    Finish();
    return false;
}

std::optional<int64_t> MusicControl::Service() {
    if (!song_) return std::nullopt;
    int64_t elapsed = clock_.NowUs() - startUs_;
    const auto& messages = song_->messages;
    while (next_ < messages.size() && messages[next_].timeUs <= elapsed) {
        if (port_) port_->Send(messages[next_].message);
        ++next_;
    }
    if (elapsed >= song_->lengthUs) {
        Finish();
        return std::nullopt;
    }
    int64_t due = next_ < messages.size() ? messages[next_].timeUs : song_->lengthUs;
    return due - elapsed;
}

void MusicControl::Finish() {
    if (port_) {
        for (uint32_t m : SilencingMessages()) port_->Send(m);
        port_.reset();
    }
    song_.reset();
    next_ = 0;
}

}  // namespace hg
