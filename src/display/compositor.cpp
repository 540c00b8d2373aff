#include "display/compositor.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "display/detail.h"
#include "display/twin_file.h"
#include "media/byte_reader.h"

namespace hg {

namespace {

// Every 8 x 8 block of a JPEG costs at least one bit of coded data, however plain it is.
constexpr uint64_t kMaxJpegPixelsPerByte = 8 * 64;

// A header may claim any size; the bytes behind it are what a picture really has. Stb fills
// what a short file lacks with black, so without this a 70-byte file would become a picture of
// millions of pixels.
bool ClaimsMoreThanItHolds(const std::vector<uint8_t>& bytes, int width, int height) {
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    const bool bitmap = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    if (!bitmap) return pixels > bytes.size() * kMaxJpegPixelsPerByte;

    ByteReader r(bytes);
    r.Skip(10);
    const auto offset = r.U32LE();
    const auto headerSize = r.U32LE();
    if (!offset || !headerSize) return true;
    std::optional<uint16_t> bitsPerPixel;
    std::optional<uint32_t> compression = 0;
    if (*headerSize == 12) {  // the old OS/2 header: 16-bit sizes, never compressed
        r.Skip(6);
        bitsPerPixel = r.U16LE();
    } else {
        r.Skip(10);
        bitsPerPixel = r.U16LE();
        compression = r.U32LE();
    }
    if (!bitsPerPixel || !compression) return true;
    // Run-length and embedded formats are left to the decoder, which refuses them.
    constexpr uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (*compression != kRgb && *compression != kBitFields && *compression != kAlphaBitFields)
        return false;
    // Rows are padded to four bytes; the last row's padding may be missing.
    const uint64_t rowBits = uint64_t(width) * *bitsPerPixel;
    const uint64_t stride = (rowBits + 31) / 32 * 4;
    const uint64_t needed = *offset + stride * (uint64_t(height) - 1) + (rowBits + 7) / 8;
    return bytes.size() < needed;
}

}  // namespace

Area Area::Intersect(const Area& o) const {
    Area a{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    return a.Empty() ? Area{} : a;
}

Area Area::Union(const Area& o) const {
    if (o.Empty()) return *this;
    if (Empty()) return o;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
}

int64_t KeyColour(int32_t key) {
    if (key == -1) return 0xFF00FF;  // magenta: art never uses it, so dark art stays solid
    if (key < 0) return -1;
    return key & 0xFFFFFF;
}

std::shared_ptr<const Picture> Picture::FromRgba(const uint8_t* rgba, int width, int height,
                                                 int64_t keyColour, int maxWidth, int maxHeight) {
    auto p = std::make_shared<Picture>();
    if (!rgba || width <= 0 || height <= 0) return p;
    const size_t sourceStride = static_cast<size_t>(width) * 4;
    width = std::min(width, maxWidth);
    height = std::min(height, maxHeight);
    p->width_ = width;
    p->height_ = height;
    p->pixels_.resize(static_cast<size_t>(width) * height);
    p->rowRuns_.reserve(static_cast<size_t>(height) + 1);
    for (int y = 0; y < height; ++y) {
        p->rowRuns_.push_back(static_cast<uint32_t>(p->runs_.size()));
        const uint8_t* src = rgba + static_cast<size_t>(y) * sourceStride;
        uint32_t* dst = p->pixels_.data() + static_cast<size_t>(y) * width;
        int runStart = -1;
        for (int x = 0; x <= width; ++x) {
            bool opaque = false;
            if (x < width) {
                const uint8_t* px = src + x * 4;
                const uint32_t colour = px[0] | (px[1] << 8) | (px[2] << 16);
                opaque = px[3] >= 128 && static_cast<int64_t>(colour) != keyColour;
                dst[x] = opaque ? ToPixel(colour) : 0;
            }
            if (opaque && runStart < 0) runStart = x;
            if (!opaque && runStart >= 0) {
                p->runs_.push_back(
                    {static_cast<uint16_t>(runStart), static_cast<uint16_t>(x - runStart)});
                runStart = -1;
            }
        }
    }
    p->rowRuns_.push_back(static_cast<uint32_t>(p->runs_.size()));
    p->solid_ = p->OpaquePixels() == p->pixels_.size();
    return p;
}

bool Picture::Opaque(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    const Run* end = RunsEnd(y);
    // The first run that ends beyond x holds it, if it starts at or before it.
    const Run* r = std::partition_point(RunsBegin(y), end,
                                        [x](const Run& run) { return run.x + run.length <= x; });
    return r != end && r->x <= x;
}

size_t Picture::OpaquePixels() const {
    size_t n = 0;
    for (const Run& r : runs_) n += r.length;
    return n;
}

size_t Picture::Bytes() const {
    return pixels_.size() * sizeof(uint32_t) + runs_.size() * sizeof(Run) +
           rowRuns_.size() * sizeof(uint32_t) + sizeof(Picture);
}

DetailPicture::Builder::Builder(int width, int height, int maxWidth, int maxHeight,
                                size_t expectedOpaque)
    : p_(std::make_shared<DetailPicture>()) {
    if (width <= 0 || height <= 0) return;
    p_->width_ = std::clamp(maxWidth, 0, width);
    p_->height_ = std::clamp(maxHeight, 0, height);
    // A twin's edges are finer than its picture's: a few more of its pixels may be opaque.
    p_->rgb_.reserve(expectedOpaque * 3 + expectedOpaque * 3 / 16 + kSpareBytes);
    p_->rowRuns_.reserve(static_cast<size_t>(p_->height_) + 1);
    p_->rowPixels_.reserve(static_cast<size_t>(p_->height_));
}

void DetailPicture::Builder::AddRow(const uint8_t* src) {
    if (!p_ || rows_ >= p_->height_) return;
    ++rows_;
    DetailPicture& p = *p_;
    p.rowRuns_.push_back(static_cast<uint32_t>(p.runs_.size()));
    p.rowPixels_.push_back(static_cast<uint32_t>(p.rgb_.size() / 3));
    // Beyond the guess, an eighth more at a time: doubling would hold three times the picture
    // for a moment (some 14 MB for a surround's top at 4K), and shrinking it twice.
    const size_t row = static_cast<size_t>(p.width_) * 3 + kSpareBytes;
    if (p.rgb_.capacity() - p.rgb_.size() < row)
        p.rgb_.reserve(p.rgb_.size() + std::max(row, p.rgb_.capacity() / 8));
    int runStart = -1;
    for (int x = 0; x <= p.width_; ++x) {
        const bool opaqueHere = x < p.width_ && src[x * 4 + 3] >= 128;
        if (opaqueHere) p.rgb_.insert(p.rgb_.end(), {src[x * 4 + 2], src[x * 4 + 1], src[x * 4]});
        if (opaqueHere && runStart < 0) runStart = x;
        if (!opaqueHere && runStart >= 0) {
            p.runs_.push_back(
                {static_cast<uint16_t>(runStart), static_cast<uint16_t>(x - runStart)});
            runStart = -1;
        }
    }
}

void DetailPicture::Builder::AddEmptyRow() {
    if (!p_ || rows_ >= p_->height_) return;
    ++rows_;
    p_->rowRuns_.push_back(static_cast<uint32_t>(p_->runs_.size()));
    p_->rowPixels_.push_back(static_cast<uint32_t>(p_->rgb_.size() / 3));
}

std::shared_ptr<const DetailPicture> DetailPicture::Builder::Finish(bool solidUnderCover) {
    if (!p_ || rows_ < p_->height_) return nullptr;
    p_->rowRuns_.push_back(static_cast<uint32_t>(p_->runs_.size()));
    p_->solid_ = solidUnderCover || p_->rgb_.size() == size_t{3} * p_->width_ * p_->height_;
    if (p_->rgb_.capacity() - p_->rgb_.size() < kSpareBytes)
        p_->rgb_.reserve(p_->rgb_.size() + kSpareBytes);
    p_->rgb_.insert(p_->rgb_.end(), kSpareBytes, uint8_t{0});
    // A guess beyond what came is given back; a picture is kept for the whole run.
    if (p_->rgb_.capacity() > p_->rgb_.size() + p_->rgb_.size() / 8) p_->rgb_.shrink_to_fit();
    p_->runs_.shrink_to_fit();
    return std::move(p_);
}

std::shared_ptr<const DetailPicture> DetailPicture::FromRgba(const uint8_t* rgba, int width,
                                                             int height, int maxWidth,
                                                             int maxHeight) {
    if (!rgba || width <= 0 || height <= 0) return std::make_shared<DetailPicture>();
    const size_t sourceStride = static_cast<size_t>(width) * 4;
    const int w = std::min(width, maxWidth), h = std::min(height, maxHeight);
    size_t opaque = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) opaque += rgba[y * sourceStride + x * 4 + 3] >= 128;
    Builder b(width, height, maxWidth, maxHeight, opaque);
    for (int y = 0; y < h; ++y) b.AddRow(rgba + y * sourceStride);
    return b.Finish();
}

size_t DetailPicture::Bytes() const {
    return rgb_.capacity() + runs_.capacity() * sizeof(Picture::Run) +
           (rowRuns_.capacity() + rowPixels_.capacity()) * sizeof(uint32_t) + sizeof(DetailPicture);
}

std::shared_ptr<const Picture> DecodePicture(const std::vector<uint8_t>& bytes, int32_t key) {
    if (bytes.empty() || bytes.size() > Compositor::kMaxPictureFileBytes)
        return std::make_shared<Picture>();
    const auto* data = bytes.data();
    const int length = static_cast<int>(bytes.size());
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &w, &h, &channels) || w <= 0 || h <= 0 ||
        w > Picture::kMaxSourceSide || h > Picture::kMaxSourceSide ||
        ClaimsMoreThanItHolds(bytes, w, h))
        return std::make_shared<Picture>();
    uint8_t* rgba = stbi_load_from_memory(data, length, &w, &h, &channels, 4);
    if (!rgba) return std::make_shared<Picture>();
    std::shared_ptr<const Picture> picture;
    try {
        picture = Picture::FromRgba(rgba, w, h, KeyColour(key));
    } catch (const std::bad_alloc&) {
        picture = std::make_shared<Picture>();
    }
    stbi_image_free(rgba);
    return picture;
}

