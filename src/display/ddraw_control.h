#pragma once
// The drawing control without its platform. Surfaces and composition go to the Compositor; what
// each frame draws is recorded and compared with the frame before, so an unchanged frame costs
// nothing and a changed one composes, scales and shows only what changed. Changes that come
// round again (the flames' ring of frames) are remembered: what they changed, and the window
// pixels that they changed, kept while a budget allows. The platform's part is a back end: the
// memory of the logical picture, text, the window's own 32-bit picture and putting areas of it
// on the screen (Win32 here; an X11 one can sit on the same core).
//
// What the values the scene passes mean here:
// - OpenDisplay(800, 600, 16, ""): the logical display is always 800 x 600, composed in 24-bit
//   colour at the detail the primary monitor's size calls for (DetailFor) and shown scaled
//   smoothly onto it, with the wall of the room around it on the rest of the window; no display
//   mode is ever switched. Other sizes or depths are refused (the layout has one size). The
//   text names nothing yet and is ignored.
// - LoadSurfaceFrame's key -1: magenta (255, 0, 255) is transparent (see KeyColour).
// - SetSurfaceFrame(s, 1): the surface shows frame 1 now and steps on from there.
// - SetSurfaceSpeed(s, v): v milliseconds per frame (the dialog's 25 fast .. 250 slow; seeded
//   100); zero or negative means 100.
// - Surfaces are never lost: they live in our own memory, not in video memory that a mode
//   switch could take away. IsSurfaceLost is always false, RestoreSurface does nothing.
// - A picture that is missing or unreadable leaves an empty frame that draws nothing.
// - SetTextFont(face, size, n, bold, italic, underline): size is the character cell's height
//   in logical pixels (TextHeight: 16 when not positive, at most 600), so a text takes the same
//   share of every screen on both platforms; n (30 for the calendar, 1 for the message) reads
//   as neither weight, width nor angle and is ignored.
// - DrawTextAt(text, x, y, colour): (x, y) is the top-left of the character cell; the
//   background stays transparent.
// - FrameDue comes when the next flame frame is due, at most as often as the screen refreshes
//   and at least ten times a second (the clock's seconds).
// - Mouse and key events carry Visual Basic's values: button 1 left, 2 right, 4 middle; shift
//   1 Shift, 2 Ctrl, 4 Alt; mouse positions in logical display pixels.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/compositor.h"
#include "display/retained_frame.h"
#include "display/scaler.h"
#include "display/stage.h"
#include "scene/controls.h"

namespace hg {

class DDrawControl : public TegoDDrw {
  public:
    // The window pixels that changes seen before changed are kept up to this many bytes in
    // all: three bytes a pixel and only those that changed, the flames' ten changes some 58 MB
    // at 3840 x 2160, where the flames' copies at the detail (some 40 MB) are let go meanwhile;
    // or, where the back end shows them straight (ShowsKeptPixels) and they fit, whole bands
    // of rows, some 21 MB at 1920 x 1080. One change takes a tenth at most (see Keep).
    static constexpr size_t kKeptPixelBudget = size_t{72} << 20;
    // Frames are asked for at least this often, so the clock's second shows promptly.
    static constexpr int kSlowestFrameMs = 100;
    // Changed pixels are found in squares of this side before they are scaled and shown.
    static constexpr int kTile = 16;

    explicit DDrawControl(MillisecondClock clock);

    // What a tile of the screen showed, in 128 bits; not known before it was first shown.
    struct TileHash {
        uint32_t lanes[4] = {};
        bool known = false;
        bool operator==(const TileHash& o) const {
            return known && o.known && std::equal(lanes, lanes + 4, o.lanes);
        }
    };

    bool OpenDisplay(int width, int height, int bitsPerPixel, const std::string& options) override;
    void CloseDisplay() override;
    int32_t NewSurface() override;
    void LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                          int32_t key) override;
    void SetSurfaceX(int32_t surface, int32_t x) override;
    void SetSurfaceY(int32_t surface, int32_t y) override;
    void SetSurfaceFrame(int32_t surface, int32_t frame) override;
    void SetSurfaceSpeed(int32_t surface, int32_t speed) override;
    void ClearBackBuffer(Colour colour) override;
    bool IsSurfaceLost(int32_t surface) override { return false; }
    void RestoreSurface(int32_t surface) override {}
    void DrawSurface(int32_t surface) override;
    void DrawSoon(int32_t surface) override;
    void GoesSoon(int32_t surface) override;
    void ChangesIn(int32_t ms) override;
    void SetTextFont(const std::string& face, int32_t size, int32_t n, bool bold, bool italic,
                     bool underline) override;
    void DrawTextAt(const std::string& text, int32_t x, int32_t y, Colour colour) override;
    void FlipDisplay() override;

