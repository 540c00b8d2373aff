#include "display/ddraw_control.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "display/detail.h"

namespace hg {

namespace {

// Beyond a change's kept pixels: WidenPixels reads four bytes past the last one.
constexpr size_t kSpareBytes = 4;

constexpr int kW = Compositor::kWidth, kH = Compositor::kHeight;
constexpr Area kScreen{0, 0, kW, kH};

constexpr int kTilesAcross = (kW + DDrawControl::kTile - 1) / DDrawControl::kTile;
constexpr int kTilesDown = (kH + DDrawControl::kTile - 1) / DDrawControl::kTile;

inline uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

// A tile's pixels in four lanes, every fourth pixel in each. Each step is a bijection of the
// lane for a given pixel, so a change of any one pixel always changes the hash; 32-bit steps,
// as fast in the 32-bit build as in a 64-bit one.
DDrawControl::TileHash HashTile(const uint32_t* back, size_t stride, int x0, int y0, int width,
                                int height) {
    constexpr uint32_t kOdd = 0x9E3779B1u;
    uint32_t h[4] = {0x243F6A88u, 0x85A308D3u, 0x13198A2Eu, 0x03707344u};
    for (int y = y0; y < y0 + height; ++y) {
        const uint32_t* p = back + static_cast<size_t>(y) * stride + x0;
        int x = 0;
        for (; x + 4 <= width; x += 4)
            for (int l = 0; l < 4; ++l) h[l] = Rotl((h[l] ^ p[x + l]) * kOdd, 13);
        for (; x < width; ++x) h[x & 3] = Rotl((h[x & 3] ^ p[x]) * kOdd, 13);
    }
    return {{h[0], h[1], h[2], h[3]}, true};
}

// The drawings start with a clear of the whole screen, so no pixel keeps an older frame's.
bool ClearsAll(const std::vector<DrawOp>& ops) {
    return !ops.empty() && ops.front().kind == DrawOp::Kind::Clear && ops.front().bounds == kScreen;
}

// The drawings that touch any of `areas` grown by `margin` on every side, in order.
std::vector<DrawOp> Touching(const std::vector<DrawOp>& ops, const std::vector<Area>& areas,
                             int margin) {
    std::vector<DrawOp> touching;
    for (const DrawOp& op : ops)
        if (std::any_of(areas.begin(), areas.end(), [&](const Area& a) {
                return !op.bounds
                            .Intersect({a.left - margin, a.top - margin, a.right + margin,
                                        a.bottom + margin})
                            .Empty();
            }))
            touching.push_back(op);
    return touching;
}

// The drawings that touch any of `areas` or the pixel around them (a scaled pixel at an area's
// edge blends its neighbour outside), in order.
std::vector<DrawOp> Reaching(const std::vector<DrawOp>& ops, const std::vector<Area>& areas) {
    return Touching(ops, areas, 1);
}

// The tiles of `areas` and the pixel beyond them: what composing, hashing and scaling those
// areas read of the back buffer.
std::vector<Area> TilesAndBeyond(const std::vector<Area>& areas) {
    constexpr int t = DDrawControl::kTile;
    std::vector<Area> reach;
    for (const Area& a : areas)
        reach.push_back({a.left / t * t - 1, a.top / t * t - 1, (a.right + t - 1) / t * t + 1,
                         (a.bottom + t - 1) / t * t + 1});
    return reach;
}

bool SameDrawings(const std::vector<DrawOp>& a, const std::vector<DrawOp>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const DrawOp& x, const DrawOp& y) { return x.SameAs(y); });
}

}  // namespace

DDrawControl::DDrawControl(MillisecondClock clock) : compositor_(std::move(clock)) {}

bool DDrawControl::OpenDisplay(int width, int height, int bitsPerPixel, const std::string&) {
    if (width != kW || height != kH || bitsPerPixel != 16) return false;
    if (open_) return true;
    haveBuffer_ = false;
    if (!OpenPresentation()) return false;
    frame_ = RetainedFrame();
    ForgetKnownChanges();
    pointer_.reset();
    open_ = true;
    if (image_.pixels) Restage(image_, primary_, windowWidth_, windowHeight_);
    if (!haveBuffer_ && !UseDetail(1)) {
        CloseDisplay();
        return false;
    }
    return true;
}

// The back buffer at `detail`, with the last frame composed in it anew; at detail 1 when there
// is no memory for more. False when there is none even for that.
bool DDrawControl::UseDetail(int detail) {
    if (haveBuffer_ && detail == compositor_.Detail()) return true;
    uint32_t* pixels = DetailBuffer(detail);
    if (!pixels && detail > 1) pixels = DetailBuffer(detail = 1);
    if (!pixels) {
        // The buffer given before may be gone: nothing may be drawn into it.
        compositor_.UseBackBuffer(nullptr, 1);
        haveBuffer_ = false;
        return false;
    }
    compositor_.UseBackBuffer(pixels, detail);
    MeasureAsDrawn();
    compositor_.Clear(0);
    unsynced_.clear();
    shown_.assign(static_cast<size_t>(kTilesAcross) * kTilesDown, TileHash{});
    hashShownLater_ = false;
    // Before the first frame the picture is blank and that frame shows all of it: hashing
    // 17 MB of black at 4K would only hold up the opening.
    if (!frame_.Drawn().empty()) {
        Compose(kScreen, frame_.Drawn());
        Remember({kScreen});
    }
    haveBuffer_ = true;
    return true;
}

