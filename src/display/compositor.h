#pragma once
// The drawing control's pixels: a back buffer of the 800 x 600 layout at a whole detail (1, 2 or
// 3 pixels a side for each logical one) in 24-bit colour, and numbered surfaces of one or more
// frames, composed with a colour key and clipped to the screen. Places and sizes stay logical;
// only the pixels get finer. No platform code here; the presenter hands in the memory it paints
// text into as the back buffer and shows it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hg {

// Milliseconds from any origin. Only differences are used, taken modulo 2^32, so a counter that
// wraps (GetTickCount after 49 days) keeps the flames going.
using MillisecondClock = std::function<uint32_t()>;

// 24-bit colour, red in the lowest byte (the scene's), to a pixel 0x00RRGGBB (the screen's).
constexpr uint32_t ToPixel(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// A rectangle of pixels; right and bottom lie just outside it.
struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    int64_t Size() const { return Empty() ? 0 : int64_t{Width()} * Height(); }
    Area Intersect(const Area& o) const;
    // The smallest area holding both; an empty one adds nothing.
    Area Union(const Area& o) const;
    bool operator==(const Area&) const = default;
};

// One decoded picture, pixels 0x00RRGGBB. Transparency is decided once, at load, on the
// picture's own colours and kept as runs of opaque pixels per row; drawing copies runs and never
// compares pixels, so no opaque colour can turn into a hole.
class Picture : public std::enable_shared_from_this<Picture> {
  public:
    struct Run {
        uint16_t x;
        uint16_t length;
    };

    // A picture is drawn from its top-left corner onto the 800 x 600 screen, so from a surface
    // at 0 or more no more than 800 x 600 of it can ever show: a larger one keeps its top-left
    // 800 x 600 pixels. That bounds one picture to 2.9 MB however its pixels alternate
    // (1.92 MB of pixels, at most 960 000 bytes of opaque runs).
    static constexpr int kMaxWidth = 800;
    static constexpr int kMaxHeight = 600;
    // Sources larger than this either way are refused before decoding: decoding holds four
    // bytes a source pixel for a moment, at most 64 MB.
    static constexpr int kMaxSourceSide = 4096;

    Picture() = default;
    // `rgba` holds width * height pixels of four bytes (r, g, b, a). A pixel is transparent when
    // its alpha is below one half or when its colour equals `keyColour` (red in the lowest
    // byte); a negative key leaves only alpha. Beyond maxWidth x maxHeight it is cropped.
    static std::shared_ptr<const Picture> FromRgba(const uint8_t* rgba, int width, int height,
                                                   int64_t keyColour, int maxWidth = kMaxWidth,
                                                   int maxHeight = kMaxHeight);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    // Only while HasPixels(): at a detail above 1 (and at 1 for a covered stepping surface's
    // frames) a picture's own pixels are let go once it is held at the detail, and read again
    // from its file when they are needed.
    const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
    bool HasPixels() const { return pixels_.size() == static_cast<size_t>(width_) * height_; }
    bool Opaque(int x, int y) const;
    const Run* RunsBegin(int y) const { return runs_.data() + rowRuns_[y]; }
    const Run* RunsEnd(int y) const { return runs_.data() + rowRuns_[y + 1]; }
    size_t OpaquePixels() const;
    // Every pixel opaque: drawing it hides whatever lay beneath.
    bool Solid() const { return solid_; }
    size_t Bytes() const;

  private:
    friend class Compositor;
    int width_ = 0;
    int height_ = 0;
    bool solid_ = false;
    // Loaded from a file not yet read: a picture is decoded when it is first shown, so the
    // surround styles that a rotation has not reached take no memory.
    mutable bool pending_ = false;
    // Pixels, not shape: letting them go and taking them back from the file changes nothing a
    // holder of the picture sees but whether Row() may be read.
    mutable std::vector<uint32_t> pixels_;
    std::vector<Run> runs_;
    std::vector<uint32_t> rowRuns_;  // height + 1 offsets into runs_
};

