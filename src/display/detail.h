#pragma once
// The detail the scene is composed at, and its pictures at that detail. The layout is always
// 800 x 600; on a large screen each logical pixel becomes a square of `detail` pixels a side, so
// the final enlargement onto the screen stays small and the picture stays sharp.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/compositor.h"
#include "display/retained_frame.h"

namespace hg {

// The largest detail: the factor of the shipped high-detail pictures, enough for a 4K screen
// (3840 x 2160 shows the hearth 3.6 times enlarged: 1.2 at detail 3). A fourth would hold the
// flames' ten frames alone in some 230 MB.
constexpr int kMaxDetail = 3;
// The high-detail pictures are this many times the size of their 800 x 600 files.
constexpr int kTwinDetail = 3;
// The largest final enlargement of the composed picture onto the screen that still looks as
// sharp as the pictures: a detail is chosen so that it is not exceeded, up to kMaxDetail.
constexpr int kMaxEnlargementPercent = 134;

// The smallest detail at which the hearth, shown `hearthHeight` pixels tall (the 600 rows of
// the layout), is enlarged no more than kMaxEnlargementPercent; 1 for anything up to 600 rows
// and for a small preview.
int DetailFor(int hearthHeight);

// Where a picture's high-detail file lies: "HighDetail" beside the file, the same name ending
// in `extension` (".png" for a twin). Both kinds of separator are understood; the path's own is
// kept.
std::string HighDetailPath(const std::string& path, const char* extension);
inline std::string TwinPath(const std::string& path) { return HighDetailPath(path, ".png"); }

// The logical pixels that the pixels of `area` at `detail` lie in, and back.
Area ToLogical(const Area& area, int detail);
Area ToDetail(const Area& area, int detail);
// A logical place at `detail`, held within 2^24 either way: a hand-placed text far off the
// screen stays far off without overflowing what a text renderer takes.
int PlaceAtDetail(int32_t place, int detail);
// The height of a text's character cell in logical pixels, the same on every screen and
// platform: a size that is not positive (only a hand-edited store holds one) is the usual
// default of 16, and none is taller than the whole display.
int TextHeight(int32_t size);
constexpr int kDefaultTextHeight = 16;
// The font that draws at `detail` what `font` draws on an 800 x 600 screen: its cell TextHeight
// times `detail` pixels tall.
TextFont FontAtDetail(const TextFont& font, int detail);

// Four bytes a pixel (r, g, b, a), rows without padding.
struct RgbaImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

// The picture enlarged `detail` times: colours blended smoothly between the opaque pixels
// around each new one, transparency that of the nearest pixel, so edges stay where they were
// and no key colour bleeds in. Made a row at a time, so no enlarged copy need be held whole.
class Enlarger {
  public:
    Enlarger(const Picture& picture, int detail);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Row y (0 to Height() - 1) of the enlarged picture into `rgba`, Width() pixels.
    void Row(int y, uint8_t* rgba) const;

  private:
    struct Tap {
        int at;
        uint32_t weight;  // of the next pixel, in 1/256ths
    };
    const Picture& p_;
    int detail_, width_, height_;
    std::vector<Tap> xs_, ys_;
    // A row's working memory, kept from row to row: which pixels of the rows read are opaque,
    // and each column of the two rows read already weighed together.
    mutable std::vector<uint8_t> own_, top_, bottom_, bothOpaque_;
    mutable std::vector<uint32_t> down_;
};
RgbaImage Enlarged(const Picture& picture, int detail);

// Shrinks rows given one after the other by area to `toWidth` x `toHeight` (no larger than the
// source either way): each new pixel averages the opaque ones it covers (alpha at least one
// half and not `keyColour`) and is opaque when they cover at least half of it. A new row is
// handed to `emit` as soon as its last source row has come, so only two rows of sums are held.
class RowShrinker {
  public:
    using Emit = std::function<void(int y, const uint8_t* rgba)>;
    RowShrinker(int width, int height, int64_t keyColour, int toWidth, int toHeight, Emit emit);
    void Add(const uint8_t* rgba);

  private:
    struct Cover {
        int first;
        std::vector<uint32_t> weights;
    };
    struct Sums {
        std::vector<uint64_t> r, g, b, covered;
    };
    void Accumulate(Sums& into, const uint8_t* rgba, uint32_t rowWeight);
    template <typename Share>
    void AccumulateAs(Sums& into, const uint8_t* rgba, uint32_t rowWeight);
    void Finish(Sums& sums, int y);
    int width_, height_, toWidth_, toHeight_;
    // Weights are kept divided by what all of them share (`scale_` in all): a twin shrunk from
    // three times to twice its picture's size then weighs a pixel's share in ninths, and one
    // row's sums fit 32 bits (`narrow_`), which a 32-bit build adds up several times faster.
    uint64_t area_ = 0, scale_ = 1;
    bool narrow_ = false;
    int64_t key_;
    Emit emit_;
    std::vector<Cover> xs_, ys_;
    int sourceRow_ = 0, nextOut_ = 0;
    Sums current_, next_;
    std::vector<uint8_t> out_;
};

// A twin (transparent where `keyColour` or alpha below one half) resampled by area to
// `width` x `height`.
RgbaImage Resampled(const uint8_t* rgba, int width, int height, int64_t keyColour, int toWidth,
                    int toHeight);

// Whether a twin shows the same picture: exactly kTwinDetail times its size, and, shrunk back,
// close in colour and in what is transparent. A picture replaced by a user's own keeps the old
// twin beside it, which must then not be shown. The twin's rows are given one after the other.
class TwinMatcher {
  public:
    explicit TwinMatcher(const Picture& picture);
    void Add(const uint8_t* rgba);
    bool Matches() const;

  private:
    const Picture& p_;
    RowShrinker shrinker_;
    uint64_t difference_ = 0, both_ = 0, disagree_ = 0;
    int rows_ = 0;
};
bool TwinMatches(const uint8_t* rgba, int width, int height, const Picture& picture);

}  // namespace hg