void DDrawControl::CloseDisplay() {
    if (!open_) return;
    open_ = false;
    // Back to our own memory before the presenter frees its bitmaps.
    compositor_.UseBackBuffer(nullptr, 1);
    haveBuffer_ = false;
    shown_.clear();
    hashShownLater_ = false;
    ForgetChange();
    frame_ = RetainedFrame();
    ForgetKnownChanges();
    image_ = {};
    stage_ = {};
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
    op.surface = surface;
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
    ++frames_;
    // While the steps come from kept pixels nothing composes the flames: none is made ahead,
    // and the frame that a kept step showed gives its copy at the detail back before the next
    // step is shown (at 4K each is some 4.5 MB): that step, composed, needs only its own frame.
    // Let go as the ring is being kept, they are never all held beside all the kept steps.
    if (keptBefore_) {
        std::vector<const Picture*> gone;
        for (const Picture* p : lastDrawn_)
            if (std::none_of(frame_.Recording().begin(), frame_.Recording().end(),
                             [p](const DrawOp& op) { return op.picture.get() == p; }))
                gone.push_back(p);
        compositor_.LetGoOfCopies(gone);
    }
    ShowFrame();
    LetGoOfUndrawn(frame_.Drawn());
    keptBefore_ = keptNow_;
    // Kept pixels of changes that no longer come (a surround style rotated away) go, so a
    // rotation does not hold two styles' steps.
    for (KnownChange& k : known_)
        if (k.kept && frames_ - k.used > kStaleFrames) Unkeep(k);
    // While steps are kept, most pictures are drawn by nothing until the next rotation (the
    // stockings, the surround once its steps are all kept): copies idle for a while give way
    // to the kept steps, and are made again from their files when next drawn.
    if (keptNow_) compositor_.LetGoOfIdleCopies(kIdleCopyMs);
    // A step kept, or shown from kept pixels, is followed by one that is kept too: the ring
    // of steps comes round. Its flame frame made ahead would only be let go again.
    if ((!keptNow_ && compositor_.NextFrameToMake()) || compositor_.SoonToMake() ||
        ChangeComesNext())
        PrepareWhenIdle();
}

void DDrawControl::PrepareAhead() {
    // Not from inside a frame (a modal loop in it): the compositor is in use.
    if (!open_ || inFrame_) return;
    if (ChangeComesNext()) {
        ReadyChange();
        return;
    }
    if (!keptNow_ && compositor_.PrepareNextFrame()) return;
    // One picture a frame: a surround style's top takes tens of milliseconds.
    compositor_.PrepareSoon();
}

// A rotation is coming: besides the new style, it composes again all the pictures around it,
// whose copies went while the steps were kept. Those of the frame now shown are made ahead too
// (but the style rotating away: GoesSoon).
void DDrawControl::DrawSoon(int32_t surface) {
    if (!open_) return;
    if (compositor_.Now() - soonSince_ >= Compositor::kSoonMs) ForgetChange();
    soonSince_ = compositor_.Now();
    drawsSoon_.push_back(surface);
    compositor_.DrawSoon(surface);
    std::vector<std::shared_ptr<const Picture>> again;
    for (const DrawOp& op : frame_.Drawn())
        if (op.kind == DrawOp::Kind::Picture && op.picture && !compositor_.Steps(op.surface))
            again.push_back(op.picture);
    compositor_.MakeAhead(std::move(again));
}

// The style rotating away is not made ahead with the pictures around the new one: at 4K its
// copies would be some 4 MB more beside the kept steps, for the seconds before the rotation.
void DDrawControl::GoesSoon(int32_t surface) {
    if (!open_) return;
    goesSoon_.push_back(surface);
    compositor_.NotAhead(surface);
}

void DDrawControl::ChangesIn(int32_t ms) {
    if (open_ && !drawsSoon_.empty()) changeAt_ = compositor_.Now() + static_cast<uint32_t>(ms);
}

bool DDrawControl::ChangeComesNext() {
    if (!changeAt_ || readiedFor_ == frames_ + 1) return false;
    const uint32_t now = compositor_.Now();
    if (now - soonSince_ >= Compositor::kSoonMs) {
        ForgetChange();
        return false;
    }
    const int64_t step = compositor_.MsUntilNextStep();
    if (step < 0) return false;
    const int64_t next = std::min<int64_t>(step, kSlowestFrameMs);
    return static_cast<int32_t>(*changeAt_ - now) <= next + kChangeSlackMs;
}

void DDrawControl::ReadyChange() {
    readiedFor_ = frames_ + 1;
    auto going = [this](int32_t surface) {
        return surface && std::find(goesSoon_.begin(), goesSoon_.end(), surface) != goesSoon_.end();
    };
    const std::vector<DrawOp>& ops = frame_.Drawn();
    const auto stepping = std::find_if(ops.begin(), ops.end(), [this](const DrawOp& op) {
        return op.kind == DrawOp::Kind::Picture && op.surface && compositor_.Steps(op.surface);
    });
    const uint32_t at = compositor_.Now() + static_cast<uint32_t>(std::clamp<int64_t>(
                                                compositor_.MsUntilNextStep(), 0, kSlowestFrameMs));
    // The step the next frame shows, should the change come a frame later than foreseen (its
    // timer's tick some milliseconds after that frame's), stays kept: that frame is then shown
    // from it, not composed with a flame frame made again (at 1920 x 1080 some 110 ms).
    const std::shared_ptr<const Picture> next =
        stepping == ops.end() ? nullptr : compositor_.ShowingAt(stepping->surface, at).picture;
    for (KnownChange& k : known_)
        if (k.kept &&
            std::any_of(k.keptDrawn.begin(), k.keptDrawn.end(),
                        [&](const DrawOp& op) { return going(op.surface); }) &&
            std::none_of(k.after.begin(), k.after.end(),
                         [&](const DrawOp& op) { return next && op.picture == next; }))
            Unkeep(k);
    // The cover as CoverSteppingSurfaces will find it: what this frame drew over the flames
    // (the one surface that steps), the style going left out and the one coming put in, each
    // at its place.
    if (stepping == ops.end()) return;
    std::vector<Compositor::Cover> over;
    for (auto op = stepping + 1; op != ops.end(); ++op)
        if (op->kind == DrawOp::Kind::Picture && !going(op->surface))
            over.push_back({op->picture, op->x, op->y});
    // Not drawn yet: a frame before the change lets go of what it does not draw but these.
    for (int32_t surface : drawsSoon_) {
        Compositor::Shown shown = compositor_.ShowingAt(surface, at);
        if (shown.picture) over.push_back({std::move(shown.picture), shown.x, shown.y});
    }
    compositor_.CoverSoon(stepping->surface, over);
    compositor_.PrepareUnderSoonCover(at);
}