// A picture as drawn at a detail above 1, or a covered stepping surface's frame as drawn at any
// detail: only its opaque pixels, three bytes each in the screen's byte order (blue, green,
// red), as runs. The ten flame frames at detail 3 take 96 MB so, where four bytes a pixel would
// take 128.
class DetailPicture {
  public:
    // From four bytes a pixel (r, g, b, a); alpha below one half is a hole. Beyond maxWidth x
    // maxHeight it is cropped.
    static std::shared_ptr<const DetailPicture> FromRgba(const uint8_t* rgba, int width, int height,
                                                         int maxWidth, int maxHeight);
    // The same, a row at a time: a picture is made from what a decoder or an enlargement gives
    // row by row, and no copy of four bytes a pixel is ever held whole.
    class Builder {
      public:
        // `expectedOpaque` reserves the pixels' memory up front, when known.
        Builder(int width, int height, int maxWidth, int maxHeight, size_t expectedOpaque = 0);
        // Row after row, `width` pixels of (r, g, b, a); rows beyond the crop are ignored.
        void AddRow(const uint8_t* rgba);
        void AddEmptyRow();  // as a row all clear, only sooner
        // Null until every kept row has come. `solidUnderCover`: the picture was whole before
        // the pixels that the pictures drawn over it always hide were left out, so drawing it
        // with them still hides all beneath.
        std::shared_ptr<const DetailPicture> Finish(bool solidUnderCover = false);

      private:
        std::shared_ptr<DetailPicture> p_;
        int rows_ = 0;
    };
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    const Picture::Run* RunsBegin(int y) const { return runs_.data() + rowRuns_[y]; }
    const Picture::Run* RunsEnd(int y) const { return runs_.data() + rowRuns_[y + 1]; }
    // The pixels of row y's runs, one after the other.
    const uint8_t* RowPixels(int y) const { return rgb_.data() + rowPixels_[y] * size_t{3}; }
    // Drawing it hides whatever lay beneath: every pixel is opaque, or it is a stepping
    // surface's frame whole but for what its cover hides (see Compositor::SetCover).
    bool Solid() const { return solid_; }
    size_t Bytes() const;

  private:
    // Beyond the last pixel: four pixels are read as sixteen bytes.
    static constexpr size_t kSpareBytes = 4;
    int width_ = 0, height_ = 0;
    bool solid_ = false;
    std::vector<uint8_t> rgb_;  // and kSpareBytes
    std::vector<Picture::Run> runs_;
    std::vector<uint32_t> rowRuns_;    // height + 1 offsets into runs_
    std::vector<uint32_t> rowPixels_;  // height offsets into the pixels, in pixels
};

class Compositor {
  public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    // The pace of a multi-frame surface, in milliseconds per frame, when it was given none or a
    // value that is not positive. The scene's own default is the same.
    static constexpr int kDefaultFrameMs = 100;
    // A surface this many frames behind its pace starts it afresh.
    static constexpr uint32_t kCatchUpFrames = 3;
    // More frames than any picture strip could need: a bad frame number must not allocate.
    static constexpr int kMaxFrames = 1000;
    // All decoded pictures together never hold more than this. The scene's own 41 files take
    // about 23 MB; 96 MB still takes 33 full-screen pictures of the worst kind. A file that
    // would go beyond it is refused: an empty frame, as for a missing file.
    static constexpr size_t kPictureBudget = size_t{96} << 20;
    // Pictures at the detail are made when first drawn, and together never hold more than
    // this: the least recently drawn go first. The scene at detail 3 draws about 150 MB of them,
    // the flames' ten frames most of it.
    static constexpr size_t kDetailBudget = size_t{176} << 20;
    // The largest picture file read at all: a 4096 x 4096 source at 32 bits, with its headers.
    static constexpr size_t kMaxPictureFileBytes = (size_t{64} << 20) + 4096;
    // The finest detail composed at all: screens get at most 3 (see DetailFor), the benchmarks
    // measure one beyond.
    static constexpr int kFinestDetail = 4;

    explicit Compositor(MillisecondClock clock, size_t pictureBudget = kPictureBudget,
                        size_t detailBudget = kDetailBudget);

    // The back buffer: Width() * Height() pixels, rows top-down without padding, at `detail`
    // (1 to kFinestDetail) pixels a side for each logical one. `pixels` is the presenter's memory
    // and must outlive its use; null goes back to memory of our own. Pictures made for another
    // detail are let go.
    void UseBackBuffer(uint32_t* pixels, int detail = 1);
    uint32_t* BackBuffer() { return back_; }
    const uint32_t* BackBuffer() const { return back_; }
    int Detail() const { return detail_; }
    int Width() const { return kWidth * detail_; }
    int Height() const { return kHeight * detail_; }
    // In pixels of the detail.
    uint32_t Pixel(int x, int y) const { return back_[static_cast<size_t>(y) * Width() + x]; }

    void Clear(uint32_t colour);
    void Clear(uint32_t colour, const Area& within);

