#include "display/detail.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>

namespace hg {

namespace {

// How far a shrunk twin may stray from its picture and still be the same picture: the
// generator paints the twin's every pixel at its own place, so edges and grain differ a little
// from the small picture's, but a different picture differs in far more.
constexpr int kMatchMeanDifference = 12;   // per channel, on pixels opaque in both
constexpr int kMatchHoleDisagreement = 4;  // percent of pixels opaque in one only

}  // namespace

int DetailFor(int hearthHeight) {
    for (int k = 1; k < kMaxDetail; ++k)
        if (int64_t{hearthHeight} * 100 <=
            int64_t{k} * Compositor::kHeight * kMaxEnlargementPercent)
            return k;
    return kMaxDetail;
}

Area ToLogical(const Area& area, int detail) {
    if (area.Empty()) return {};
    auto down = [detail](int v) { return v >= 0 ? v / detail : -((-v + detail - 1) / detail); };
    return {down(area.left), down(area.top), -down(-area.right), -down(-area.bottom)};
}

Area ToDetail(const Area& area, int detail) {
    return {area.left * detail, area.top * detail, area.right * detail, area.bottom * detail};
}

int PlaceAtDetail(int32_t place, int detail) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{place} * detail, -(1 << 24), 1 << 24));
}

int TextHeight(int32_t size) {
    return size <= 0 ? kDefaultTextHeight : std::min<int32_t>(size, Compositor::kHeight);
}

TextFont FontAtDetail(const TextFont& font, int detail) {
    TextFont f = font;
    f.size = TextHeight(font.size) * std::max(1, detail);
    return f;
}

std::string HighDetailPath(const std::string& path, const char* extension) {
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const char separator = slash == std::string::npos ? '/' : path[slash];
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return folder + "HighDetail" + separator + name + extension;
}

Enlarger::Enlarger(const Picture& picture, int detail)
    : p_(picture),
      detail_(std::max(detail, 1)),
      width_(picture.Empty() ? 0 : picture.Width() * detail_),
      height_(picture.Empty() ? 0 : picture.Height() * detail_) {
    // Each new pixel's centre in the picture's pixels, as a pixel and a weight of the next in
    // 1/256ths; the same for every row and column of the same phase.
    auto taps = [this](int size, int count) {
        std::vector<Tap> t(static_cast<size_t>(count));
        for (size_t i = 0; i < t.size(); ++i) {
            const int twice = (2 * static_cast<int>(i) + 1) - detail_;  // 2 * detail * position
            const int pos = twice <= 0 ? 0 : twice * 128 / detail_;
            t[i] = {std::min(pos >> 8, size - 1), static_cast<uint32_t>(pos & 255)};
        }
        return t;
    };
    xs_ = taps(p_.Width(), width_);
    ys_ = taps(p_.Height(), height_);
}