void DDrawControl::ForgetChange() {
    changeAt_.reset();
    drawsSoon_.clear();
    goesSoon_.clear();
}

// Pictures these drawings do not draw (a surround style rotated away, a stocking hidden) give
// their memory back; the flames' other frames stay, drawn in turn. Gives the pictures drawn.
const std::vector<const Picture*>& DDrawControl::LetGoOfUndrawn(const std::vector<DrawOp>& ops) {
    std::vector<const Picture*> drawn;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Kind::Picture) drawn.push_back(op.picture.get());
    if (drawn != lastDrawn_) {
        // Pictures let go (a surround style rotated away): the steps kept over them will not
        // come until they are drawn again, and would be held beside the new style's.
        if (compositor_.LetGoOfAllBut(drawn))
            for (KnownChange& k : known_)
                if (k.kept && k.used != frames_) Unkeep(k);
        lastDrawn_ = std::move(drawn);
    }
    return lastDrawn_;
}

// The pictures drawn over a stepping surface (the flames) cover part of each of its frames; only
// what shows of them is held at the detail and composed. The cover is set before the frame is
// compared, since the frames' differences are taken from those copies.
void DDrawControl::CoverSteppingSurfaces() {
    const std::vector<DrawOp>& ops = frame_.Recording();
    std::vector<int32_t> seen;
    for (size_t i = 0; i < ops.size(); ++i) {
        const DrawOp& op = ops[i];
        if (op.kind != DrawOp::Kind::Picture || !op.surface || !compositor_.Steps(op.surface) ||
            std::find(seen.begin(), seen.end(), op.surface) != seen.end())
            continue;
        seen.push_back(op.surface);
        std::vector<Compositor::Cover> over;
        for (size_t j = i + 1; j < ops.size(); ++j)
            if (ops[j].kind == DrawOp::Kind::Picture)
                over.push_back({ops[j].picture, ops[j].x, ops[j].y});
        compositor_.SetCover(op.surface, std::move(over));
    }
    // Copies made under another cover since the last frame (a surface moved, too) leave other
    // pixels out: the differences taken from the old ones are stale.
    if (compositor_.CoverChanges() != coverChanges_) {
        coverChanges_ = compositor_.CoverChanges();
        MeasureAsDrawn();
    }
}

void DDrawControl::MeasureAsDrawn() {
    frame_.MeasureWith(
        [this](const Picture& a, const Picture& b) { return compositor_.DifferenceAsDrawn(a, b); });
}

void DDrawControl::ShowFrame() {
    // What the last frame showed whole is the back buffer still, unless steps were shown
    // since from their kept pixels: then its tiles stay unknown, and count as changed.
    if (std::exchange(hashShownLater_, false) && unsynced_.empty()) Remember({kScreen});
    if (std::any_of(frame_.Recording().begin(), frame_.Recording().end(), [&](const DrawOp& op) {
            return op.surface &&
                   std::find(drawsSoon_.begin(), drawsSoon_.end(), op.surface) != drawsSoon_.end();
        }))
        ForgetChange();
    keptNow_ = fromKept_ = false;
    // Steps kept with a surface that this frame no longer draws (a surround style rotated away)
    // cannot be shown from their pixels until it comes back: they go before anything of this
    // frame is made, not after, and are never held beside the new style's pictures.
    std::vector<int32_t> gone;
    for (const DrawOp& op : frame_.Drawn())
        if (op.surface &&
            std::none_of(frame_.Recording().begin(), frame_.Recording().end(),
                         [&](const DrawOp& now) { return now.surface == op.surface; }))
            gone.push_back(op.surface);
    for (KnownChange& k : known_)
        if (k.kept && std::any_of(k.keptDrawn.begin(), k.keptDrawn.end(), [&](const DrawOp& op) {
                return std::find(gone.begin(), gone.end(), op.surface) != gone.end();
            }))
            Unkeep(k);
    // Pictures that no longer show (a surround style rotated away) go before this frame's are
    // made at the detail, so the two styles are held at once only for the seconds the new one
    // is made ahead (DrawSoon); only while nothing waits to be composed from the drawings
    // before, which may need them.
    if (unsynced_.empty()) LetGoOfUndrawn(frame_.Recording());
    CoverSteppingSurfaces();
    KnownChange change;
    change.dirty = frame_.Finish();
    const bool pure =
        ClearsAll(frame_.Before()) && ClearsAll(frame_.Drawn()) && !change.dirty.empty();
    if (pure) {
        change.before = Reaching(frame_.Before(), change.dirty);
        change.after = Reaching(frame_.Drawn(), change.dirty);
        if (KnownChange* known = FindKnownChange(change)) {
            if (known->kept &&
                !SameDrawings(known->keptDrawn, Touching(frame_.Drawn(), known->keptFrom, 0)))
                Unkeep(*known);
            if (!known->kept || !image_.pixels) {
                ShowKnown(*known);
                return;
            }
            ShowKept(*known);
            return;
        }
    }
    if (pure && ShowTextsBesideStep()) return;
    ShowNew(change, pure);
}

