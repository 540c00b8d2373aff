#pragma once
// What the preview form shows in the settings window's pane. At 100% display scaling the pane
// is the picture's own 153 x 115 pixels, and the picture sits there unscaled; at 150%, 200% and
// beyond the pane is larger, and the picture is scaled smoothly to cover it, from the twin
// painted nearest that size, so the pane looks as it does at 100%.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace hg {

class Picture;

class PreviewPicture {
  public:
    static constexpr int kWidth = 153;
    static constexpr int kHeight = 115;

    explicit PreviewPicture(HINSTANCE resources) : resources_(resources) {}
    ~PreviewPicture();
    PreviewPicture(const PreviewPicture&) = delete;
    PreviewPicture& operator=(const PreviewPicture&) = delete;

    // Paints a pane of this size (its client area) into `dc`.
    void Paint(HDC dc, int paneWidth, int paneHeight);

  private:
    void PaintSmall(HDC dc);
    // The twin painted k times as wide and tall, once decoded.
    std::shared_ptr<const Picture> Twin(int k);
    bool Scale(int paneWidth, int paneHeight);

    HINSTANCE resources_;
    std::shared_ptr<const Picture> twins_[4];
    bool tried_[4] = {};
    // The picture scaled for the pane last painted, and where it lies in the pane.
    std::vector<uint32_t> scaled_;
    int paneWidth_ = 0, paneHeight_ = 0;
    int scaledWidth_ = 0, scaledHeight_ = 0, left_ = 0, top_ = 0;
};

}  // namespace hg