void Enlarger::Row(int y, uint8_t* rgba) const {
    std::fill_n(rgba, static_cast<size_t>(width_) * 4, uint8_t{0});
    if (y < 0 || y >= height_) return;
    const int w = p_.Width(), h = p_.Height();
    const Tap ty = ys_[static_cast<size_t>(y)];
    const int y1 = std::min(ty.at + 1, h - 1);
    const int ny = y / detail_;
    // Which pixels of the rows read are opaque, from their runs once rather than a search a
    // pixel: this runs for every row of every picture made at the detail.
    auto mask = [this](int row, std::vector<uint8_t>& m) {
        m.assign(static_cast<size_t>(p_.Width()), 0);
        for (const Picture::Run* r = p_.RunsBegin(row); r != p_.RunsEnd(row); ++r)
            std::fill_n(m.begin() + r->x, r->length, uint8_t{1});
    };
    mask(ny, own_);
    mask(ty.at, top_);
    mask(y1, bottom_);
    // 32-bit sums: 255 times the four weights (65536 in all) fits, and the 32-bit build has no
    // 64-bit division of its own.
    const uint8_t* own = own_.data();
    const uint8_t* above = top_.data();
    const uint8_t* below = bottom_.data();
    const uint32_t* rowAbove = p_.Row(ty.at);
    const uint32_t* rowBelow = p_.Row(y1);
    const uint32_t wy = ty.weight;
    // Where every tap that weighs anything is opaque, the four-tap sum is the two rows weighed
    // together a column at a time, then two columns weighed: the same products summed in
    // another order, so the same value to the bit (the shipped corrections are differences
    // from it), with a fraction of the work, as every source column serves `detail` new ones.
    bothOpaque_.resize(static_cast<size_t>(w));
    down_.resize(static_cast<size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        bothOpaque_[x] = above[x] && (wy == 0 || below[x]);
        const uint32_t a = rowAbove[x], b = rowBelow[x];
        for (int c = 0; c < 3; ++c) {
            const int shift = 16 - 8 * c;
            down_[3 * static_cast<size_t>(x) + c] =
                ((a >> shift) & 255) * (256 - wy) + ((b >> shift) & 255) * wy;
        }
    }
    const uint32_t* down = down_.data();
    const uint8_t* downOpaque = bothOpaque_.data();
    uint8_t* dst = rgba;
    // A source pixel at a time, then the new ones it becomes: no division a pixel.
    for (int sx = 0, x = 0; sx < w; ++sx)
        for (int end = x + detail_; x < end; ++x, dst += 4) {
            if (!own[sx]) continue;
            const Tap tx = xs_[static_cast<size_t>(x)];
            const int x0 = tx.at, x1 = std::min(tx.at + 1, w - 1);
            if (downOpaque[x0] && (tx.weight == 0 || downOpaque[x1])) {
                const uint32_t* d0 = down + 3 * static_cast<size_t>(x0);
                const uint32_t* d1 = down + 3 * static_cast<size_t>(x1);
                for (int c = 0; c < 3; ++c)
                    dst[c] = static_cast<uint8_t>(
                        (d0[c] * (256 - tx.weight) + d1[c] * tx.weight + 32768) >> 16);
                dst[3] = 255;
                continue;
            }
            uint32_t r = 0, g = 0, b = 0, total = 0;
            auto add = [&](uint32_t weight, uint8_t opaque, uint32_t c) {
                if (weight == 0 || !opaque) return;
                r += ((c >> 16) & 255) * weight;
                g += ((c >> 8) & 255) * weight;
                b += (c & 255) * weight;
                total += weight;
            };
            add((256 - tx.weight) * (256 - wy), above[x0], rowAbove[x0]);
            add(tx.weight * (256 - wy), above[x1], rowAbove[x1]);
            add((256 - tx.weight) * wy, below[x0], rowBelow[x0]);
            add(tx.weight * wy, below[x1], rowBelow[x1]);
            if (total == 0) {  // only its own pixel, which weighs nothing at this phase
                const uint32_t c = p_.Row(ny)[sx];
                r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255, total = 1;
            }
            if (total == 65536) {
                // Every tap opaque, the usual case: the same rounding as below, without dividing.
                dst[0] = static_cast<uint8_t>((r + 32768) >> 16);
                dst[1] = static_cast<uint8_t>((g + 32768) >> 16);
                dst[2] = static_cast<uint8_t>((b + 32768) >> 16);
                dst[3] = 255;
                continue;
            }
            dst[0] = static_cast<uint8_t>((r + total / 2) / total);
            dst[1] = static_cast<uint8_t>((g + total / 2) / total);
            dst[2] = static_cast<uint8_t>((b + total / 2) / total);
            dst[3] = 255;
        }
}

RgbaImage Enlarged(const Picture& p, int detail) {
    RgbaImage out;
    if (p.Empty() || detail < 1) return out;
    const Enlarger e(p, detail);
    out.width = e.Width();
    out.height = e.Height();
    out.pixels.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; ++y)
        e.Row(y, out.pixels.data() + static_cast<size_t>(y) * out.width * 4);
    return out;
}