// A change not seen before, composed, found in its tiles and shown; remembered when the frames
// on both sides of it clear the whole screen first.
void DDrawControl::ShowNew(KnownChange& change, bool remember) {
    // Where the screen runs ahead of the back buffer inside what is composed anew anyway (a
    // rotation over the kept flames), the frame before is not composed there first, only
    // shown anew: that would make its flame frame again, let go while its steps were kept.
    std::erase_if(unsynced_, [&](const Area& u) {
        const bool within = std::any_of(change.dirty.begin(), change.dirty.end(),
                                        [&](const Area& d) { return u.Intersect(d) == u; });
        if (within) ForgetShown(u);
        return within;
    });
    Sync(frame_.Before(), &change.dirty);
    for (const Area& a : change.dirty) Compose(a, frame_.Drawn());
    // A change of the whole screen (the first frame, a surround style rotating in) is shown
    // whole, not hashed first to find the few tiles it leaves alone: at 4K that takes 15 ms
    // of the rotation's frame. Its tiles are hashed as the next frame begins.
    if (std::find(change.dirty.begin(), change.dirty.end(), kScreen) != change.dirty.end()) {
        ForgetShown(kScreen);
        hashShownLater_ = true;
        change.changed = {kScreen};
    } else {
        change.changed = ChangedTiles(change.dirty);
    }
    ScaleAndShow(change.changed);
    if (!remember) return;
    RecordHashes(change);
    if (known_.size() >= kMaxKnownChanges) {
        Unkeep(known_.front());
        known_.erase(known_.begin());
    }
    // Its pixels are kept when it comes again: a change seen once may never come back (the
    // clock's second together with a step, where the two could not be shown apart), and kept
    // pixels stay until the change is forgotten or stops coming (kStaleFrames).
    change.used = frames_;
    known_.push_back(std::move(change));
}

// A change seen before, composed and shown (its hashes put back when they can be), and the
// window pixels it changed kept while the budget has room.
void DDrawControl::ShowKnown(KnownChange& change) {
    const bool keep = MayKeep(change);
    // Its runs are what differs from the window's picture, which must be what the screen shows.
    if (keep) Refresh(frame_.Before());
    Sync(frame_.Before(), &change.changed);
    for (const Area& a : change.changed) Compose(a, frame_.Drawn());
    if (!RestoreHashes(change)) {
        Remember(change.changed);
        RecordHashes(change);
    }
    ScaleAndShow(change.changed, keep ? &change : nullptr);
    if (keep) Keep(change);
    keptNow_ = change.kept;
}

// A text that changed with a step seen before (the clock's second comes with a flame step):
// the step is shown as it is when it comes alone, from its kept pixels or composed and then
// kept, and only the texts are composed besides. Taken whole, the two make a change never seen
// before, which would compose and scale the whole step. Only where the texts lie apart from
// all that the step changes and its kept pixels were scaled from; false, having done nothing,
// otherwise.
bool DDrawControl::ShowTextsBesideStep() {
    const std::vector<DrawOp>& before = frame_.Before();
    const std::vector<DrawOp>& drawn = frame_.Drawn();
    if (!image_.pixels || before.size() != drawn.size()) return false;
    // This frame with the texts as they were: the step alone.
    std::vector<DrawOp> step = drawn;
    std::vector<Area> texts;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i].SameAs(before[i])) continue;
        if (drawn[i].kind != DrawOp::Kind::Text || before[i].kind != DrawOp::Kind::Text) continue;
        step[i] = before[i];
        texts.push_back(before[i].bounds);
        texts.push_back(drawn[i].bounds);
    }
    if (texts.empty()) return false;
    KnownChange change;
    change.dirty = frame_.Between(before, step);
    if (change.dirty.empty()) return false;
    change.before = Reaching(before, change.dirty);
    change.after = Reaching(step, change.dirty);
    KnownChange* known = FindKnownChange(change);
    texts = MergeAreas(std::move(texts));
    auto meet = [](const std::vector<Area>& some, const std::vector<Area>& others) {
        return std::any_of(some.begin(), some.end(), [&](const Area& r) {
            return std::any_of(others.begin(), others.end(),
                               [&](const Area& a) { return !r.Intersect(a).Empty(); });
        });
    };
    // The texts' tiles and the pixel beyond them are composed, hashed and scaled from: none of
    // it may be a pixel that the step changes.
    const std::vector<Area> reach = TilesAndBeyond(texts);
    if (meet(reach, change.dirty)) return false;
    // The step's tiles, composed and scaled, and what its kept pixels were scaled from, take in
    // the pixel beyond them: none of it may be a pixel of the texts. Only those change with the
    // texts, so a text in the next tile yet apart from the step (the clock beside the flames)
    // leaves the step to be shown as it comes alone.
    std::vector<Area> inked;
    for (const Area& t : texts) inked.push_back({t.left - 1, t.top - 1, t.right + 1, t.bottom + 1});
    auto meets = [&](const std::vector<Area>& areas) { return meet(inked, areas); };
    if (known && meets(known->changed)) return false;
    const bool kept =
        known && known->kept && SameDrawings(known->keptDrawn, Touching(step, known->keptFrom, 0));
    if (kept && meets(known->keptFrom)) return false;
    if (!known) {
        // The clock's second falls on the same flame step every round, so that step may never
        // be seen alone: it is shown and remembered here as if it were. Its tiles are composed
        // the same with the texts old or new, as the texts reach none of them.
        ShowNew(change, true);
    } else if (!kept) {
        // Kept at its second sighting, as alone; kept pixels scaled from beyond its tiles may
        // show the old texts, and are let go.
        Unkeep(*known);
        ShowKnown(*known);
        if (meets(known->keptFrom)) Unkeep(*known);
        keptNow_ = known->kept;
    }
    Sync(before, &texts);
    for (const Area& a : texts) Compose(a, drawn);
    ScaleAndShow(ChangedTiles(texts));
    if (kept) ShowKept(*known);
    return true;
}