    bool IsOpen() const { return open_; }
    Compositor& Pixels() { return compositor_; }
    const Stage& CurrentStage() const { return stage_; }
    // What the screen's pixels kept for changes seen before take.
    // Counted from the memory they hold, kept or let go.
    size_t KeptPixelBytes() const;
    // Milliseconds until the next FrameDue: when the next flame frame is due, no sooner than
    // one refresh of the screen (`refreshHz`; 0 when unknown) and no later than kSlowestFrameMs.
    int NextFrameDelayMs(int refreshHz);

  protected:
    // The back end. OpenPresentation readies the display, false when it cannot be shown.
    virtual bool OpenPresentation() = 0;
    virtual void ClosePresentation() = 0;
    // Memory for the logical picture at `detail` (800 * detail by 600 * detail pixels
    // 0x00RRGGBB, rows without padding), where text is painted too; what an earlier call gave
    // may be freed. Null when there is no memory for it.
    virtual uint32_t* DetailBuffer(int detail) = 0;
    // Puts these areas of the window's picture (given by Restage) on the screen; they lie in
    // it, in window pixels.
    virtual void Show(const std::vector<Area>& areas) = 0;
    // Puts `pixels` (0x00RRGGBB, rows `at.Width()` apart) on the screen at the window area
    // `at`: the wall beside a picture of the hearth alone, outside the picture; or, where
    // ShowsKeptPixels, kept pixels over it. Never asked of a back end whose picture holds the
    // whole window.
    virtual void ShowPixels(const Area& at, const uint32_t* pixels) {}
    // Whether kept steps whose pixels fit the budget whole may be put on the screen through
    // ShowPixels straight from where they are kept, the window's picture left behind there
    // until PictureAsShown: no pass over the pixels of our own, where a window's drawing is
    // copied anyway (Wine's, to the X server).
    virtual bool ShowsKeptPixels() const { return false; }
    // The window's picture made what the screen shows, before it is painted from (the window
    // is to be painted again).
    void PictureAsShown();
    // Every logical pixel that PaintText of this text may touch at the current Detail().
    virtual Area TextBounds(const TextFont& font, const std::string& text, int32_t x,
                            int32_t y) = 0;
    // Paints onto the logical picture at Detail(): the font's size, the place and `clip` (all
    // logical) times the detail, so the text looks as it would at 800 x 600, only finer.
    // Touches nothing outside `clip`; done with the memory when it returns.
    virtual void PaintText(const TextFont& font, const std::string& text, int32_t x, int32_t y,
                           Colour colour, const Area& clip) = 0;
    int Detail() const { return compositor_.Detail(); }

    // From the back end: the window's picture and where the primary monitor lies in the window
    // (in window pixels), when the display opens and whenever either changes. Everything is
    // painted anew, wall and hearth, and shown. The picture may hold the whole window, or only
    // the hearth (StageFor tells where it lies): the wall around it, the same every frame, is
    // then painted a band at a time and shown through ShowPixels, and takes no memory.
    void Restage(const ScreenImage& image, const Area& primary, int windowWidth, int windowHeight);
    void Restage(const ScreenImage& image, const Area& primary) {
        Restage(image, primary, image.width, image.height);
    }
    // The wall in the window area `area` where the window's picture does not reach, shown
    // through ShowPixels: when the window is to be painted again.
    void ShowOutsidePicture(const Area& area);
    // The window's picture is going away (it is freed right after).
    void Unstage() { image_ = {}; }
    void RaiseFrameDue();
    // A pointer message at a window point; only a real change of place is a move. The first
    // message after opening only sets the place: windows report one when they appear.
    void PointerAt(int buttons, int shift, int windowX, int windowY);
    // The next pointer message only sets the place again.
    void ForgetPointer() { pointer_.reset(); }
    void ButtonDown(int button, int shift, int windowX, int windowY);
    void KeyDown(int16_t keyCode, int16_t shift);
    // Whether changes seen before are shown from the window pixels they changed, kept, rather
    // than composed and scaled again.
    virtual bool KeepsSteps() const { return true; }
    // Once a frame is shown, the flames' next frame is made at the detail ahead of its time
    // (PrepareAhead), or else a picture of a surface to be drawn soon (DrawSoon). A back end whose
    // screen takes what was drawn only when its thread goes idle (Wine copies a window's drawing to
    // X then) runs it later, from an idle moment, so the frame is not held back by the making.
    virtual void PrepareWhenIdle() { PrepareAhead(); }
    void PrepareAhead();
    // The wall's strip, and the same at high detail (used when the hearth is composed at more
    // than 1); null for a plain wall. Taken at the next Restage.
    void SetWall(std::shared_ptr<const Picture> tile, std::shared_ptr<const Picture> fine = {}) {
        wall_ = std::move(tile);
        fineWall_ = std::move(fine);
    }