    // Surfaces are numbered from 1. Every operation ignores a number it never gave.
    int32_t NewSurface();
    // A missing or unreadable file, or one beyond the picture budget, gives an empty frame that
    // draws nothing. Never throws: a picture that cannot be held is simply not there. The file
    // is read when the frame is first shown.
    void LoadFrame(int32_t surface, int32_t frame, const std::string& path, int32_t key);
    void SetFramePicture(int32_t surface, int32_t frame, std::shared_ptr<const Picture> picture);
    void SetX(int32_t surface, int32_t x);
    void SetY(int32_t surface, int32_t y);
    // Shows `frame` now and steps on from it; a number beyond the frames wraps.
    void SetFrame(int32_t surface, int32_t frame);
    // Milliseconds per frame; values that are not positive mean kDefaultFrameMs.
    void SetSpeed(int32_t surface, int32_t msPerFrame);
    void Draw(int32_t surface);

    // What a surface shows at this moment: its current frame and its place. The picture is
    // null when the surface is unknown or shows nothing.
    struct Shown {
        std::shared_ptr<const Picture> picture;
        int32_t x = 0, y = 0;
    };
    Shown Showing(int32_t surface);
    // Copies the opaque pixels of a picture at logical (x, y), only those inside the logical
    // area `within`, at the back buffer's detail.
    void DrawPicture(const Picture& p, int32_t x, int32_t y, const Area& within);
    // Memory held by pictures made for the detail.
    size_t DetailBytes() const { return detailBytes_; }
    // How many copies at the detail were made so far: what a frame spent on them.
    uint64_t CopiesMade() const { return copiesMade_; }
    // Whether drawing the picture hides all beneath it at the back buffer's detail: decided on
    // what is drawn there, which may be a twin with holes of its own.
    bool HidesBeneath(const Picture& p);
    // Whether drawing the picture at logical (x, y) leaves every pixel of the logical area
    // `within` as it was: it is a stepping surface's frame, and what its cover hides in every
    // frame takes in all of that area. Known without its copy at the detail, which drawing
    // there, or asking HidesBeneath, would make.
    bool DrawsNothingWithin(const Picture& p, int32_t x, int32_t y, const Area& within) const;
    // Where two pictures of one size, drawn at one place, give different pixels at the back
    // buffer's detail: squares of 16 logical pixels from their top-left, as PictureDifference
    // gives at 1. A smooth enlargement blends each pixel with its neighbours, and a twin differs
    // from its picture, so at a finer detail only what is drawn can tell.
    std::vector<Area> DifferenceAsDrawn(const Picture& a, const Picture& b);
    // The pictures drawn over a stepping surface (one of several frames) in this frame, with
    // their places. What they hide of its frames, at the detail, in this frame and in every
    // frame before, is left out of the frames' copies there, which then take memory and
    // composing time only for what shows (the flames are half hidden by the surround, the logs
    // and the andirons). What is left out only ever shrinks, so the copies are made again only
    // the few times it does (the first time each surround style shows), not at every change of
    // what covers them. Moving the surface, giving it other frames or another detail starts
    // afresh; CoverChanges counts the times the copies were let go for it.
    struct Cover {
        std::shared_ptr<const Picture> picture;
        int32_t x = 0, y = 0;
        bool operator==(const Cover&) const = default;
    };
    void SetCover(int32_t surface, std::vector<Cover> over);
    // The cover the surface will have at the next frame (a surround style rotating in): the
    // frame it shows then is made under it by PrepareUnderSoonCover, ahead, and SetCover takes
    // that copy when it is given a cover that hides the same. Until then, or kSoonMs, the
    // surface's own cover and copies stay as they are.
    void CoverSoon(int32_t surface, const std::vector<Cover>& over);
    // Makes the frame that surface will show at the clock's time `at` under that cover; gives
    // whether one was made (or was held already).
    bool PrepareUnderSoonCover(uint32_t at);
    // What a surface will show at the clock's time `at` (no later than its next step), and
    // where, without drawing it: a wish to draw it soon stays.
    Shown ShowingAt(int32_t surface, uint32_t at);
    // Counts the times the copies of some stepping surface's frames were made under another
    // cover (or whole again): differences taken from the copies before are stale then.
    uint32_t CoverChanges() const { return coverChanges_; }
    uint32_t Now() const { return clock_(); }
    // Makes ahead, at the detail, the frame a stepping surface shows next, when it is not held
    // yet: called once a frame is shown, it spends the time until the next one on it, so the
    // step itself is not late by the making (a flame frame at 4K takes some 70 ms). One frame
    // at most; gives whether one was made.
    bool PrepareNextFrame();
    // Whether PrepareNextFrame would find a frame to make: asked without reading or making
    // anything, so that a frame whose next step is already held costs no call later.
    bool NextFrameToMake() const;
    // The surface will be drawn within seconds (the next surround style of a rotation): its
    // current frame is read and made at the detail by PrepareSoon, at idle moments before, so
    // the frame that first draws it is not late by the making (a surround style takes tens of
    // milliseconds). It is not let go meanwhile; the wish ends when the surface is drawn, or
    // kSoonMs later.
    void DrawSoon(int32_t surface);
    static constexpr uint32_t kSoonMs = 10000;
    // Beyond this detail (screens past 4K) a surface to be drawn soon is only read, not made at
    // the detail. At 4K the new style takes some 6 MB for those seconds, beside the flames'
    // kept steps: room the heap gives back now that it is no longer left in pieces, and the
    // copies a kept step no longer holds.
    static constexpr int kSoonFinestDetail = 3;
    // These pictures will be drawn again within seconds (a rotation composes all around the
    // new style): those whose copies at the detail were let go while idle are made again by
    // PrepareSoon, at any detail, and kept meanwhile; the wish ends kSoonMs later.
    void MakeAhead(std::vector<std::shared_ptr<const Picture>> pictures);
    // The surface's pictures leave that list: it will not be drawn (a style rotating away).
    void NotAhead(int32_t surface);
    // Makes one picture of a surface to be drawn soon; gives whether one was made.
    bool PrepareSoon();
    // Whether PrepareSoon would find one to make.
    bool SoonToMake() const;
    // Whether the surface shows one of several frames.
    bool Steps(int32_t surface);
    // The copies at the detail of these pictures are let go (their own pixels went when the
    // copies were made): nothing composes them while their steps are shown from pixels kept
    // elsewhere. A copy made again after that is needed after all (the clock's second comes
    // with the same flame step every time) and is not let go this way again.
    void LetGoOfCopies(const std::vector<const Picture*>& pictures);
    // Copies at the detail that nothing has drawn or read for `idleMs` are let go, but for
    // those of a surface to be drawn soon; they are made again, from their files, when next
    // drawn. While the flames come from kept pixels nothing composes them or the pictures
    // around them (at 4K some 13 MB), and most will not be drawn before the next rotation.
    // Gives whether one was let go.
    bool LetGoOfIdleCopies(uint32_t idleMs);
    // What no longer shows is let go: every picture from a file that is not among `drawn` and
    // is no frame of a surface that shows one of them gives up its pixels and its copy at the
    // detail, and reads them again when it is next shown. A surround style that rotated away
    // then holds only its shape. Gives whether a copy at the detail was let go so.
    bool LetGoOfAllBut(const std::vector<const Picture*>& drawn);
    // Milliseconds until a surface of more than one frame steps on; -1 when none ever will.
    int64_t MsUntilNextStep();