// The kept pixels are the change composed and scaled; composing it as well would only be
// needed by whatever next reads the back buffer, which catches up first.
void DDrawControl::ShowKept(const KnownChange& change) {
    keptNow_ = fromKept_ = true;
    unsynced_.insert(unsynced_.end(), change.changed.begin(), change.changed.end());
    unsynced_ = MergeAreas(std::move(unsynced_));
    if (!change.keptWhole.empty()) {
        const uint32_t* whole = change.keptWhole.data();
        for (const Area& a : change.keptShown) {
            ShowPixels(a, whole);
            whole += a.Size();
            stale_ = stale_.Union(a);
        }
        return;
    }
    const KnownChange::Run* runs = change.KeptRuns();
    const uint8_t* from = change.keptRgb.data() + change.keptRunCount * sizeof(KnownChange::Run);
    for (size_t i = 0; i < change.keptRunCount; ++i) {
        WidenPixels(from, WindowPixel(runs[i].x, runs[i].y), runs[i].length);
        from += static_cast<size_t>(runs[i].length) * 3;
    }
    if (!change.keptShown.empty()) Show(change.keptShown);
}

size_t DDrawControl::KeptPixelBytes() const {
    size_t bytes = 0;
    for (const KnownChange& k : known_) bytes += k.KeptBytes();
    return bytes;
}

size_t DDrawControl::KnownChange::KeptBytes() const {
    return keptRgb.capacity() + keptWhole.capacity() * sizeof(uint32_t);
}

// Found, a change becomes the most recently used.
DDrawControl::KnownChange* DDrawControl::FindKnownChange(const KnownChange& change) {
    for (auto k = known_.begin(); k != known_.end(); ++k)
        if (k->dirty == change.dirty && SameDrawings(k->before, change.before) &&
            SameDrawings(k->after, change.after)) {
            k->used = frames_;
            std::rotate(k, k + 1, known_.end());
            return &known_.back();
        }
    return nullptr;
}

// Whether a change may be kept as it is shown now: the budget has room for what keeping it
// took when it did not fit before. Nothing kept is dropped to make room: on a screen where the
// flames' ring of changes does not fit, dropping would keep pixels every frame only to drop
// them again.
bool DDrawControl::MayKeep(const KnownChange& change) const {
    if (!KeepsSteps() || !image_.pixels || change.kept) return false;
    return keptBytes_ + change.triedBytes <= kKeptPixelBudget &&
           change.triedBytes <= kKeptPixelBudget / 10;
}

// The runs that scaling the change found (ScaleAndShow with it), with their pixels as the
// window now shows them, while the budget has room. Only where the flames' whole ring of ten
// changes fits: keeping some of them would hold tens of megabytes (a surround style that hides
// more of the flames makes their changes smaller) to spare the scaling of a few frames in ten.
void DDrawControl::Keep(KnownChange& change) {
    if (KeepWhole(change)) {
        change.kept = true;
        KeptFrom(change);
        return;
    }
    size_t pixels = 0;
    for (const KnownChange::Run& r : foundRuns_) pixels += static_cast<size_t>(r.length);
    const size_t runBytes = foundRuns_.size() * sizeof(KnownChange::Run);
    const size_t bytes = runBytes + pixels * 3 + kSpareBytes;
    if (bytes > kKeptPixelBudget / 10 || keptBytes_ + bytes > kKeptPixelBudget) {
        change.triedBytes = bytes;
        Unkeep(change);
        return;
    }
    LetGoOfSteppingCopies();
    change.keptRgb.assign(bytes, 0);
    std::copy_n(reinterpret_cast<const uint8_t*>(foundRuns_.data()), runBytes,
                change.keptRgb.data());
    change.keptRunCount = foundRuns_.size();
    uint8_t* to = change.keptRgb.data() + runBytes;
    for (const KnownChange::Run& r : foundRuns_) {
        const uint32_t* from = WindowPixel(r.x, r.y);
        for (int i = 0; i < r.length; ++i, to += 3) {
            to[0] = static_cast<uint8_t>(from[i]);
            to[1] = static_cast<uint8_t>(from[i] >> 8);
            to[2] = static_cast<uint8_t>(from[i] >> 16);
        }
    }
    change.kept = true;
    KeptFrom(change);
}