  private:
    // What one change of frame changed on the screen: the flames step through the same frames
    // again and again, and the squares that change between two of them, once found, are known.
    // Composed pixels follow from the drawings alone once a clear of the whole screen lies under
    // them, so drawings that reach the same areas the same way give the same squares.
    // The window pixels that it changed are kept too, and showing it again costs no composing
    // and no scaling.
    struct KnownChange {
        std::vector<Area> dirty;
        std::vector<DrawOp> before, after;  // the drawings that reach `dirty` or its edge
        std::vector<Area> changed;
        // Only the window pixels that differ from what the change found there, as runs along
        // rows, three bytes a pixel: at 4K a flame step changes 1.8 M of the 2.9 M pixels in
        // the rectangles it is shown in. What the rest show is what the change finds again,
        // as the same drawings lie under them.
        struct Run {
            int32_t x, y, length;
        };
        bool kept = false;
        // The runs, then their pixels, then spare bytes (see WidenPixels), in one block: the
        // runs alone take 200 to 400 KB a step at 4K, a block of another size at every
        // rotation, and one more such block for the heap to find room for.
        size_t keptRunCount = 0;
        std::vector<uint8_t> keptRgb;
        const Run* KeptRuns() const { return reinterpret_cast<const Run*>(keptRgb.data()); }
        // The window areas holding the runs (a band of rows at a time), to be shown.
        std::vector<Area> keptShown;
        // Instead of the runs, where ShowsKeptPixels: the areas of keptShown whole, one after
        // another, as the window showed them.
        std::vector<uint32_t> keptWhole;
        size_t triedBytes = 0;  // what keeping it took, when that did not fit
        // Kept areas reach beyond `dirty` (areas are joined before and after scaling), so they
        // are shown again only while the drawings over all that they were scaled from are the
        // same: a clock's text in a bridged gap may have changed since.
        std::vector<Area> keptFrom;  // logical areas
        std::vector<DrawOp> keptDrawn;
        // What the tiles of `changed` held once it was composed, at this detail, and the
        // drawings over them then: the same drawings compose the same pixels again, so a step
        // seen before needs no hashing, only its hashes put back.
        std::vector<TileHash> hashes;
        std::vector<DrawOp> hashedDrawn;
        int hashedDetail = 0;
        uint64_t used = 0;  // the frame it last came in
        size_t KeptBytes() const;
    };
    static constexpr size_t kMaxKnownChanges = 32;
    // A change that has not come for this many frames is not in the flames' ring as it now
    // runs (ten steps; at the slowest pace 25 frames): a surround style rotated away. Its kept
    // pixels give way to a change that comes now.
    static constexpr uint64_t kStaleFrames = 60;
    // Copies at the detail not drawn for this long are let go while the flames come from kept
    // pixels; the clock's second draws the ones under it every second.
    static constexpr uint32_t kIdleCopyMs = 2000;

    // A change announced (ChangesIn): the clock's time it comes at, the surfaces it draws and
    // those it takes away (DrawSoon, GoesSoon), and the frame last made ready for it.
    std::optional<uint32_t> changeAt_;
    std::vector<int32_t> drawsSoon_, goesSoon_;
    uint32_t soonSince_ = 0;
    uint64_t readiedFor_ = 0;
    // A timer's tick may come this much after the frame that was due with it.
    static constexpr int32_t kChangeSlackMs = 30;
    // Whether the next frame is likely the one the announced change comes in.
    bool ChangeComesNext();
    // The steps kept over the surfaces that go are let go, and the flames that frame shows
    // made under the cover it will give them: at 4K the rotation's frame is otherwise late
    // by the 30 ms those take.
    void ReadyChange();
    void ForgetChange();