Compositor::Compositor(MillisecondClock clock, size_t pictureBudget, size_t detailBudget)
    : clock_(std::move(clock)),
      own_(static_cast<size_t>(kWidth) * kHeight),
      back_(own_.data()),
      budget_(pictureBudget),
      detailBudget_(detailBudget) {}

void Compositor::UseBackBuffer(uint32_t* pixels, int detail) {
    detail = std::clamp(detail, 1, kFinestDetail);
    if (detail != detail_) {
        detailed_.clear();
        detailBytes_ = 0;
        detail_ = detail;
        // What covers stepping surfaces was found in pixels of the old detail.
        for (Surface& s : surfaces_) Uncover(s);
    }
    const size_t size = static_cast<size_t>(Width()) * Height();
    if (pixels) {
        std::vector<uint32_t>().swap(own_);
        back_ = pixels;
    } else {
        if (own_.size() != size) own_.assign(size, 0);
        back_ = own_.data();
    }
}

void Compositor::Clear(uint32_t colour) {
    std::fill_n(back_, static_cast<size_t>(Width()) * Height(), ToPixel(colour));
}

void Compositor::Clear(uint32_t colour, const Area& within) {
    const Area a = within.Intersect({0, 0, kWidth, kHeight});
    const uint32_t c = ToPixel(colour);
    const int k = detail_, stride = Width();
    for (int y = a.top * k; y < a.bottom * k; ++y)
        std::fill_n(back_ + static_cast<size_t>(y) * stride + a.left * k, a.Width() * k, c);
}

int32_t Compositor::NewSurface() {
    Surface s;
    s.paceStart = clock_();
    surfaces_.push_back(std::move(s));
    return static_cast<int32_t>(surfaces_.size());
}

Compositor::Surface* Compositor::Find(int32_t surface) {
    if (surface < 1 || static_cast<size_t>(surface) > surfaces_.size()) return nullptr;
    return &surfaces_[static_cast<size_t>(surface) - 1];
}

std::shared_ptr<const Picture> Compositor::Decode(const std::string& path, int32_t key) {
    for (const Cached& c : cache_)
        if (c.key == key && c.path == path) return c.picture;
    auto picture = std::make_shared<Picture>();
    picture->pending_ = true;
    cache_.push_back({path, key, picture});
    return picture;
}

bool Compositor::Materialize(const Picture& p) {
    if (!p.pending_) return !p.Empty();
    p.pending_ = false;
    for (const Cached& c : cache_) {
        if (c.picture.get() != &p) continue;
        try {
            auto bytes = ReadFileBytes(c.path, kMaxPictureFileBytes);
            auto decoded = DecodePicture(bytes ? *bytes : std::vector<uint8_t>{}, c.key);
            if (decoded->Bytes() > budget_ - std::min(budget_, decodedBytes_)) return false;
            // The picture was made here, not const: it is filled in where every holder sees it.
            // Assigning leaves its shared ownership as it was.
            const_cast<Picture&>(p) = std::move(const_cast<Picture&>(*decoded));
            decodedBytes_ += p.Bytes();
        } catch (const std::bad_alloc&) {
            // Out of memory for this one picture: the frame stays empty and the scene goes on.
        }
        break;
    }
    return !p.Empty();
}

void Compositor::LoadFrame(int32_t surface, int32_t frame, const std::string& path, int32_t key) {
    if (!Find(surface) || frame < 1 || frame > kMaxFrames) return;
    try {
        SetFramePicture(surface, frame, Decode(path, key));
    } catch (const std::exception&) {
        // Out of memory for this one picture: the frame stays empty and the scene goes on.
    }
}

