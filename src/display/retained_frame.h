#pragma once
// What one frame drew, kept so that the next frame can be compared with it. The scene redraws
// everything every frame; most of it is the same as last time, and only the areas where the two
// lists of drawing differ need composing and showing again.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/compositor.h"

namespace hg {

struct TextFont {
    std::string face;
    int32_t size = 0;
    bool bold = false, italic = false, underline = false;
    bool operator==(const TextFont&) const = default;
};

// One drawing of a frame. Two with the same identity give the same pixels over the same
// background: pictures are compared by the decoded picture they show, never by surface number.
struct DrawOp {
    enum class Kind : uint8_t { Clear, Picture, Text };
    Kind kind = Kind::Clear;
    uint32_t colour = 0;
    std::shared_ptr<const Picture> picture;  // held, so its address is never reused meanwhile
    int32_t surface = 0;  // the surface it shows, when known; not part of its identity
    int32_t x = 0, y = 0;
    TextFont font;
    std::string text;
    Area bounds;  // every screen pixel it may change

    bool SameAs(const DrawOp& o) const;
};

class RetainedFrame {
  public:
    // Drawings beyond this in one frame are not compared one by one: the frame is redrawn whole.
    static constexpr size_t kMaxCompared = 512;
    // Areas handed back at most; more are merged.
    static constexpr size_t kMaxAreas = 8;

    void Add(DrawOp op);
    // Ends the frame being recorded. Gives the areas whose pixels may differ from the last
    // frame's: every pixel covered by a drawing that is not in both frames in the same order.
    // The first frame, and the one after Forget, give the whole screen.
    std::vector<Area> Finish();
    // The frame being recorded, before Finish.
    const std::vector<DrawOp>& Recording() const { return current_; }
    // The frame that Finish ended, in drawing order.
    const std::vector<DrawOp>& Drawn() const { return previous_; }
    // The frame before that one; empty when Finish compared with none.
    const std::vector<DrawOp>& Before() const { return before_; }
    void Forget() { havePrevious_ = false; }
    // The areas whose pixels may differ between drawing `from` and drawing `to`, as Finish
    // gives them for two frames.
    std::vector<Area> Between(const std::vector<DrawOp>& from, const std::vector<DrawOp>& to);
    // How two pictures of one size drawn at one place differ on the screen, as PictureDifference
    // gives; that itself when none is given. What was measured before is forgotten.
    using Measure = std::function<std::vector<Area>(const Picture&, const Picture&)>;
    void MeasureWith(Measure measure) {
        measure_ = std::move(measure);
        differences_.clear();
    }

  private:
    // Pairs of pictures compared at most, kept from frame to frame: the flame's ten frames
    // follow one another in a ring.
    static constexpr size_t kMaxDifferences = 32;
    struct Difference {
        std::shared_ptr<const Picture> a, b;
        std::vector<Area> areas;
    };
    void Replaced(const std::vector<DrawOp>& from, size_t i0, size_t i1,
                  const std::vector<DrawOp>& to, size_t j0, size_t j1, std::vector<Area>& changed);
    const std::vector<Area>& Differences(const std::shared_ptr<const Picture>& a,
                                         const std::shared_ptr<const Picture>& b);

    std::vector<DrawOp> before_, previous_, current_;
    bool havePrevious_ = false;
    std::vector<Difference> differences_;
    std::vector<std::pair<const DrawOp*, const DrawOp*>> inPlace_;  // from, to: Replaced finds
    Measure measure_;
};

// Where two pictures of the same size differ, in pixels or in what is transparent: squares of
// 16 pixels from the pictures' top-left, joined into rectangles.
std::vector<Area> PictureDifference(const Picture& a, const Picture& b);
// One row of tiles (a flag each, `tile` pixels wide, from `top`) as runs of marked tiles,
// clipped to the picture's width and height.
void AddTileRuns(const std::vector<uint8_t>& tiles, int tile, int top, int width, int height,
                 std::vector<Area>& runs);
// Runs of squares in rows one under the other: those of the same columns become one area.
std::vector<Area> StackRuns(std::vector<Area> runs);

// A few rectangles covering all of `areas`: overlapping ones, and ones whose common rectangle
// costs little more than both, become one; past `limit` the cheapest pairs are joined.
std::vector<Area> MergeAreas(std::vector<Area> areas, size_t limit = RetainedFrame::kMaxAreas);

}  // namespace hg
