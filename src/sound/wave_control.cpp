#include "sound/wave_control.h"

#include <algorithm>

namespace hg {

namespace {

// Far more than a looping background sound needs; a bigger file is a mistake, not a crackle.
constexpr size_t kMaxWaveFileBytes = 64u << 20;

}  // namespace

WaveControl::WaveControl(SoundSystem& system, FileLoader loader)
    : system_(system), loader_(std::move(loader)) {
    if (!loader_) {
        loader_ = [](const std::string& path) { return ReadFileBytes(path, kMaxWaveFileBytes); };
    }
}

WaveControl::~WaveControl() { StopAllWaves(); }

int32_t WaveControl::LoadWave(const std::string& path) {
    auto bytes = loader_(path);
    if (!bytes) return 0;
    auto file = ParseWav(*bytes);
    if (!file) return 0;
    // Numbers are never reused, so a caller holding a dropped number cannot reach a newer wave.
    if (lastNumber_ == INT32_MAX) return 0;
    int32_t number = ++lastNumber_;
    waves_[number].file = std::move(*file);
    return number;
}

void WaveControl::DropWave(int32_t buffer) {
    if (waves_.erase(buffer)) CloseDeviceIfSilent();
}

void WaveControl::PlayWaveLooped(int32_t buffer) {
    auto it = waves_.find(buffer);
    if (it == waves_.end()) return;
    Wave& wave = it->second;
    if (!device_) device_ = system_.OpenDevice();
    if (!device_) return;
    if (!wave.playing) wave.playing = device_->CreateBuffer(wave.file);
    if (!wave.playing) {
        CloseDeviceIfSilent();
        return;
    }
    wave.playing->SetVolume(wave.volume);
    wave.playing->PlayLooped();
}

void WaveControl::StopAllWaves() {
    for (auto& [number, wave] : waves_) wave.playing.reset();
    device_.reset();
}

void WaveControl::SetWaveVolume(int32_t buffer, int32_t volume) {
    auto it = waves_.find(buffer);
    if (it == waves_.end()) return;
    it->second.volume = std::clamp(volume, kSilentVolume, kFullVolume);
    if (it->second.playing) it->second.playing->SetVolume(it->second.volume);
}

void WaveControl::CloseDeviceIfSilent() {
    bool anyPlaying = std::any_of(waves_.begin(), waves_.end(), [](const auto& entry) {
        return entry.second.playing != nullptr;
    });
    if (!anyPlaying) device_.reset();
}

}  // namespace hg