void Compositor::SetFramePicture(int32_t surface, int32_t frame,
                                 std::shared_ptr<const Picture> picture) {
    Surface* s = Find(surface);
    if (!s || frame < 1 || frame > kMaxFrames) return;
    Uncover(*s);
    if (s->frames.size() < static_cast<size_t>(frame)) s->frames.resize(frame);
    s->frames[frame - 1] = std::move(picture);
}

void Compositor::SetX(int32_t surface, int32_t x) {
    Surface* s = Find(surface);
    if (!s || s->x == x) return;
    Uncover(*s);
    s->x = x;
}

void Compositor::SetY(int32_t surface, int32_t y) {
    Surface* s = Find(surface);
    if (!s || s->y == y) return;
    Uncover(*s);
    s->y = y;
}

bool Compositor::PrepareNextFrame() {
    for (const Surface& s : surfaces_) {
        const size_t n = s.frames.size();
        if (n < 2) continue;
        const auto& next = s.frames[(s.shown + 1) % n];
        const bool unread = next && next->pending_;
        if (!next || !Materialize(*next)) continue;
        if (detail_ < 2 && !s.coverGeneration) {
            if (unread) return true;
            continue;
        }
        const uint32_t generation = s.coverGeneration;
        if (std::any_of(detailed_.begin(), detailed_.end(), [&](const Detailed& d) {
                return d.source == next && d.coverGeneration == generation;
            }))
            continue;
        AtDetail(*next);
        return true;
    }
    return false;
}

bool Compositor::NextFrameToMake() const {
    for (const Surface& s : surfaces_) {
        const size_t n = s.frames.size();
        if (n < 2) continue;
        const auto& next = s.frames[(s.shown + 1) % n];
        if (!next) continue;
        if (next->pending_) return true;
        if (next->Empty()) continue;
        if (detail_ < 2 && !s.coverGeneration) continue;
        const uint32_t generation = s.coverGeneration;
        if (std::none_of(detailed_.begin(), detailed_.end(), [&](const Detailed& d) {
                return d.source == next && d.coverGeneration == generation;
            }))
            return true;
    }
    return false;
}

void Compositor::DrawSoon(int32_t surface) {
    if (!Find(surface)) return;
    for (Soon& wish : soon_)
        if (wish.surface == surface) {
            wish.since = clock_();
            return;
        }
    soon_.push_back({surface, clock_()});
}

void Compositor::ForgetStaleSoon() {
    const uint32_t now = clock_();
    std::erase_if(soon_, [now](const Soon& wish) { return now - wish.since >= kSoonMs; });
    if (now - aheadSince_ >= kSoonMs) ahead_.clear();
    if (soonCover_.surface && now - soonCover_.since >= kSoonMs) ForgetSoonCover();
}

void Compositor::MakeAhead(std::vector<std::shared_ptr<const Picture>> pictures) {
    ahead_ = std::move(pictures);
    aheadSince_ = clock_();
}

void Compositor::NotAhead(int32_t surface) {
    const Surface* s = Find(surface);
    if (!s) return;
    std::erase_if(ahead_, [s](const std::shared_ptr<const Picture>& p) {
        return std::any_of(s->frames.begin(), s->frames.end(),
                           [&p](const auto& f) { return f == p; });
    });
}

const Picture* Compositor::AheadToMake() const {
    if (detail_ < 2 || clock_() - aheadSince_ >= kSoonMs) return nullptr;
    for (const auto& p : ahead_) {
        if (!p || p->Empty() || CoveredBy(*p)) continue;
        const bool made = std::any_of(detailed_.begin(), detailed_.end(), [&](const Detailed& d) {
            return d.source == p && d.coverGeneration == 0;
        });
        if (!made) return p.get();
    }
    return nullptr;
}

const Picture* Compositor::SoonPicture(const Soon& wish) const {
    const Surface& s = surfaces_[static_cast<size_t>(wish.surface) - 1];
    if (s.frames.empty() || !s.frames[s.shown]) return nullptr;
    const auto& p = s.frames[s.shown];
    if (p->pending_) return p.get();
    if (p->Empty() || detail_ < 2 || detail_ > kSoonFinestDetail) return nullptr;
    // A stepping surface's frames are made ahead by PrepareNextFrame, under their cover.
    if (s.frames.size() > 1) return nullptr;
    const bool made = std::any_of(detailed_.begin(), detailed_.end(), [&](const Detailed& d) {
        return d.source == p && d.coverGeneration == 0;
    });
    return made ? nullptr : p.get();
}

bool Compositor::PrepareSoon() {
    ForgetStaleSoon();
    for (const Soon& wish : soon_) {
        const Picture* p = SoonPicture(wish);
        if (!p) continue;
        if (Materialize(*p) && detail_ > 1 && detail_ <= kSoonFinestDetail) AtDetail(*p);
        return true;
    }
    if (const Picture* p = AheadToMake()) {
        AtDetail(*p);
        return true;
    }
    return false;
}

bool Compositor::SoonToMake() const {
    const uint32_t now = clock_();
    return std::any_of(
               soon_.begin(), soon_.end(),
               [&](const Soon& wish) { return now - wish.since < kSoonMs && SoonPicture(wish); }) ||
           AheadToMake();
}

bool Compositor::Steps(int32_t surface) {
    const Surface* s = Find(surface);
    return s && s->frames.size() > 1;
}

void Compositor::LetGoOfCopies(const std::vector<const Picture*>& pictures) {
    for (auto d = detailed_.begin(); d != detailed_.end();) {
        const Picture* source = d->source.get();
        if (d->again || std::find(pictures.begin(), pictures.end(), source) == pictures.end()) {
            ++d;
            continue;
        }
        std::erase_if(letGo_, [source](const auto& gone) { return gone.first == source; });
        letGo_.emplace_back(source, clock_());
        detailBytes_ -= d->picture->Bytes();
        d = detailed_.erase(d);
    }
}

bool Compositor::LetGoOfIdleCopies(uint32_t idleMs) {
    ForgetStaleSoon();
    const uint32_t now = clock_();
    bool released = false;
    for (auto d = detailed_.begin(); d != detailed_.end();) {
        const Picture* source = d->source.get();
        const bool soon = std::any_of(soon_.begin(), soon_.end(), [&](const Soon& wish) {
            const auto& frames = surfaces_[static_cast<size_t>(wish.surface) - 1].frames;
            return std::any_of(frames.begin(), frames.end(),
                               [&](const auto& f) { return f.get() == source; });
        });
        const bool ahead = now - aheadSince_ < kSoonMs &&
                           std::any_of(ahead_.begin(), ahead_.end(),
                                       [&](const auto& p) { return p.get() == source; });
        if (soon || ahead || now - d->used < idleMs) {
            ++d;
            continue;
        }
        detailBytes_ -= d->picture->Bytes();
        d = detailed_.erase(d);
        released = true;
    }
    return released;
}

