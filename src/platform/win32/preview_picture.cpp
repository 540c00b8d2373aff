#include "platform/win32/preview_picture.h"

#include <algorithm>
#include <cmath>

#include "display/compositor.h"
#include "display/scaler.h"

namespace hg {

namespace {

// The twins built in besides the 153 x 115 bitmap: twice and three times as wide and tall.
constexpr int kLargestTwin = 3;

}  // namespace

PreviewPicture::~PreviewPicture() = default;

void PreviewPicture::Paint(HDC dc, int paneWidth, int paneHeight) {
    if (paneWidth <= kWidth && paneHeight <= kHeight) {
        PaintSmall(dc);
        return;
    }
    if (!Scale(paneWidth, paneHeight)) {
        PaintSmall(dc);  // no twin could be read: at least what 100% shows
        return;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = scaledWidth_;
    info.bmiHeader.biHeight = -scaledHeight_;  // top-down, as our rows run
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, left_, top_, static_cast<DWORD>(scaledWidth_),
                      static_cast<DWORD>(scaledHeight_), 0, 0, 0, static_cast<UINT>(scaledHeight_),
                      scaled_.data(), &info, DIB_RGB_COLORS);
}

// The picture at the top-left corner at its own size, never stretched.
void PreviewPicture::PaintSmall(HDC dc) {
    HBITMAP picture = LoadBitmapA(resources_, "PREVIEW");
    if (!picture) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(picture);
}

std::shared_ptr<const Picture> PreviewPicture::Twin(int k) {
    if (tried_[k]) return twins_[k];
    tried_[k] = true;
    const char* name = k == 2 ? "PREVIEW2" : "PREVIEW3";
    HRSRC found = FindResourceA(resources_, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(resources_, found) : nullptr;
    const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data) return nullptr;
    auto picture =
        DecodePicture(std::vector<uint8_t>(data, data + SizeofResource(resources_, found)), -1);
    if (picture->Width() != kWidth * k || picture->Height() != kHeight * k) return nullptr;
    twins_[k] = std::move(picture);
    return twins_[k];
}

bool PreviewPicture::Scale(int paneWidth, int paneHeight) {
    if (paneWidth == paneWidth_ && paneHeight == paneHeight_ && !scaled_.empty()) return true;
    // Covering the pane with the proportions kept: panes at the usual scalings are the small
    // picture's shape to a pixel, and an odd one loses a sliver at two edges rather than being
    // drawn out of shape.
    const double factor = std::max(static_cast<double>(paneWidth) / kWidth,
                                   static_cast<double>(paneHeight) / kHeight);
    const int width = std::max(paneWidth, static_cast<int>(std::lround(kWidth * factor)));
    const int height = std::max(paneHeight, static_cast<int>(std::lround(kHeight * factor)));
    // The smallest twin at least that large, so the picture is only ever shrunk a little;
    // beyond the largest, the largest.
    std::shared_ptr<const Picture> source;
    for (int k = 2; k <= kLargestTwin && !source; ++k)
        if ((kWidth * k >= width && kHeight * k >= height) || k == kLargestTwin) source = Twin(k);
    for (int k = kLargestTwin; k >= 2 && !source; --k) source = Twin(k);
    if (!source) return false;
    const Scaler scaler(source->Width(), source->Height(), width, height);
    scaled_.assign(static_cast<size_t>(width) * height, 0);
    scaler.Scale(source->Row(0), scaled_.data(), width, {0, 0, width, height});
    paneWidth_ = paneWidth;
    paneHeight_ = paneHeight;
    scaledWidth_ = width;
    scaledHeight_ = height;
    left_ = (paneWidth - width) / 2;
    top_ = (paneHeight - height) / 2;
    return true;
}

}  // namespace hg
