#pragma once
// Controls that do nothing: the scene runs, silent and unseen, where a real one cannot be made.
#include "scene/controls.h"

namespace hg {

class NullDDrw : public TegoDDrw {
  public:
    bool OpenDisplay(int, int, int, const std::string&) override { return true; }
    void CloseDisplay() override {}
    int32_t NewSurface() override { return ++surfaces_; }
    void LoadSurfaceFrame(int32_t, int32_t, const std::string&, int32_t) override {}
    void SetSurfaceX(int32_t, int32_t) override {}
    void SetSurfaceY(int32_t, int32_t) override {}
    void SetSurfaceFrame(int32_t, int32_t) override {}
    void SetSurfaceSpeed(int32_t, int32_t) override {}
    void ClearBackBuffer(Colour) override {}
    bool IsSurfaceLost(int32_t) override { return false; }
    void RestoreSurface(int32_t) override {}
    void DrawSurface(int32_t) override {}
    void SetTextFont(const std::string&, int32_t, int32_t, bool, bool, bool) override {}
    void DrawTextAt(const std::string&, int32_t, int32_t, Colour) override {}
    void FlipDisplay() override {}

  private:
    int32_t surfaces_ = 0;
};

class NullDS : public TegoDS {
  public:
    int32_t LoadWave(const std::string&) override { return 0; }
    void DropWave(int32_t) override {}
    void PlayWaveLooped(int32_t) override {}
    void StopAllWaves() override {}
    void SetWaveVolume(int32_t, int32_t) override {}
    void TuneWave(int32_t, int32_t) override {}
};

class NullSnd : public TegoSnd {
  public:
    void PlayMidiFile(const std::string&, int32_t, int32_t) override {}
    void StopMidi() override {}
    bool IsMidiPlaying() override { return false; }
};

}  // namespace hg