namespace {

using Spans = std::vector<std::pair<int32_t, int32_t>>;

// Sorted spans joined where they touch or overlap.
void JoinSpans(Spans& spans) {
    std::sort(spans.begin(), spans.end());
    size_t n = 0;
    for (const auto& sp : spans) {
        if (n && sp.first <= spans[n - 1].second)
            spans[n - 1].second = std::max(spans[n - 1].second, sp.second);
        else
            spans[n++] = sp;
    }
    spans.resize(n);
}

Spans CommonSpans(const Spans& a, const Spans& b) {
    Spans both;
    for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        const int32_t first = std::max(a[i].first, b[j].first);
        const int32_t end = std::min(a[i].second, b[j].second);
        if (first < end) both.emplace_back(first, end);
        (a[i].second < b[j].second ? i : j)++;
    }
    return both;
}

}  // namespace

std::vector<Spans> Compositor::HiddenUnder(const Surface& surface, const std::vector<Cover>& over) {
    const Surface* s = &surface;
    // Every frame's rows at the detail, from the surface's top-left.
    int height = 0, width = 0;
    for (const auto& f : s->frames)
        if (f) height = std::max(height, f->Height()), width = std::max(width, f->Width());
    const int k = detail_;
    std::vector<Spans> now(static_cast<size_t>(height) * k);
    for (const Cover& c : over) {
        // A cover that is itself a stepping surface's frame may leave pixels out: left out
        // here, it only leaves more of the frame in.
        if (!c.picture || !Materialize(*c.picture) || CoveredBy(*c.picture)) continue;
        const int64_t ox = (int64_t{c.x} - s->x) * k, oy = (int64_t{c.y} - s->y) * k;
        auto hide = [&](const auto& drawn) {
            for (int y = 0; y < drawn.Height(); ++y) {
                const int64_t row = oy + y;
                if (row < 0 || row >= static_cast<int64_t>(now.size())) continue;
                for (const Picture::Run* r = drawn.RunsBegin(y); r != drawn.RunsEnd(y); ++r) {
                    const int64_t a = std::max<int64_t>(0, ox + r->x);
                    const int64_t e = std::min<int64_t>(int64_t{width} * k, ox + r->x + r->length);
                    if (a < e)
                        now[static_cast<size_t>(row)].emplace_back(static_cast<int32_t>(a),
                                                                   static_cast<int32_t>(e));
                }
            }
        };
        // At 1 a picture is drawn as it is: its own runs are what it hides.
        if (k == 1)
            hide(*c.picture);
        else if (const auto fine = HeldAtDetail(*c.picture))
            hide(*fine);
    }
    for (Spans& row : now) JoinSpans(row);
    if (s->covered)
        for (size_t y = 0; y < now.size(); ++y)
            now[y] = y < s->hidden.size() ? CommonSpans(s->hidden[y], now[y]) : Spans{};
    return now;
}

void Compositor::SetCover(int32_t surface, std::vector<Cover> over) {
    Surface* s = Find(surface);
    if (!s || s->frames.size() < 2 || (s->covered && s->cover == over)) return;
    std::vector<Spans> now = HiddenUnder(*s, over);
    if (s->covered && now == s->hidden) {
        s->cover = std::move(over);
        return;
    }
    // The cover foreseen (CoverSoon): the copies made under it ahead are this cover's.
    const uint32_t foreseen = soonCover_.surface == surface && now == soonCover_.hidden
                                  ? std::exchange(soonCover_.generation, 0)
                                  : 0;
    if (soonCover_.surface == surface) ForgetSoonCover();
    Uncover(*s);
    s->cover = std::move(over);
    s->covered = true;
    const bool any =
        std::any_of(now.begin(), now.end(), [](const Spans& row) { return !row.empty(); });
    s->hidden = std::move(now);
    if (any) {
        s->coverGeneration = foreseen ? foreseen : ++coverGenerations_;
        ++coverChanges_;
    }
}

void Compositor::CoverSoon(int32_t surface, const std::vector<Cover>& over) {
    ForgetSoonCover();
    Surface* s = Find(surface);
    if (!s || s->frames.size() < 2) return;
    std::vector<Spans> now = HiddenUnder(*s, over);
    const bool any =
        std::any_of(now.begin(), now.end(), [](const Spans& row) { return !row.empty(); });
    soonCover_.surface = surface;
    soonCover_.since = clock_();
    // A cover that hides what the one given hides leaves its copies as they are.
    if (!any || (s->covered && now == s->hidden)) return;
    soonCover_.hidden = std::move(now);
    soonCover_.generation = ++coverGenerations_;
}

Compositor::Shown Compositor::ShowingAt(int32_t surface, uint32_t at) {
    Surface* s = Find(surface);
    if (!s || s->frames.empty()) return {};
    Step(*s);
    const bool steps =
        s->frames.size() > 1 && at - s->paceStart >= static_cast<uint32_t>(s->msPerFrame);
    return {s->frames[(s->shown + (steps ? 1 : 0)) % s->frames.size()], s->x, s->y};
}

bool Compositor::PrepareUnderSoonCover(uint32_t at) {
    Surface* s = Find(soonCover_.surface);
    if (!s || s->frames.size() < 2) return false;
    const auto next = ShowingAt(soonCover_.surface, at).picture;
    if (!next || !Materialize(*next)) return false;
    if (!soonCover_.generation) {
        if (detail_ < 2 && !s->coverGeneration) return false;
        return AtDetail(*next) != nullptr;
    }
    return AtDetailUnder(*next, &soonCover_.hidden, soonCover_.generation, false) != nullptr;
}

void Compositor::ForgetSoonCover() {
    if (soonCover_.generation)
        std::erase_if(detailed_, [this](const Detailed& d) {
            if (d.coverGeneration != soonCover_.generation) return false;
            detailBytes_ -= d.picture->Bytes();
            return true;
        });
    soonCover_ = SoonCover{};
}

void Compositor::Uncover(Surface& s) {
    // A cover foreseen was found from the surface's place and detail as they were.
    if (Find(soonCover_.surface) == &s) ForgetSoonCover();
    if (s.coverGeneration) ++coverChanges_;
    if (s.coverGeneration)
        for (auto d = detailed_.begin(); d != detailed_.end();) {
            if (d->coverGeneration != s.coverGeneration) {
                ++d;
                continue;
            }
            detailBytes_ -= d->picture->Bytes();
            d = detailed_.erase(d);
        }
    s.cover.clear();
    s.hidden.clear();
    s.covered = false;
    s.coverGeneration = 0;
}