    // The frame (from 1) the surface shows at this moment, 0 for an unknown surface.
    int32_t CurrentFrame(int32_t surface);
    // Picture memory held by all surfaces; a file loaded twice is held once.
    size_t PictureBytes() const;
    // What the decoded pictures take against the budget.
    size_t DecodedBytes() const { return decodedBytes_; }

  private:
    // Per row, the spans [first, end) of pixels.
    using Spans = std::vector<std::pair<int32_t, int32_t>>;
    struct Surface {
        int32_t x = 0;
        int32_t y = 0;
        std::vector<std::shared_ptr<const Picture>> frames;
        uint32_t shown = 0;  // index into frames
        int32_t msPerFrame = kDefaultFrameMs;
        uint32_t paceStart = 0;
        std::vector<Cover> cover;  // as last given
        // Per row of the frames at the detail, from their top-left: the spans [first, end) of
        // pixels hidden in every frame since the cover was first given.
        std::vector<Spans> hidden;
        bool covered = false;          // a cover was given since the surface last started afresh
        uint32_t coverGeneration = 0;  // of the copies made without `hidden`; 0: none hidden
    };
    // The surface whose hidden pixels the frame `p` leaves out when drawn at that surface's
    // place; null when none does.
    const Surface* CoveredBy(const Picture& p) const;
    void Uncover(Surface& s);
    // What `over` would leave hidden of the surface's frames, given after the covers before.
    std::vector<Spans> HiddenUnder(const Surface& s, const std::vector<Cover>& over);
    struct SoonCover {
        int32_t surface = 0;  // none
        std::vector<Spans> hidden;
        uint32_t generation = 0;  // of the copies made under it; 0: the cover will not change
        uint32_t since = 0;
    };
    SoonCover soonCover_;
    void ForgetSoonCover();
    uint32_t coverGenerations_ = 0;
    uint32_t coverChanges_ = 0;

