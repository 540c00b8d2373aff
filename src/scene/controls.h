#pragma once
// The three controls of the scene window, reached only through these operations. Their
// implementations are portable cores in src/display and src/sound, over back ends in
// src/platform.
#include <cstdint>
#include <string>

namespace hg {

// Colour: red in the lowest byte, then green, then blue.
using Colour = uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

// What the drawing control raises.
class TegoDDrwEvents {
  public:
    virtual ~TegoDDrwEvents() = default;
    virtual void FrameDue() = 0;
    virtual void MouseMoved(int button, int shift, int x, int y) = 0;
    virtual void MouseButton(int button, int shift, int x, int y) = 0;
    virtual void KeyEvent(int16_t keyCode, int16_t shift) = 0;
};

// The drawing control: full-screen display, numbered surfaces, text, frame and input events.
class TegoDDrw {
  public:
    virtual ~TegoDDrw() = default;
    void SetEvents(TegoDDrwEvents* events) { events_ = events; }
    virtual void SetVisible(bool visible) {}
    // While held, no FrameDue is raised (nothing on the screen is seen, so nothing is drawn).
    virtual void HoldFrames(bool held) {}

    virtual bool OpenDisplay(int width, int height, int bitsPerPixel,
                             const std::string& options) = 0;
    virtual void CloseDisplay() = 0;
    virtual int32_t NewSurface() = 0;
    virtual void LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                                  int32_t key) = 0;
    virtual void SetSurfaceX(int32_t surface, int32_t x) = 0;
    virtual void SetSurfaceY(int32_t surface, int32_t y) = 0;
    virtual void SetSurfaceFrame(int32_t surface, int32_t frame) = 0;
    virtual void SetSurfaceSpeed(int32_t surface, int32_t speed) = 0;
    virtual void ClearBackBuffer(Colour colour) = 0;
    virtual bool IsSurfaceLost(int32_t surface) = 0;
    virtual void RestoreSurface(int32_t surface) = 0;
    virtual void DrawSurface(int32_t surface) = 0;
    // A hint, ours: the surface will be drawn within seconds, so its pictures may be made
    // ready at idle moments before. Nothing shows of it.
    virtual void DrawSoon(int32_t surface) {}
    // A hint, ours: the surface will not be drawn after the coming change (a surround style
    // rotating away), so nothing of it need be made ready.
    virtual void GoesSoon(int32_t surface) {}
    // A hint, ours: what DrawSoon and GoesSoon named changes at the first frame drawn after
    // `ms` milliseconds from now, so the frame before may make ready what it will draw.
    virtual void ChangesIn(int32_t ms) {}
    virtual void SetTextFont(const std::string& face, int32_t size, int32_t n, bool flag1,
                             bool flag2, bool flag3) = 0;
    virtual void DrawTextAt(const std::string& text, int32_t x, int32_t y, Colour colour) = 0;
    virtual void FlipDisplay() = 0;

  protected:
    TegoDDrwEvents* events_ = nullptr;
};

// The wave-sound control. Volumes are hundredths of a decibel: 0 full level, -2500 soft.
class TegoDS {
  public:
    virtual ~TegoDS() = default;
    virtual void SetVisible(bool visible) {}
    virtual int32_t LoadWave(const std::string& path) = 0;
    virtual void DropWave(int32_t buffer) = 0;
    virtual void PlayWaveLooped(int32_t buffer) = 0;
    virtual void StopAllWaves() = 0;
    virtual void SetWaveVolume(int32_t buffer, int32_t volume) = 0;
    virtual void TuneWave(int32_t buffer, int32_t value) = 0;
};

// The music control.
class TegoSnd {
  public:
    virtual ~TegoSnd() = default;
    virtual void SetVisible(bool visible) {}
    virtual void PlayMidiFile(const std::string& path, int32_t a, int32_t b) = 0;
    virtual void StopMidi() = 0;
    virtual bool IsMidiPlaying() = 0;
};

}  // namespace hg