bool Compositor::DrawsNothingWithin(const Picture& p, int32_t x, int32_t y,
                                    const Area& within) const {
    const Surface* s = CoveredBy(p);
    if (!s || s->x != x || s->y != y) return false;
    const int k = detail_;
    auto from = [k](int v, int32_t origin) {
        return static_cast<int>(std::clamp<int64_t>((int64_t{v} - origin) * k, -1 << 24, 1 << 24));
    };
    // In pixels of the detail from the surface's top-left; beyond its frames nothing is drawn.
    int width = 0, height = 0;
    for (const auto& f : s->frames)
        if (f) width = std::max(width, f->Width()), height = std::max(height, f->Height());
    const Area a = Area{from(within.left, x), from(within.top, y), from(within.right, x),
                        from(within.bottom, y)}
                       .Intersect({0, 0, width * k, height * k});
    for (int row = a.top; row < a.bottom; ++row) {
        if (static_cast<size_t>(row) >= s->hidden.size()) return false;
        const auto& spans = s->hidden[static_cast<size_t>(row)];
        if (std::none_of(spans.begin(), spans.end(), [&](const std::pair<int32_t, int32_t>& sp) {
                return sp.first <= a.left && sp.second >= a.right;
            }))
            return false;
    }
    return true;
}

const Compositor::Surface* Compositor::CoveredBy(const Picture& p) const {
    for (const Surface& s : surfaces_)
        if (s.coverGeneration)
            for (const auto& f : s.frames)
                if (f.get() == &p) return &s;
    return nullptr;
}

void Compositor::SetFrame(int32_t surface, int32_t frame) {
    Surface* s = Find(surface);
    if (!s || frame < 1) return;
    s->shown = static_cast<uint32_t>(frame - 1);
    s->paceStart = clock_();
}

void Compositor::SetSpeed(int32_t surface, int32_t msPerFrame) {
    Surface* s = Find(surface);
    if (!s) return;
    Step(*s);  // frames already due under the old pace are shown before the new one starts
    s->msPerFrame = msPerFrame > 0 ? msPerFrame : kDefaultFrameMs;
    s->paceStart = clock_();
}

// Paced by the clock, not by how often frames are drawn, but one frame at a time: every frame
// of the strip is shown, even when a frame is drawn a little late. A surface that fell far
// behind (nobody drew for a while) starts its pace afresh instead of racing through the rest.
void Compositor::Step(Surface& s) {
    const uint32_t n = static_cast<uint32_t>(s.frames.size());
    if (n == 0) return;
    s.shown %= n;
    if (n == 1) return;
    const uint32_t per = static_cast<uint32_t>(s.msPerFrame);
    const uint32_t now = clock_();
    const uint32_t elapsed = now - s.paceStart;
    if (elapsed < per) return;
    s.shown = (s.shown + 1) % n;
    if (elapsed / per >= kCatchUpFrames)
        s.paceStart = now;
    else
        s.paceStart += per;
}

int32_t Compositor::CurrentFrame(int32_t surface) {
    Surface* s = Find(surface);
    if (!s) return 0;
    Step(*s);
    return s->frames.empty() ? 1 : static_cast<int32_t>(s->shown % s->frames.size()) + 1;
}

void Compositor::Draw(int32_t surface) {
    const Shown s = Showing(surface);
    if (s.picture) DrawPicture(*s.picture, s.x, s.y, {0, 0, kWidth, kHeight});
}

Compositor::Shown Compositor::Showing(int32_t surface) {
    Surface* s = Find(surface);
    if (!s) return {};
    std::erase_if(soon_, [surface](const Soon& wish) { return wish.surface == surface; });
    Step(*s);
    if (s->frames.empty()) return {};
    const auto& picture = s->frames[s->shown];
    if (!picture || !Materialize(*picture)) return {};
    return {picture, s->x, s->y};
}

int64_t Compositor::MsUntilNextStep() {
    int64_t soonest = -1;
    for (Surface& s : surfaces_) {
        if (s.frames.size() < 2) continue;
        const int64_t left = int64_t{s.msPerFrame} - static_cast<uint32_t>(clock_() - s.paceStart);
        const int64_t due = std::max<int64_t>(0, left);
        if (soonest < 0 || due < soonest) soonest = due;
    }
    return soonest;
}

void Compositor::DrawPicture(const Picture& picture, int32_t x, int32_t y, const Area& within) {
    const Area clip = within.Intersect({0, 0, kWidth, kHeight});
    if (clip.Empty() || picture.Empty()) return;
    // A stepping surface's frames under a cover are held without what it hides at every
    // detail, 1 too: at 800 x 600 the flames' ten frames are most of the memory.
    if (detail_ > 1 || CoveredBy(picture)) {
        // In pixels of the detail; a logical place near the int32 limits stays in 64 bits
        // until clipped.
        const int k = detail_;
        const Surface* cover = CoveredBy(picture);
        if (cover && DrawsNothingWithin(picture, x, y, clip)) return;
        if (const DetailPicture* fine =
                AtDetail(picture, cover && (cover->x != x || cover->y != y)))
            DrawAtDetail(*fine, int64_t{x} * k, int64_t{y} * k,
                         {clip.left * k, clip.top * k, clip.right * k, clip.bottom * k});
        return;
    }
    if (!HavePixels(picture)) return;
    const Picture& p = picture;
    const int64_t px = x, py = y;
    const int64_t left = std::max<int64_t>(clip.left, px);
    const int64_t right = std::min<int64_t>(clip.right, px + p.Width());
    const int64_t top = std::max<int64_t>(clip.top, py);
    const int64_t bottom = std::min<int64_t>(clip.bottom, py + p.Height());
    if (left >= right || top >= bottom) return;
    const int clipLeft = static_cast<int>(left - px);
    const int clipRight = static_cast<int>(right - px);
    const int64_t dx = px;  // within the screen's reach once clipping passed
    const size_t stride = static_cast<size_t>(Width());
    for (int64_t row = top; row < bottom; ++row) {
        const int sy = static_cast<int>(row - py);
        const uint32_t* src = p.Row(sy);
        uint32_t* dst = back_ + static_cast<size_t>(row) * stride;
        for (const Picture::Run* r = p.RunsBegin(sy); r != p.RunsEnd(sy); ++r) {
            if (r->x >= clipRight) break;
            const int a = std::max<int>(r->x, clipLeft);
            const int b = std::min<int>(r->x + r->length, clipRight);
            if (a < b)
                std::memcpy(dst + (dx + a), src + a, static_cast<size_t>(b - a) * sizeof(uint32_t));
        }
    }
}