    void ShowFrame();
    bool ShowTextsBesideStep();
    void ShowKnown(KnownChange& change);
    void ShowNew(KnownChange& change, bool remember);
    void ShowKept(const KnownChange& change);
    void CoverSteppingSurfaces();
    const std::vector<const Picture*>& LetGoOfUndrawn(const std::vector<DrawOp>& ops);
    // Differences between pictures are taken as drawn at the detail, afresh.
    void MeasureAsDrawn();
    bool UseDetail(int detail);
    void Compose(const Area& area, const std::vector<DrawOp>& ops);
    void Sync(const std::vector<DrawOp>& ops, const std::vector<Area>* around = nullptr);
    // What the screen shows in the tiles of `area` is not known: they are shown anew.
    void ForgetShown(const Area& area);
    std::vector<Area> ChangedTiles(const std::vector<Area>& areas);
    bool Rehash(int tx, int ty);
    void Remember(const std::vector<Area>& changed);
    void RecordHashes(KnownChange& change);
    bool RestoreHashes(const KnownChange& change);
    KnownChange* FindKnownChange(const KnownChange& change);
    // With `keep`, the window pixels that the scaling changes are kept in it as runs.
    std::vector<Area> ScaleAndShow(const std::vector<Area>& logical, KnownChange* keep = nullptr);
    void ScaleIntoWindow(const Area& area);
    void ScaleAndFindRuns(const Area& area, KnownChange& keep);
    // Reused from step to step: the runs grow a step at a time, and at 4K a band takes 360 KB.
    std::vector<KnownChange::Run> foundRuns_;  // by ScaleAndFindRuns, for Keep
    std::vector<uint32_t> bandBefore_;
    bool hashShownLater_ = false;  // the last frame was shown whole, its tiles unhashed
    bool KeepWhole(KnownChange& change);
    void KeptFrom(KnownChange& change);
    // Where the screen shows kept pixels that the window's picture does not hold (stale_), the
    // picture scaled again from the back buffer, brought up to `ops` first.
    void Refresh(const std::vector<DrawOp>& ops);
    bool MayKeep(const KnownChange& change) const;
    void Keep(KnownChange& change);
    void LetGoOfSteppingCopies();
    void Unkeep(KnownChange& change);
    void ForgetKeptPixels();
    void ForgetKnownChanges();

    Compositor compositor_;
    RetainedFrame frame_;
    // The logical picture as last shown, tile by tile; where the back buffer differs, the
    // screen is stale. Hashes rather than pixels: at detail 3 a copy would take 17 MB.
    std::vector<TileHash> shown_;
    bool haveBuffer_ = false;
    // Logical areas where the screen shows a later frame than the back buffer and shown_.
    std::vector<Area> unsynced_;
    std::vector<KnownChange> known_;         // the most recently used last
    std::vector<const Picture*> lastDrawn_;  // the pictures of the last frame, in order
    uint32_t coverChanges_ = 0;              // the compositor's count, as last seen
    // This frame's step has kept pixels (just kept, or shown from them: fromKept_); so had
    // the frame before.
    bool keptNow_ = false, fromKept_ = false, keptBefore_ = false;
    size_t keptBytes_ = 0;
    Area stale_;           // window pixels shown from kept ones, not from the window's picture
    uint64_t frames_ = 0;  // frames flipped
    bool open_ = false;
    bool inFrame_ = false;
    std::optional<std::pair<int, int>> pointer_;
    TextFont font_;
    Stage stage_;
    Scaler scaler_;
    const Picture* WallTile() const {
        return Detail() > 1 && fineWall_ ? fineWall_.get() : wall_.get();
    }
    ScreenImage image_;
    int windowWidth_ = 0, windowHeight_ = 0;
    // The window picture's pixel at a window point inside it.
    uint32_t* WindowPixel(int x, int y) const {
        return image_.pixels + static_cast<size_t>(y - image_.top) * image_.stride +
               (x - image_.left);
    }
    Area primary_;
    std::shared_ptr<const Picture> wall_, fineWall_;
};

}  // namespace hg