RowShrinker::RowShrinker(int width, int height, int64_t keyColour, int toWidth, int toHeight,
                         Emit emit)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      toWidth_(std::clamp(toWidth, 0, width_)),
      toHeight_(std::clamp(toHeight, 0, height_)),
      key_(keyColour),
      emit_(std::move(emit)) {
    if (toWidth_ == 0 || toHeight_ == 0) {
        toWidth_ = toHeight_ = 0;
        return;
    }
    // Which source pixels a new one covers and by how much, in units of 1 / (to size): a new
    // pixel spans `size` of them, a source pixel `to` of them. Every bound is a multiple of
    // their common divisor, so every weight is too.
    auto covers = [](int size, int to) {
        const int64_t unit = std::gcd(size, to);
        std::vector<Cover> c(static_cast<size_t>(to));
        for (int d = 0; d < to; ++d) {
            const int64_t lo = int64_t{d} * size, hi = lo + size;  // in 1/to source pixels
            Cover& cv = c[static_cast<size_t>(d)];
            cv.first = static_cast<int>(lo / to);
            for (int64_t s = cv.first; s * to < hi && s < size; ++s)
                cv.weights.push_back(static_cast<uint32_t>(
                    (std::min(hi, (s + 1) * to) - std::max(lo, s * to)) / unit));
        }
        return c;
    };
    xs_ = covers(width_, toWidth_);
    ys_ = covers(height_, toHeight_);
    const uint64_t ux = static_cast<uint64_t>(std::gcd(width_, toWidth_)),
                   uy = static_cast<uint64_t>(std::gcd(height_, toHeight_));
    scale_ = ux * uy;
    area_ = (static_cast<uint64_t>(width_) / ux) * (static_cast<uint64_t>(height_) / uy);
    // A new pixel's weights add up to its area; a row's share of them, times a colour, is less.
    narrow_ = area_ <= UINT32_MAX / 255;
    for (Sums* s : {&current_, &next_})
        for (auto* v : {&s->r, &s->g, &s->b, &s->covered}) v->assign(toWidth_, 0);
    out_.assign(static_cast<size_t>(toWidth_) * 4, 0);
}

void RowShrinker::Accumulate(Sums& into, const uint8_t* rgba, uint32_t rowWeight) {
    if (narrow_)
        AccumulateAs<uint32_t>(into, rgba, rowWeight);
    else
        AccumulateAs<uint64_t>(into, rgba, rowWeight);
}

template <typename Share>
void RowShrinker::AccumulateAs(Sums& into, const uint8_t* rgba, uint32_t rowWeight) {
    for (int x = 0; x < toWidth_; ++x) {
        const Cover& cx = xs_[static_cast<size_t>(x)];
        Share r = 0, g = 0, b = 0, covered = 0;
        for (size_t i = 0; i < cx.weights.size(); ++i) {
            const uint8_t* px = rgba + (static_cast<size_t>(cx.first) + i) * 4;
            const uint32_t colour = px[0] | (px[1] << 8) | (px[2] << 16);
            if (px[3] < 128 || static_cast<int64_t>(colour) == key_) continue;
            const Share wgt = Share{cx.weights[i]} * rowWeight;
            r += px[0] * wgt, g += px[1] * wgt, b += px[2] * wgt, covered += wgt;
        }
        into.r[x] += r, into.g[x] += g, into.b[x] += b, into.covered[x] += covered;
    }
}

void RowShrinker::Finish(Sums& s, int y) {
    std::fill(out_.begin(), out_.end(), uint8_t{0});
    for (int x = 0; x < toWidth_; ++x) {
        // Rounded in the units of the weights as they were before they were divided, so that
        // a sum halfway between two values rounds as it always did.
        const uint64_t covered = s.covered[x] * scale_;
        if (s.covered[x] * 2 >= area_ && covered > 0) {
            uint8_t* dst = out_.data() + static_cast<size_t>(x) * 4;
            dst[0] = static_cast<uint8_t>((s.r[x] * scale_ + covered / 2) / covered);
            dst[1] = static_cast<uint8_t>((s.g[x] * scale_ + covered / 2) / covered);
            dst[2] = static_cast<uint8_t>((s.b[x] * scale_ + covered / 2) / covered);
            dst[3] = 255;
        }
        s.r[x] = s.g[x] = s.b[x] = s.covered[x] = 0;
    }
    emit_(y, out_.data());
}