void WidenPixels(const uint8_t* from, uint32_t* to, int count) {
    int i = 0;
#if defined(__SSE2__)
    // Four pixels from twelve bytes read as sixteen (the next pixels', or the spare bytes):
    // each pixel's three bytes shifted into a lane of its own. The flames at 4K are over a
    // million pixels a step.
    const __m128i lane0 = _mm_setr_epi32(0xFFFFFF, 0, 0, 0);
    const __m128i lane1 = _mm_setr_epi32(0, 0xFFFFFF, 0, 0);
    const __m128i lane2 = _mm_setr_epi32(0, 0, 0xFFFFFF, 0);
    const __m128i lane3 = _mm_setr_epi32(0, 0, 0, 0xFFFFFF);
    for (; i + 4 <= count; i += 4, from += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i four = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(v, lane0), _mm_and_si128(_mm_slli_si128(v, 1), lane1)),
            _mm_or_si128(_mm_and_si128(_mm_slli_si128(v, 2), lane2),
                         _mm_and_si128(_mm_slli_si128(v, 3), lane3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), four);
    }
#endif
    // Each pixel read as four bytes, the fourth the next pixel's (or a spare byte).
    for (; i < count; ++i, from += 3) {
        uint32_t v;
        std::memcpy(&v, from, sizeof v);
        to[i] = v & 0xFFFFFF;
    }
}

void Compositor::DrawAtDetail(const DetailPicture& p, int64_t px, int64_t py, const Area& clip) {
    const int64_t left = std::max<int64_t>(clip.left, px);
    const int64_t right = std::min<int64_t>(clip.right, px + p.Width());
    const int64_t top = std::max<int64_t>(clip.top, py);
    const int64_t bottom = std::min<int64_t>(clip.bottom, py + p.Height());
    if (left >= right || top >= bottom) return;
    const int clipLeft = static_cast<int>(left - px);
    const int clipRight = static_cast<int>(right - px);
    const size_t stride = static_cast<size_t>(Width());
    for (int64_t row = top; row < bottom; ++row) {
        const int sy = static_cast<int>(row - py);
        const uint8_t* src = p.RowPixels(sy);
        uint32_t* dst = back_ + static_cast<size_t>(row) * stride + px;
        for (const Picture::Run* r = p.RunsBegin(sy); r != p.RunsEnd(sy);
             src += r->length * 3, ++r) {
            if (r->x >= clipRight) break;
            const int a = std::max<int>(r->x, clipLeft);
            const int b = std::min<int>(r->x + r->length, clipRight);
            WidenPixels(src + (a - r->x) * 3, dst + a, b - a);
        }
    }
}

namespace {

// A user's own twin, a PNG, decoded as four bytes a pixel (stb decodes it whole), or null when
// there is none of exactly this size (told by its header, before anything is decoded).
struct Twin {
    std::unique_ptr<uint8_t, void (*)(void*)> rgba{nullptr, stbi_image_free};
    int width = 0, height = 0;
};

Twin ReadTwin(const std::string& path, int width, int height) {
    Twin twin;
    auto bytes = ReadFileBytes(path, Compositor::kMaxPictureFileBytes);
    if (!bytes || bytes->empty()) return twin;
    int w = 0, h = 0, channels = 0;
    const int length = static_cast<int>(bytes->size());
    if (!stbi_info_from_memory(bytes->data(), length, &w, &h, &channels) || w != width ||
        h != height || ClaimsMoreThanItHolds(*bytes, w, h))
        return twin;
    twin.rgba.reset(stbi_load_from_memory(bytes->data(), length, &w, &h, &channels, 4));
    twin.width = w;
    twin.height = h;
    return twin;
}

// The picture at `detail` from its twin's rows, given one after the other: kept as they come
// at the twin's own detail, shrunk for a smaller one. Null unless the twin turns out to be its
// picture's.
// Clears the alpha of the pixels of row `y` (of `width`) that are left out of a copy.
using RowMask = std::function<void(int y, uint8_t* rgba, int width)>;

// The opaque pixels a copy at `detail` is guessed to hold, `hidden` of them left out by a
// cover: a guess far beyond what comes would be given back by copying it all (at 4K a flame
// frame's copy is 4.5 MB, its whole picture twice that).
size_t ExpectedOpaque(const Picture& p, int detail, size_t hidden) {
    const size_t opaque = p.OpaquePixels() * detail * detail;
    return opaque - std::min(opaque, hidden);
}

// Rows at the detail into a picture, each first masked when a mask is given.
class MaskedRows {
  public:
    MaskedRows(int width, int height, int detail, size_t expectedOpaque, RowMask mask)
        : width_(width),
          builder_(width, height, Picture::kMaxWidth * detail, Picture::kMaxHeight * detail,
                   expectedOpaque),
          mask_(std::move(mask)) {}
    void Add(int y, const uint8_t* rgba) {
        if (!mask_) return builder_.AddRow(rgba);
        for (int x = 0; x < width_ && whole_; ++x)
            whole_ = rgba[static_cast<size_t>(x) * 4 + 3] >= 128;
        scratch_.assign(rgba, rgba + static_cast<size_t>(width_) * 4);
        mask_(y, scratch_.data(), width_);
        builder_.AddRow(scratch_.data());
    }
    // A row its cover hides all of, left out unread: whatever it holds is painted over.
    void AddHidden() { builder_.AddEmptyRow(); }
    // A picture whole but for what its cover hides still hides all beneath it: the pictures
    // drawn over it paint its holes. Composing then starts from it, not from the clear below.
    std::shared_ptr<const DetailPicture> Finish() { return builder_.Finish(mask_ && whole_); }

  private:
    int width_;
    bool whole_ = true;  // every row opaque before it was masked
    DetailPicture::Builder builder_;
    RowMask mask_;
    std::vector<uint8_t> scratch_;
};

class FromTwinRows {
  public:
    // `checked`: the rows are known to be the picture's (a shipped correction carries its
    // picture's checksum), so they are not compared with it again.
    FromTwinRows(const Picture& p, int detail, RowMask mask, size_t hidden, bool checked = false)
        : checked_(checked),
          matcher_(p),
          builder_(p.Width() * detail, p.Height() * detail, detail,
                   ExpectedOpaque(p, detail, hidden), std::move(mask)) {
        if (detail != kTwinDetail)
            shrinker_.emplace(p.Width() * kTwinDetail, p.Height() * kTwinDetail, -1,
                              p.Width() * detail, p.Height() * detail,
                              [this](int y, const uint8_t* row) { builder_.Add(y, row); });
    }
    void Add(const uint8_t* rgba) {
        if (!checked_) matcher_.Add(rgba);
        if (shrinker_)
            shrinker_->Add(rgba);
        else
            builder_.Add(rows_, rgba);
        ++rows_;
    }
    // Rows left out unread may only be those the copy is made at, of a twin not compared.
    bool MaySkip() const { return checked_ && !shrinker_; }
    void AddHidden() {
        builder_.AddHidden();
        ++rows_;
    }
    std::shared_ptr<const DetailPicture> Finish() {
        return checked_ || matcher_.Matches() ? builder_.Finish() : nullptr;
    }