// Only the runs' areas are shown again: what the rest of the window shows does not depend on
// them. What they were scaled from is taken as one area around them all.
void DDrawControl::KeptFrom(KnownChange& change) {
    const Area& h = stage_.hearth;
    Area shown;
    for (const Area& a : change.keptShown) shown = shown.Union(a);
    if (!shown.Empty())
        change.keptFrom.push_back(
            ToLogical(scaler_.Sources({shown.left - h.left, shown.top - h.top, shown.right - h.left,
                                       shown.bottom - h.top}),
                      Detail()));
    change.keptDrawn = Touching(frame_.Drawn(), change.keptFrom, 0);
    keptBytes_ += change.KeptBytes();
}

// The areas of the runs whole, four bytes a pixel, where the back end shows them from here and
// a step so kept is small enough for the flames' whole ring to fit (a sixteenth of the budget:
// steps differ in size, and a ring kept in part would be scaled anyway). At 1920 x 1080 a step
// takes some 2 MB so; at 4K, 11 MB, and the runs are kept instead.
bool DDrawControl::KeepWhole(KnownChange& change) {
    if (!ShowsKeptPixels()) return false;
    size_t pixels = 0;
    for (const Area& a : change.keptShown) pixels += static_cast<size_t>(a.Size());
    const size_t bytes = pixels * sizeof(uint32_t);
    if (bytes > kKeptPixelBudget / 16 || keptBytes_ + bytes > kKeptPixelBudget) return false;
    LetGoOfSteppingCopies();
    change.keptWhole.assign(pixels, 0);
    uint32_t* to = change.keptWhole.data();
    for (const Area& a : change.keptShown)
        for (int y = a.top; y < a.bottom; ++y, to += a.Width())
            std::copy_n(WindowPixel(a.left, y), a.Width(), to);
    return true;
}

// The copies at the detail that a step being kept was composed from go before its pixels are
// kept, not as the next step comes: at 4K each is some 4.5 MB, and the last step of a ring
// being kept would otherwise hold its copy beside the whole ring. Shown from its kept pixels,
// the step needs them no more.
void DDrawControl::LetGoOfSteppingCopies() {
    std::vector<const Picture*> stepping;
    for (const DrawOp& op : frame_.Drawn())
        if (op.kind == DrawOp::Kind::Picture && op.picture && compositor_.Steps(op.surface))
            stepping.push_back(op.picture.get());
    compositor_.LetGoOfCopies(stepping);
}

void DDrawControl::Unkeep(KnownChange& change) {
    if (change.kept) keptBytes_ -= change.KeptBytes();
    change.kept = false;
    // Assigned anew, not cleared: clearing would keep their memory.
    change.keptRunCount = 0;
    change.keptRgb = std::vector<uint8_t>();
    change.keptWhole = std::vector<uint32_t>();
    change.keptShown.clear();
    change.keptFrom.clear();
    change.keptDrawn.clear();
}

void DDrawControl::ForgetKnownChanges() {
    ForgetKeptPixels();
    known_.clear();
}

void DDrawControl::ForgetKeptPixels() {
    for (KnownChange& k : known_) Unkeep(k);
    keptBytes_ = 0;
    // Only ever before the whole picture is scaled again.
    stale_ = {};
}

void DDrawControl::Refresh(const std::vector<DrawOp>& ops) {
    if (stale_.Empty()) return;
    const Area stale = stale_;
    stale_ = {};
    if (!image_.pixels || !haveBuffer_) return;
    const Area& h = stage_.hearth;
    const Area at = stale.Intersect(h);
    if (at.Empty()) return;
    Sync(ops);
    ScaleIntoWindow({at.left - h.left, at.top - h.top, at.right - h.left, at.bottom - h.top});
}

// From the back end, between frames: the compositor is not in use then.
void DDrawControl::PictureAsShown() {
    if (open_ && !inFrame_) Refresh(frame_.Drawn());
}

// The back buffer and what was shown brought up to the screen, where frames were shown from
// kept pixels alone: `ops` are the drawings the screen shows. With `around`, only where the
// back buffer is read next: the tiles of those areas and the pixel beyond them, which hashing
// and scaling read. The rest waits: the clock's second then does not compose the flames.
void DDrawControl::ForgetShown(const Area& area) {
    for (int ty = area.top / kTile; ty * kTile < area.bottom; ++ty)
        for (int tx = area.left / kTile; tx * kTile < area.right; ++tx)
            shown_[static_cast<size_t>(ty) * kTilesAcross + tx].known = false;
}

void DDrawControl::Sync(const std::vector<DrawOp>& ops, const std::vector<Area>* around) {
    if (unsynced_.empty()) return;
    std::vector<Area> areas;
    if (around && !ops.empty()) {
        const std::vector<Area> reach = TilesAndBeyond(*around);
        std::vector<Area> later;
        for (const Area& u : unsynced_)
            (std::any_of(reach.begin(), reach.end(),
                         [&](const Area& r) { return !r.Intersect(u).Empty(); })
                 ? areas
                 : later)
                .push_back(u);
        unsynced_ = std::move(later);
    } else {
        areas = std::move(unsynced_);
        unsynced_.clear();
    }
    if (areas.empty()) return;
    if (ops.empty()) {
        // Those drawings are gone: what was shown there is unknown, and the next frame shows
        // it anew.
        for (const Area& c : areas) ForgetShown(c);
        return;
    }
    for (const Area& a : areas) Compose(a, ops);
    Remember(areas);
}

// Scales the back buffer into the window's picture over `area`, in pixels of the scaled hearth.
void DDrawControl::ScaleIntoWindow(const Area& area) {
    const Area& h = stage_.hearth;
    scaler_.Scale(compositor_.BackBuffer(), WindowPixel(h.left, h.top), image_.stride, area);
}