    Surface* Find(int32_t surface);
    void Step(Surface& s);
    std::shared_ptr<const Picture> Decode(const std::string& path, int32_t key);
    // Reads a picture loaded but not yet read; false when it shows nothing.
    bool Materialize(const Picture& p);
    // The picture as drawn at the back buffer's detail (above 1, or at 1 a covered frame): its
    // high-detail twin when it has one that matches it, else the picture itself enlarged
    // smoothly (at 1, itself). Made on first use;
    // null when there is no memory for it.
    const DetailPicture* AtDetail(const Picture& p, bool whole = false);
    // The same with what is left out given: `under` (null: nothing), the copy's generation.
    const DetailPicture* AtDetailUnder(const Picture& p, const std::vector<Spans>* under,
                                       uint32_t generation, bool passing);
    // The same, held: another AtDetail may let the one given before go.
    std::shared_ptr<const DetailPicture> HeldAtDetail(const Picture& p);
    // A picture's own pixels, read again from its file if they were let go; false when they
    // cannot be had (the file is gone or now holds another picture).
    bool HavePixels(const Picture& p);
    // Lets go of a picture's own pixels once it is held at the detail, when it came from a
    // file: at a detail above 1, or at 1 when it is a covered stepping surface's frame. Nothing
    // reads them then: such frames are compared as drawn (DifferenceAsDrawn), not pixel by
    // pixel.
    void LetPixelsGo(const Picture& p);
    void DrawAtDetail(const DetailPicture& p, int64_t x, int64_t y, const Area& clip);

    MillisecondClock clock_;
    std::vector<uint32_t> own_;
    uint32_t* back_;
    int detail_ = 1;
    std::vector<Surface> surfaces_;  // surface n at n - 1
    // Decoded pictures by path and key, so the four stockings share one.
    struct Cached {
        std::string path;
        int32_t key;
        std::shared_ptr<const Picture> picture;
    };
    std::vector<Cached> cache_;
    size_t budget_;
    size_t decodedBytes_ = 0;
    // Pictures at the detail, by the picture they show; the most recently drawn last.
    struct Detailed {
        std::shared_ptr<const Picture> source;  // held, so its address is never reused meanwhile
        std::shared_ptr<const DetailPicture> picture;
        uint32_t coverGeneration = 0;  // the cover it was made under; 0: whole
        bool again = false;            // made again after LetGoOfCopies let one go
        uint32_t used = 0;             // the clock's time it was last drawn or read
    };
    // Whose copies LetGoOfCopies let go, and when: one made again within kAgainMs is needed
    // after all. One made again later (the next rotation) is not.
    std::vector<std::pair<const Picture*, uint32_t>> letGo_;
    static constexpr uint32_t kAgainMs = 5000;
    struct Soon {
        int32_t surface;
        uint32_t since;  // the clock's time of the wish
    };
    std::vector<Soon> soon_;
    // Pictures whose copies at the detail are made ahead, at any detail, since the clock's time:
    // those a rotation draws again that were let go while idle.
    std::vector<std::shared_ptr<const Picture>> ahead_;
    uint32_t aheadSince_ = 0;
    const Picture* AheadToMake() const;
    // What a soon surface shows, when it still needs reading or making at the detail.
    const Picture* SoonPicture(const Soon& wish) const;
    void ForgetStaleSoon();
    std::vector<Detailed> detailed_;
    std::shared_ptr<const DetailPicture> held_;  // the last one made for a picture nobody holds
    size_t detailBudget_;
    size_t detailBytes_ = 0;
    uint64_t copiesMade_ = 0;
};

// `count` pixels of three bytes (blue, green, red, as a DetailPicture holds them) to
// 0x00RRGGBB. Reads four bytes beyond the last pixel, which must be there.
void WidenPixels(const uint8_t* from, uint32_t* to, int count);

// The colour that a key value names: -1 is magenta (255, 0, 255); other non-negative values are
// a colour with red in the lowest byte; other negative values mean no colour key at all.
int64_t KeyColour(int32_t key);

// Decodes a Windows bitmap (or a JPEG or PNG) held in memory; empty on failure, when either side
// is beyond Picture::kMaxSourceSide, or when the file claims more pixels than its bytes can hold.
std::shared_ptr<const Picture> DecodePicture(const std::vector<uint8_t>& bytes, int32_t key);

}  // namespace hg