  private:
    bool checked_;
    TwinMatcher matcher_;
    MaskedRows builder_;
    std::optional<RowShrinker> shrinker_;
    int rows_ = 0;
};

// From a user's own PNG twin beside the picture, else from the shipped correction; null when
// neither is there or either is not the picture's.
std::shared_ptr<const DetailPicture> FromTwin(const Picture& p, const std::string& path,
                                              int64_t key, int detail, const RowMask& mask,
                                              size_t hidden,
                                              const std::vector<uint8_t>& hiddenRows) {
    const int w = p.Width() * kTwinDetail, h = p.Height() * kTwinDetail;
    if (Twin twin = ReadTwin(TwinPath(path), w, h); twin.rgba) {
        FromTwinRows made(p, detail, mask, hidden);
        for (int y = 0; y < h; ++y) {
            // The twin's own colours decide its holes, as for its picture.
            uint8_t* row = twin.rgba.get() + static_cast<size_t>(y) * w * 4;
            for (int x = 0; x < w; ++x) {
                uint8_t* px = row + x * 4;
                if (static_cast<int64_t>(px[0] | (px[1] << 8) | (px[2] << 16)) == key) px[3] = 0;
            }
            made.Add(row);
        }
        twin.rgba.reset();
        // A PNG that is not the picture's (left from an older setup whose pictures were
        // painted anew, say) gives way to the shipped correction beside it.
        if (auto fine = made.Finish()) return fine;
    }
    auto bytes = ReadFileBytes(TwinCorrectionPath(path), Compositor::kMaxPictureFileBytes);
    if (!bytes) return nullptr;
    auto reader = TwinCorrectionReader::Open(std::move(*bytes), w, h, p);
    if (!reader) return nullptr;
    const Enlarger enlarged(p, kTwinDetail);
    std::vector<uint8_t> predicted(static_cast<size_t>(w) * 4), row(predicted.size());
    FromTwinRows made(p, detail, mask, hidden, true);
    for (int y = 0; y < h; ++y) {
        if (made.MaySkip() && static_cast<size_t>(y) < hiddenRows.size() && hiddenRows[y]) {
            if (!reader->SkipRow()) return nullptr;
            made.AddHidden();
            continue;
        }
        enlarged.Row(y, predicted.data());
        if (!reader->NextRow(predicted.data(), row.data())) return nullptr;
        made.Add(row.data());
    }
    return made.Finish();
}

std::shared_ptr<const DetailPicture> EnlargedAtDetail(const Picture& p, int detail,
                                                      const RowMask& mask, size_t hidden,
                                                      const std::vector<uint8_t>& hiddenRows) {
    const Enlarger enlarged(p, detail);
    MaskedRows builder(enlarged.Width(), enlarged.Height(), detail,
                       ExpectedOpaque(p, detail, hidden), mask);
    std::vector<uint8_t> row(static_cast<size_t>(enlarged.Width()) * 4);
    for (int y = 0; y < std::min(enlarged.Height(), Picture::kMaxHeight * detail); ++y) {
        if (static_cast<size_t>(y) < hiddenRows.size() && hiddenRows[y]) {
            builder.AddHidden();
            continue;
        }
        enlarged.Row(y, row.data());
        builder.Add(y, row.data());
    }
    return builder.Finish();
}

}  // namespace

const DetailPicture* Compositor::AtDetail(const Picture& p, bool whole) {
    const Surface* cover = CoveredBy(p);
    // A covered frame drawn somewhere else than under its cover is made whole for the moment.
    const bool passing = whole && cover;
    if (whole) cover = nullptr;
    return AtDetailUnder(p, cover ? &cover->hidden : nullptr, cover ? cover->coverGeneration : 0,
                         passing);
}

const DetailPicture* Compositor::AtDetailUnder(const Picture& p, const std::vector<Spans>* under,
                                               uint32_t generation, bool passing) {
    for (auto d = detailed_.begin(); !passing && d != detailed_.end(); ++d)
        if (d->source.get() == &p && d->coverGeneration == generation) {
            d->used = clock_();
            std::rotate(d, d + 1, detailed_.end());
            return detailed_.back().picture.get();
        }
    if (!HavePixels(p)) return nullptr;
    Detailed made;
    if (!passing) made.source = p.weak_from_this().lock();
    made.coverGeneration = generation;
    made.used = clock_();
    made.again = std::any_of(letGo_.begin(), letGo_.end(), [&](const auto& gone) {
        return gone.first == &p && made.used - gone.second < kAgainMs;
    });
    const int k = detail_;
    try {
        const Cached* file = nullptr;
        for (const Cached& c : cache_)
            if (c.picture.get() == &p) file = &c;
        // A twin is made finer than it was painted by no one: beyond its detail the picture
        // is enlarged as it would be without one.
        // What the cover hides is left out row by row: no whole copy is ever held.
        RowMask mask;
        if (under)
            mask = [&hidden = *under](int y, uint8_t* rgba, int width) {
                if (y < 0 || static_cast<size_t>(y) >= hidden.size()) return;
                for (const auto& [first, end] : hidden[static_cast<size_t>(y)])
                    for (int x = std::max(first, 0); x < std::min(end, width); ++x)
                        rgba[static_cast<size_t>(x) * 4 + 3] = 0;
            };
        size_t hidden = 0;
        // Rows hidden whole (a third of the flames' at 4K, under the surround's top and the
        // logs) are neither enlarged nor corrected.
        std::vector<uint8_t> hiddenRows;
        if (under) {
            const int width = p.Width() * k;
            for (const auto& row : *under) {
                for (const auto& [first, end] : row)
                    hidden += static_cast<size_t>(std::max(0, end - first));
                hiddenRows.push_back(std::any_of(row.begin(), row.end(), [width](const auto& span) {
                    return span.first <= 0 && span.second >= width;
                }));
            }
        }
        if (file && k > 1 && k <= kTwinDetail)
            made.picture =
                FromTwin(p, file->path, KeyColour(file->key), k, mask, hidden, hiddenRows);
        if (!made.picture) made.picture = EnlargedAtDetail(p, k, mask, hidden, hiddenRows);
    } catch (const std::bad_alloc&) {
        made.picture.reset();
    }
    // Out of memory: nothing drawn, as for a picture that could not be read.
    if (!made.picture || made.picture->Empty()) return nullptr;
    ++copiesMade_;
    const size_t bytes = made.picture->Bytes();
    while (!detailed_.empty() && detailBytes_ + bytes > detailBudget_) {
        detailBytes_ -= detailed_.front().picture->Bytes();
        detailed_.erase(detailed_.begin());
    }
    detailBytes_ += bytes;
    // A picture nobody else holds (made on the spot by a caller) is not kept: its address may
    // be another's soon.
    if (!made.source) {
        held_ = std::move(made.picture);
        detailBytes_ -= bytes;
        return held_.get();
    }
    detailed_.push_back(std::move(made));
    LetPixelsGo(p);
    return detailed_.back().picture.get();
}