// Scales a band of rows at a time, each compared with what the window showed there before:
// the pixels that differ, with gaps of a few alike between them (a run's place takes as much
// as four pixels), become the change's runs. A copy of the whole area before would hold 12 MB
// for a moment at 4K.
void DDrawControl::ScaleAndFindRuns(const Area& area, KnownChange& keep) {
    constexpr int kBand = 32;
    constexpr int kGap = 4;
    const Area& h = stage_.hearth;
    const Area at =
        Area{area.left + h.left, area.top + h.top, area.right + h.left, area.bottom + h.top}
            .Intersect(h);
    if (at.Empty()) return;
    const int w = at.Width();
    bandBefore_.resize(static_cast<size_t>(w) * kBand);
    uint32_t* const before = bandBefore_.data();
    // One area a band: they follow the flames' outline closer than one around them all.
    for (int top = at.top; top < at.bottom; top += kBand) {
        const int bottom = std::min(at.bottom, top + kBand);
        Area bound;
        for (int y = top; y < bottom; ++y)
            std::copy_n(WindowPixel(at.left, y), w, before + static_cast<size_t>(y - top) * w);
        ScaleIntoWindow({at.left - h.left, top - h.top, at.right - h.left, bottom - h.top});
        for (int y = top; y < bottom; ++y) {
            const uint32_t* now = WindowPixel(at.left, y);
            const uint32_t* was = before + static_cast<size_t>(y - top) * w;
            for (int x = 0;;) {
                while (x < w && now[x] == was[x]) ++x;
                if (x == w) break;
                const int first = x;
                int end = ++x;  // past the last pixel that differs
                for (; x < w && x - end < kGap; ++x)
                    if (now[x] != was[x]) end = x + 1;
                foundRuns_.push_back({at.left + first, y, end - first});
                bound = bound.Union({at.left + first, y, at.left + end, y + 1});
            }
        }
        if (!bound.Empty()) keep.keptShown.push_back(bound);
    }
}