void RowShrinker::Add(const uint8_t* rgba) {
    if (sourceRow_ >= height_) return;
    const int s = sourceRow_++;
    if (toHeight_ == 0) return;
    // A source row lies in at most two new rows, since no new one is smaller than it: the one
    // being summed and the next.
    for (int d = nextOut_; d < toHeight_ && d <= nextOut_ + 1; ++d) {
        const Cover& cy = ys_[static_cast<size_t>(d)];
        if (s < cy.first || s >= cy.first + static_cast<int>(cy.weights.size())) continue;
        Accumulate(d == nextOut_ ? current_ : next_, rgba,
                   cy.weights[static_cast<size_t>(s - cy.first)]);
    }
    const Cover& cur = ys_[static_cast<size_t>(nextOut_)];
    if (s == cur.first + static_cast<int>(cur.weights.size()) - 1) {
        Finish(current_, nextOut_++);
        std::swap(current_, next_);
    }
}

RgbaImage Resampled(const uint8_t* rgba, int width, int height, int64_t keyColour, int toWidth,
                    int toHeight) {
    RgbaImage out;
    if (!rgba || width <= 0 || height <= 0 || toWidth <= 0 || toHeight <= 0 || toWidth > width ||
        toHeight > height)
        return out;
    out.width = toWidth;
    out.height = toHeight;
    out.pixels.assign(static_cast<size_t>(toWidth) * toHeight * 4, 0);
    RowShrinker shrink(width, height, keyColour, toWidth, toHeight,
                       [&out](int y, const uint8_t* row) {
                           std::copy_n(row, static_cast<size_t>(out.width) * 4,
                                       out.pixels.data() + static_cast<size_t>(y) * out.width * 4);
                       });
    for (int y = 0; y < height; ++y) shrink.Add(rgba + static_cast<size_t>(y) * width * 4);
    return out;
}

TwinMatcher::TwinMatcher(const Picture& picture)
    : p_(picture),
      shrinker_(picture.Width() * kTwinDetail, picture.Height() * kTwinDetail, -1, picture.Width(),
                picture.Height(), [this](int y, const uint8_t* back) {
                    for (int x = 0; x < p_.Width(); ++x) {
                        const uint8_t* t = back + static_cast<size_t>(x) * 4;
                        const bool opaque = p_.Opaque(x, y);
                        if (opaque != (t[3] != 0)) {
                            ++disagree_;
                            continue;
                        }
                        if (!opaque) continue;
                        const uint32_t c = p_.Row(y)[x];
                        difference_ += std::abs(int((c >> 16) & 255) - t[0]) +
                                       std::abs(int((c >> 8) & 255) - t[1]) +
                                       std::abs(int(c & 255) - t[2]);
                        ++both_;
                    }
                    ++rows_;
                }) {}

void TwinMatcher::Add(const uint8_t* rgba) { shrinker_.Add(rgba); }

bool TwinMatcher::Matches() const {
    const int w = p_.Width(), h = p_.Height();
    return !p_.Empty() && rows_ == h &&
           disagree_ * 100 <= uint64_t(w) * h * kMatchHoleDisagreement &&
           difference_ <= both_ * 3 * kMatchMeanDifference;
}

bool TwinMatches(const uint8_t* rgba, int width, int height, const Picture& picture) {
    const int w = picture.Width(), h = picture.Height();
    if (!rgba || picture.Empty() || width != w * kTwinDetail || height != h * kTwinDetail)
        return false;
    TwinMatcher m(picture);
    for (int y = 0; y < height; ++y) m.Add(rgba + static_cast<size_t>(y) * width * 4);
    return m.Matches();
}

}  // namespace hg