std::shared_ptr<const DetailPicture> Compositor::HeldAtDetail(const Picture& p) {
    const DetailPicture* fine = AtDetail(p);
    if (!fine) return nullptr;
    if (held_.get() == fine) return held_;
    for (const Detailed& d : detailed_)
        if (d.picture.get() == fine) return d.picture;
    return nullptr;
}

bool Compositor::HidesBeneath(const Picture& p) {
    if (detail_ == 1) return p.Solid();
    const DetailPicture* fine = AtDetail(p);
    return fine && fine->Solid();
}

std::vector<Area> Compositor::DifferenceAsDrawn(const Picture& a, const Picture& b) {
    if (detail_ == 1 && !CoveredBy(a) && !CoveredBy(b)) return PictureDifference(a, b);
    const int w = std::min(a.Width(), b.Width()), h = std::min(a.Height(), b.Height());
    const auto fa = HeldAtDetail(a), fb = HeldAtDetail(b);
    if (!fa || !fb || fa->Width() != fb->Width() || fa->Height() != fb->Height())
        return {{0, 0, std::max(a.Width(), b.Width()), std::max(a.Height(), b.Height())}};
    const int k = detail_, fineWidth = fa->Width();
    constexpr int kTile = 16;
    // A row as opaque pixels with a bit above the colour, holes as 0.
    auto unpack = [fineWidth](const DetailPicture& p, int y, std::vector<uint32_t>& out) {
        std::fill(out.begin(), out.end(), 0);
        const uint8_t* src = p.RowPixels(y);
        for (const Picture::Run* r = p.RunsBegin(y); r != p.RunsEnd(y); ++r)
            for (int x = r->x; x < r->x + r->length && x < fineWidth; ++x, src += 3)
                out[static_cast<size_t>(x)] = 0x1000000u | src[0] | src[1] << 8 | src[2] << 16;
    };
    std::vector<uint32_t> rowA(static_cast<size_t>(fineWidth)), rowB(rowA.size());
    std::vector<uint8_t> tiles(static_cast<size_t>((w + kTile - 1) / kTile));
    std::vector<Area> runs;
    // The outermost pixels that differ, logical: the squares at the edges are cut to them.
    // The flames' outer squares are mostly hidden by the surround, and a whole square there
    // would reach a text beside them (the calendar's clock), whose every second would then
    // make each step a change never seen before.
    Area bounds{w, h, 0, 0};
    for (int top = 0; top < h; top += kTile) {
        std::fill(tiles.begin(), tiles.end(), 0);
        for (int y = top * k; y < std::min(h, top + kTile) * k && y < fa->Height(); ++y) {
            unpack(*fa, y, rowA);
            unpack(*fb, y, rowB);
            int first = -1, last = -1;
            for (int x = 0; x < std::min(fineWidth, w * k); ++x)
                if (rowA[static_cast<size_t>(x)] != rowB[static_cast<size_t>(x)]) {
                    tiles[static_cast<size_t>(x / (kTile * k))] = 1;
                    if (first < 0) first = x;
                    last = x;
                }
            if (first < 0) continue;
            bounds = {std::min(bounds.left, first / k), std::min(bounds.top, y / k),
                      std::max(bounds.right, last / k + 1), std::max(bounds.bottom, y / k + 1)};
        }
        AddTileRuns(tiles, kTile, top, w, h, runs);
    }
    for (Area& run : runs) run = run.Intersect(bounds);
    std::erase_if(runs, [](const Area& run) { return run.Empty(); });
    return StackRuns(std::move(runs));
}

bool Compositor::HavePixels(const Picture& p) {
    if (p.pending_) return Materialize(p) && p.HasPixels();
    if (p.HasPixels()) return true;
    for (const Cached& c : cache_) {
        if (c.picture.get() != &p) continue;
        try {
            auto bytes = ReadFileBytes(c.path, kMaxPictureFileBytes);
            auto again = DecodePicture(bytes ? *bytes : std::vector<uint8_t>{}, c.key);
            if (again->width_ == p.width_ && again->height_ == p.height_ &&
                again->runs_.size() == p.runs_.size() && again->rowRuns_ == p.rowRuns_ &&
                std::equal(again->runs_.begin(), again->runs_.end(), p.runs_.begin(),
                           [](const Picture::Run& a, const Picture::Run& b) {
                               return a.x == b.x && a.length == b.length;
                           }))
                p.pixels_ = std::move(again->pixels_);
        } catch (const std::bad_alloc&) {
        }
        break;
    }
    return p.HasPixels();
}

void Compositor::LetPixelsGo(const Picture& p) {
    if ((detail_ < 2 && !CoveredBy(p)) || p.Empty()) return;
    bool fromFile = false;
    for (const Cached& c : cache_) fromFile |= c.picture.get() == &p;
    if (!fromFile) return;
    std::vector<uint32_t>().swap(p.pixels_);
}

bool Compositor::LetGoOfAllBut(const std::vector<const Picture*>& drawn) {
    auto shown = [&](const Picture* p) {
        return std::find(drawn.begin(), drawn.end(), p) != drawn.end();
    };
    std::vector<const Picture*> keep = drawn;
    for (const Surface& s : surfaces_)
        if (std::any_of(s.frames.begin(), s.frames.end(),
                        [&](const auto& f) { return shown(f.get()); }))
            for (const auto& f : s.frames) keep.push_back(f.get());
    ForgetStaleSoon();
    for (const Soon& wish : soon_)
        for (const auto& f : surfaces_[static_cast<size_t>(wish.surface) - 1].frames)
            keep.push_back(f.get());
    auto kept = [&](const Picture* p) {
        return std::find(keep.begin(), keep.end(), p) != keep.end();
    };
    // A picture made ahead for a rotation that no longer shows (the style rotated away) is
    // not made again.
    std::erase_if(ahead_, [&](const auto& p) { return !kept(p.get()); });
    bool released = false;
    for (auto d = detailed_.begin(); d != detailed_.end();) {
        if (kept(d->source.get())) {
            ++d;
            continue;
        }
        detailBytes_ -= d->picture->Bytes();
        d = detailed_.erase(d);
        released = true;
    }
    // Another scene around the steps (a surround style rotated away): their copies, made
    // again for the one before, may go once its steps are kept, as the first ones did.
    if (released) {
        letGo_.clear();
        for (Detailed& d : detailed_) d.again = false;
    }
    for (const Cached& c : cache_) {
        if (kept(c.picture.get()) || c.picture->pending_ || !c.picture->HasPixels()) continue;
        std::vector<uint32_t>().swap(c.picture->pixels_);
    }
    return released;
}

size_t Compositor::PictureBytes() const {
    std::set<const Picture*> seen;
    size_t total = 0;
    for (const Surface& s : surfaces_)
        for (const auto& f : s.frames)
            if (f && seen.insert(f.get()).second) total += f->Bytes();
    return total;
}

}  // namespace hg