// The frame's drawings again, in order, each kept inside `area`, from the last one that covers
// all of it: what lies beneath that would only be painted over.
void DDrawControl::Compose(const Area& area, const std::vector<DrawOp>& ops) {
    const Area within = area.Intersect(kScreen);
    if (within.Empty()) return;
    size_t first = ops.size();
    while (first > 0) {
        const DrawOp& op = ops[--first];
        // Whether a picture hides what lies beneath is known from its copy at the detail: only
        // asked of one that covers the area and draws there, so composing beside the flames
        // (or over what hides them) never makes one.
        if (op.bounds.Intersect(within) != within) continue;
        if (op.kind == DrawOp::Kind::Clear) break;
        if (op.kind == DrawOp::Kind::Picture &&
            !compositor_.DrawsNothingWithin(*op.picture, op.x, op.y, within) &&
            compositor_.HidesBeneath(*op.picture))
            break;
    }
    for (size_t i = first; i < ops.size(); ++i) {
        const DrawOp& op = ops[i];
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

// The tiles of `areas` whose pixels really differ from what was shown, which from then on
// count as shown: a flame frame that changes only inside the fire's opening shows only that.
// Outside the areas the back buffer is what was shown, so whole tiles are compared.
std::vector<Area> DDrawControl::ChangedTiles(const std::vector<Area>& areas) {
    std::vector<Area> changed;
    for (const Area& area : areas) {
        const Area a = area.Intersect(kScreen);
        if (a.Empty()) continue;
        for (int ty = a.top / kTile; ty * kTile < a.bottom; ++ty) {
            int runStart = -1;
            for (int tx = a.left / kTile;; ++tx) {
                const bool inside = tx * kTile < a.right;
                const bool differs = inside && Rehash(tx, ty);
                if (differs && runStart < 0) runStart = tx;
                if (!differs && runStart >= 0) {
                    changed.push_back({runStart * kTile, ty * kTile, std::min(kW, tx * kTile),
                                       std::min(kH, (ty + 1) * kTile)});
                    runStart = -1;
                }
                if (!inside) break;
            }
        }
    }
    return MergeAreas(StackRuns(std::move(changed)));
}

// Hashes tile (tx, ty) of the back buffer anew; whether it differs from what was shown.
bool DDrawControl::Rehash(int tx, int ty) {
    const int k = Detail();
    const int x = tx * kTile, y = ty * kTile;
    const TileHash h =
        HashTile(compositor_.BackBuffer(), static_cast<size_t>(compositor_.Width()), x * k, y * k,
                 (std::min(kW, x + kTile) - x) * k, (std::min(kH, y + kTile) - y) * k);
    TileHash& was = shown_[static_cast<size_t>(ty) * kTilesAcross + tx];
    const bool differs = !(was == h);
    was = h;
    return differs;
}

// What is about to be shown becomes what was shown.
void DDrawControl::Remember(const std::vector<Area>& changed) {
    for (const Area& area : changed) {
        const Area c = area.Intersect(kScreen);
        for (int ty = c.top / kTile; ty * kTile < c.bottom; ++ty)
            for (int tx = c.left / kTile; tx * kTile < c.right; ++tx) Rehash(tx, ty);
    }
}

namespace {

// Calls visit(tx, ty) for every tile of `areas`, in the same order for the same areas.
template <typename Visit>
void ForEachTile(const std::vector<Area>& areas, Visit visit) {
    for (const Area& area : areas) {
        const Area c = area.Intersect(kScreen);
        for (int ty = c.top / DDrawControl::kTile; ty * DDrawControl::kTile < c.bottom; ++ty)
            for (int tx = c.left / DDrawControl::kTile; tx * DDrawControl::kTile < c.right; ++tx)
                visit(tx, ty);
    }
}

}  // namespace

// The hashes of the change's tiles as they stand now, just composed and shown.
void DDrawControl::RecordHashes(KnownChange& change) {
    change.hashes.clear();
    ForEachTile(change.changed, [&](int tx, int ty) {
        change.hashes.push_back(shown_[static_cast<size_t>(ty) * kTilesAcross + tx]);
    });
    change.hashedDrawn = Touching(frame_.Drawn(), change.changed, 0);
    change.hashedDetail = Detail();
}

// What was shown of the change's tiles, when the drawings over them are those they were
// hashed with; false when they must be hashed anew.
bool DDrawControl::RestoreHashes(const KnownChange& change) {
    if (change.hashedDetail != Detail() ||
        !SameDrawings(change.hashedDrawn, Touching(frame_.Drawn(), change.changed, 0)))
        return false;
    size_t i = 0;
    ForEachTile(change.changed, [&](int tx, int ty) {
        if (i < change.hashes.size())
            shown_[static_cast<size_t>(ty) * kTilesAcross + tx] = change.hashes[i];
        ++i;
    });
    return i == change.hashes.size();
}

// Scales the window areas that `logical` affects and shows them; gives those areas. Areas
// are joined before scaling, so every pixel shown is one just scaled.
std::vector<Area> DDrawControl::ScaleAndShow(const std::vector<Area>& logical, KnownChange* keep) {
    if (keep) foundRuns_.clear();
    if (!image_.pixels || stage_.hearth.Empty() || logical.empty()) return {};
    const Area& h = stage_.hearth;
    std::vector<Area> affected;
    for (const Area& a : logical)
        if (const Area d = scaler_.Affected(ToDetail(a, Detail())); !d.Empty())
            affected.push_back(d);
    std::vector<Area> shown;
    for (const Area& d : MergeAreas(std::move(affected))) {
        if (keep)
            ScaleAndFindRuns(d, *keep);
        else
            ScaleIntoWindow(d);
        shown.push_back({d.left + h.left, d.top + h.top, d.right + h.left, d.bottom + h.top});
    }
    if (!shown.empty()) Show(shown);
    return shown;
}

void DDrawControl::Restage(const ScreenImage& image, const Area& primary, int windowWidth,
                           int windowHeight) {
    image_ = image;
    primary_ = primary;
    windowWidth_ = windowWidth;
    windowHeight_ = windowHeight;
    // A new layout moves the window under a pointer nobody touched (a monitor gone, another
    // resolution): the next pointer message only finds where the pointer now is.
    ForgetPointer();
    if (!open_ || !image_.pixels) return;
    // Kept pixels belong to the window as it was.
    ForgetKeptPixels();
    stage_ = Stage::For(windowWidth, windowHeight, primary_);
    const Area& h = stage_.hearth;
    // The scaled hearth is written into the picture, which must hold all of it.
    if (!h.Empty() && image_.Bounds().Intersect(h) != h) {
        image_ = {};
        return;
    }
    Sync(frame_.Drawn());
    const int before = haveBuffer_ ? Detail() : 0;
    if (!UseDetail(DetailFor(h.Height()))) return;
    if (Detail() != before || scaler_.DestWidth() != h.Width() ||
        scaler_.DestHeight() != h.Height())
        scaler_ = Scaler(compositor_.Width(), compositor_.Height(), h.Width(), h.Height());
    PaintWall(WallTile(), stage_, image_);
    if (frame_.Drawn().empty()) {
        // Nothing drawn yet: the hearth is the blank back buffer, black however it is scaled.
        for (int y = h.top; y < h.bottom; ++y) std::fill_n(WindowPixel(h.left, y), h.Width(), 0u);
    } else if (!h.Empty()) {
        ScaleIntoWindow({0, 0, h.Width(), h.Height()});
    }
    Show({image_.Bounds().Intersect({0, 0, windowWidth, windowHeight})});
    ShowOutsidePicture({0, 0, windowWidth, windowHeight});
}

void DDrawControl::ShowOutsidePicture(const Area& area) {
    if (!open_ || !image_.pixels) return;
    const Area window = area.Intersect({0, 0, windowWidth_, windowHeight_});
    const Area picture = image_.Bounds();
    // At most four pieces: above, below, and beside the picture.
    const Area pieces[] = {
        {window.left, window.top, window.right, std::min(window.bottom, picture.top)},
        {window.left, std::max(window.top, picture.bottom), window.right, window.bottom},
        {window.left, std::max(window.top, picture.top), std::min(window.right, picture.left),
         std::min(window.bottom, picture.bottom)},
        {std::max(window.left, picture.right), std::max(window.top, picture.top), window.right,
         std::min(window.bottom, picture.bottom)},
    };
    // A band of rows at a time: a 4K monitor beside the hearth's takes no 33 MB for its wall.
    constexpr int kBand = 64;
    std::vector<uint32_t> band;
    for (const Area& piece : pieces) {
        if (piece.Empty()) continue;
        for (int top = piece.top; top < piece.bottom; top += kBand) {
            const Area at{piece.left, top, piece.right, std::min(piece.bottom, top + kBand)};
            band.assign(static_cast<size_t>(at.Size()), 0);
            PaintWall(WallTile(), stage_,
                      {band.data(), at.Width(), at.Height(), at.Width(), at.left, at.top});
            ShowPixels(at, band.data());
        }
    }
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
