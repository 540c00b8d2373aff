#include "controls/ddraw_control.h"

#include <algorithm>
#include <cstring>

namespace hg {

namespace {

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;
constexpr Area kScreen{0, 0, kW, kH};

}  // namespace

DDrawControl::DDrawControl(MillisecondClock clock) : compositor_(std::move(clock)) {}

bool DDrawControl::OpenDisplay(int width, int height, int bitsPerPixel, const std::string&) {
    if (width != kW || height != kH || bitsPerPixel != 16) return false;
    if (open_) return true;
    uint16_t* pixels = OpenPresentation();
    if (!pixels) return false;
    compositor_.UseBackBuffer(pixels);
    compositor_.Clear(0);
    shown_.assign(static_cast<size_t>(kW) * kH, 0);
    frame_ = RetainedFrame();
    pointer_.reset();
    open_ = true;
    if (image_.pixels) Restage(image_, primary_);
    return true;
}

void DDrawControl::CloseDisplay() {
    if (!open_) return;
    open_ = false;
    // Back to our own memory before the presenter frees its bitmaps.
    compositor_.UseBackBuffer(nullptr);
    frame_ = RetainedFrame();
    image_ = {};
    stage_ = {};
    scaler_ = {};
    blocks_.Reset(0, 0);
    ClosePresentation();
}

int32_t DDrawControl::NewSurface() { return compositor_.NewSurface(); }

void DDrawControl::LoadSurfaceFrame(int32_t surface, int32_t frame, const std::string& path,
                                    int32_t key) {
    compositor_.LoadFrame(surface, frame, path, key);
}

void DDrawControl::SetSurfaceX(int32_t surface, int32_t x) { compositor_.SetX(surface, x); }
void DDrawControl::SetSurfaceY(int32_t surface, int32_t y) { compositor_.SetY(surface, y); }

void DDrawControl::SetSurfaceFrame(int32_t surface, int32_t frame) {
    compositor_.SetFrame(surface, frame);
}

void DDrawControl::SetSurfaceSpeed(int32_t surface, int32_t speed) {
    compositor_.SetSpeed(surface, speed);
}

void DDrawControl::ClearBackBuffer(Colour colour) {
    if (!open_) return;
    DrawOp op;
    op.kind = DrawOp::Kind::Clear;
    op.colour = colour & 0xFFFFFF;
    op.bounds = kScreen;
    frame_.Add(std::move(op));
}

void DDrawControl::DrawSurface(int32_t surface) {
    Compositor::Shown s = compositor_.Showing(surface);
    if (!open_ || !s.picture) return;
    DrawOp op;
    op.kind = DrawOp::Kind::Picture;
    op.x = s.x;
    op.y = s.y;
    // Clipped in 64 bits: a place near the int32 limits plus the picture's size must not wrap.
    auto clip = [](int64_t v, int limit) {
        return static_cast<int>(std::clamp<int64_t>(v, 0, limit));
    };
    op.bounds = {clip(s.x, kW), clip(s.y, kH), clip(int64_t{s.x} + s.picture->Width(), kW),
                 clip(int64_t{s.y} + s.picture->Height(), kH)};
    op.picture = std::move(s.picture);
    frame_.Add(std::move(op));
}

void DDrawControl::SetTextFont(const std::string& face, int32_t size, int32_t, bool bold,
                               bool italic, bool underline) {
    font_ = TextFont{face, size, bold, italic, underline};
}

void DDrawControl::DrawTextAt(const std::string& text, int32_t x, int32_t y, Colour colour) {
    if (!open_ || text.empty()) return;
    DrawOp op;
    op.kind = DrawOp::Kind::Text;
    op.colour = colour & 0xFFFFFF;
    op.x = x;
    op.y = y;
    op.font = font_;
    op.text = text;
    op.bounds = TextBounds(font_, text, x, y);
    frame_.Add(std::move(op));
}

void DDrawControl::FlipDisplay() {
    if (!open_) return;
    const std::vector<Area> dirty = frame_.Finish();
    for (const Area& a : dirty) Compose(a);
    ScaleAndShow(ChangedTiles(dirty));
}

// The frame's drawings again, in order, each kept inside `area`.
void DDrawControl::Compose(const Area& area) {
    for (const DrawOp& op : frame_.Drawn()) {
        const Area clip = op.bounds.Intersect(area);
        if (clip.Empty()) continue;
        switch (op.kind) {
            case DrawOp::Kind::Clear:
                compositor_.Clear(op.colour, clip);
                break;
            case DrawOp::Kind::Picture:
                compositor_.DrawPicture(*op.picture, op.x, op.y, clip);
                break;
            case DrawOp::Kind::Text:
                PaintText(op.font, op.text, op.x, op.y, op.colour, clip);
                break;
        }
    }
}

// The parts of `areas` whose pixels really differ from what was shown, found tile by tile: a
// flame frame that changes only inside the fire's opening shows only that. What was shown is
// brought up to date as it goes.
std::vector<Area> DDrawControl::ChangedTiles(const std::vector<Area>& areas) {
    const uint16_t* back = compositor_.BackBuffer();
    std::vector<Area> changed;
    for (const Area& area : areas) {
        const Area a = area.Intersect(kScreen);
        for (int top = a.top; top < a.bottom;) {
            const int bottom = std::min(a.bottom, (top / kTile + 1) * kTile);
            int runStart = -1;
            for (int left = a.left; left <= a.right;) {
                const int right = std::min(a.right, (left / kTile + 1) * kTile);
                bool differs = false;
                for (int y = top; y < bottom && left < a.right && !differs; ++y)
                    differs = std::memcmp(back + y * kW + left, shown_.data() + y * kW + left,
                                          sizeof(uint16_t) * (right - left)) != 0;
                if (differs && runStart < 0) runStart = left;
                if (!differs && runStart >= 0) {
                    changed.push_back({runStart, top, left, bottom});
                    runStart = -1;
                }
                if (left == a.right) break;
                left = right;
            }
            top = bottom;
        }
    }
    for (const Area& c : changed)
        for (int y = c.top; y < c.bottom; ++y)
            std::memcpy(shown_.data() + y * kW + c.left, back + y * kW + c.left,
                        sizeof(uint16_t) * c.Width());
    return MergeAreas(StackRuns(std::move(changed)));
}

// The squares of the picture whose screen pixels may have changed, block by block: a screen
// pixel reads its source pixel and the next, so the squares left of and above a changed area
// are read again too. Runs of squares along a row are shown together.
void DDrawControl::ScaleAndShow(const std::vector<Area>& logical) {
    if (!image_.pixels || stage_.hearth.Empty() || logical.empty()) return;
    constexpr int kColumns = (kW + kTile - 1) / kTile, kRows = (kH + kTile - 1) / kTile;
    std::vector<uint8_t> wanted(static_cast<size_t>(kColumns) * kRows, 0);
    for (const Area& a : logical) {
        const Area r = Area{a.left - 1, a.top - 1, a.right, a.bottom}.Intersect(kScreen);
        if (r.Empty()) continue;
        for (int ty = r.top / kTile; ty <= (r.bottom - 1) / kTile; ++ty)
            std::fill_n(wanted.begin() + ty * kColumns + r.left / kTile,
                        (r.right - 1) / kTile - r.left / kTile + 1, 1);
    }
    blocks_.NextFrame();
    std::vector<Area> shown;
    for (int ty = 0; ty < kRows; ++ty)
        for (int tx = 0; tx < kColumns;) {
            if (!wanted[static_cast<size_t>(ty) * kColumns + tx]) {
                ++tx;
                continue;
            }
            int end = tx;
            while (end < kColumns && wanted[static_cast<size_t>(ty) * kColumns + end]) ++end;
            const Area d = ShowBlocks(ty, tx, end);
            if (!d.Empty())
                shown.push_back({d.left + stage_.hearth.left, d.top + stage_.hearth.top,
                                 d.right + stage_.hearth.left, d.bottom + stage_.hearth.top});
            tx = end;
        }
    if (!shown.empty()) Show(MergeAreas(StackRuns(std::move(shown))));
}

// Puts the blocks of squares [first, end) of `row` into the window's picture: copied when the
// same pixels were scaled here before, scaled otherwise (neighbouring misses in one go) and
// kept. Returns the screen area they cover, relative to the hearth.
Area DDrawControl::ShowBlocks(int row, int first, int end) {
    static_assert(kTile == BlockCache::kSide);
    auto square = [&](int from, int to) {
        return Area{from * kTile, row * kTile, std::min(kW, to * kTile),
                    std::min(kH, (row + 1) * kTile)};
    };
    const Area all = scaler_.Owned(square(first, end));
    if (all.Empty()) return {};
    const uint16_t* back = compositor_.BackBuffer();
    const int stride = image_.stride;
    uint32_t* origin =
        image_.pixels + static_cast<size_t>(stage_.hearth.top) * stride + stage_.hearth.left;
    // Not enlarged, a block costs less to scale than to look up.
    if (blocks_.Budget() == 0 || (scaler_.DestWidth() <= kW && scaler_.DestHeight() <= kH)) {
        scaler_.Scale(back, origin, stride, all);
        return all;
    }
    std::vector<BlockCache::Key> keys(static_cast<size_t>(end - first));
    int missFrom = -1;
    auto scaleMisses = [&](int to) {
        if (missFrom < 0) return;
        scaler_.Scale(back, origin, stride, scaler_.Owned(square(missFrom, to)));
        for (int tx = missFrom; tx < to; ++tx) {
            const Area d = scaler_.Owned(square(tx, tx + 1));
            if (!d.Empty())
                blocks_.Keep(tx, row, keys[static_cast<size_t>(tx - first)],
                             origin + static_cast<size_t>(d.top) * stride + d.left, d.Width(),
                             d.Height(), stride);
        }
        missFrom = -1;
    };
    for (int tx = first; tx < end; ++tx) {
        const Area d = scaler_.Owned(square(tx, tx + 1));
        if (d.Empty()) continue;
        BlockCache::Key& key = keys[static_cast<size_t>(tx - first)];
        key = BlockCache::KeyOf(back, kW, kH, tx, row);
        const uint32_t* kept = blocks_.Find(tx, row, key);
        if (!kept) {
            if (missFrom < 0) missFrom = tx;
            continue;
        }
        scaleMisses(tx);
        for (int y = 0; y < d.Height(); ++y)
            std::memcpy(origin + static_cast<size_t>(d.top + y) * stride + d.left,
                        kept + static_cast<size_t>(y) * d.Width(), sizeof(uint32_t) * d.Width());
    }
    scaleMisses(end);
    return all;
}

void DDrawControl::SetBlockBudget(size_t bytes) {
    blocks_ = BlockCache(bytes);
    ResetBlocks();
}

void DDrawControl::ResetBlocks() {
    blocks_.Reset((kW + kTile - 1) / kTile, (kH + kTile - 1) / kTile);
}

void DDrawControl::Restage(const ScreenImage& image, const Area& primary) {
    image_ = image;
    primary_ = primary;
    if (!open_ || !image_.pixels) return;
    stage_ = Stage::For(image_.width, image_.height, primary_);
    const Area& h = stage_.hearth;
    if (scaler_.DestWidth() != h.Width() || scaler_.DestHeight() != h.Height()) {
        scaler_ = Scaler(kW, kH, h.Width(), h.Height());
        ResetBlocks();
    }
    PaintWall(wall_.get(), stage_, image_);
    if (!h.Empty())
        scaler_.Scale(compositor_.BackBuffer(),
                      image_.pixels + static_cast<size_t>(h.top) * image_.stride + h.left,
                      image_.stride, {0, 0, h.Width(), h.Height()});
    Show({{0, 0, image_.width, image_.height}});
}

void DDrawControl::RaiseFrameDue() {
    // A frame that is still being drawn (a message box or a modal loop inside it pumping
    // messages) must not start another one over the same back buffer.
    if (!open_ || inFrame_ || !events_) return;
    inFrame_ = true;
    events_->FrameDue();
    inFrame_ = false;
}

int DDrawControl::NextFrameDelayMs(int refreshHz) {
    // A millisecond short of one refresh: timers that only fire on the system's ticks round
    // up, and a frame a whole tick late could let a fast flame frame go unseen.
    const int refreshMs = std::max(1, (refreshHz > 0 ? 1000 / refreshHz : 16) - 1);
    const int64_t due = compositor_.MsUntilNextStep();
    if (due < 0) return kSlowestFrameMs;
    return static_cast<int>(std::clamp<int64_t>(due, refreshMs, kSlowestFrameMs));
}

void DDrawControl::PointerAt(int buttons, int shift, int windowX, int windowY) {
    if (!open_) return;
    const std::pair<int, int> at{windowX, windowY};
    const bool moved = pointer_ && *pointer_ != at;
    pointer_ = at;
    if (moved && events_)
        events_->MouseMoved(buttons, shift, stage_.LogicalX(windowX), stage_.LogicalY(windowY));
}

void DDrawControl::ButtonDown(int button, int shift, int windowX, int windowY) {
    if (!open_) return;
    if (events_)
        events_->MouseButton(button, shift, stage_.LogicalX(windowX), stage_.LogicalY(windowY));
}

void DDrawControl::KeyDown(int16_t keyCode, int16_t shift) {
    if (!open_) return;
    if (events_) events_->KeyEvent(keyCode, shift);
}

}  // namespace hg
