#include "display/retained_frame.h"

#include <algorithm>

namespace hg {

namespace {

constexpr Area kScreen{0, 0, Compositor::kWidth, Compositor::kHeight};
// Two rectangles whose common one wastes fewer pixels than this are not worth keeping apart:
// each area shown has a fixed cost of its own.
constexpr int64_t kJoinSlack = 48 * 48;

int64_t Waste(const Area& a, const Area& b) {
    return a.Union(b).Size() - a.Size() - b.Size() + a.Intersect(b).Size();
}

}  // namespace

bool DrawOp::SameAs(const DrawOp& o) const {
    if (kind != o.kind) return false;
    switch (kind) {
        case Kind::Clear:
            return colour == o.colour;
        case Kind::Picture:
            return picture == o.picture && x == o.x && y == o.y;
        case Kind::Text:
            return x == o.x && y == o.y && colour == o.colour && font == o.font && text == o.text &&
                   bounds == o.bounds;
    }
    return false;
}

void RetainedFrame::Add(DrawOp op) {
    op.bounds = op.bounds.Intersect(kScreen);
    current_.push_back(std::move(op));
}

std::vector<Area> RetainedFrame::Finish() {
    std::vector<Area> changed =
        havePrevious_ ? Between(previous_, current_) : std::vector<Area>{kScreen};
    before_.clear();
    if (havePrevious_) before_.swap(previous_);
    previous_.swap(current_);
    current_.clear();
    havePrevious_ = true;
    return changed;
}

std::vector<Area> RetainedFrame::Between(const std::vector<DrawOp>& from,
                                         const std::vector<DrawOp>& to) {
    std::vector<Area> changed;
    const size_t n = from.size(), m = to.size();
    if (n > kMaxCompared || m > kMaxCompared) {
        changed.push_back(kScreen);
    } else {
        // The longest common subsequence of the two lists: a pixel that no other drawing of
        // either frame covers sees the same drawings in the same order, so it is unchanged.
        std::vector<uint16_t> len((n + 1) * (m + 1), 0);
        auto at = [&](size_t i, size_t j) -> uint16_t& { return len[i * (m + 1) + j]; };
        for (size_t i = n; i-- > 0;)
            for (size_t j = m; j-- > 0;)
                at(i, j) = from[i].SameAs(to[j]) ? static_cast<uint16_t>(at(i + 1, j + 1) + 1)
                                                 : std::max(at(i + 1, j), at(i, j + 1));
        // Between two matched drawings, what the one list draws there and the other instead.
        size_t gapI = 0, gapJ = 0;
        auto closeGap = [&](size_t i, size_t j) {
            Replaced(from, gapI, i, to, gapJ, j, changed);
            gapI = i + 1, gapJ = j + 1;
        };
        size_t i = 0, j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && from[i].SameAs(to[j])) {
                closeGap(i, j);
                ++i, ++j;
            } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
                ++i;
            } else {
                ++j;
            }
        }
        closeGap(n, m);
    }
    auto merged = [](std::vector<Area> areas) {
        std::erase_if(areas, [](const Area& a) { return a.Empty(); });
        return MergeAreas(std::move(areas));
    };
    // A surface stepping inside what changes anyway (the flames under a surround style that
    // rotates in) is not measured: at a fine detail that would make a copy of its frame before
    // under the new cover, some 40 ms at 4K, only to find what is composed whole anyway.
    std::vector<Area> areas = merged(changed);
    bool measured = false;
    for (const auto& [a, b] : inPlace_) {
        const Area& bounds = b->bounds;
        if (std::any_of(areas.begin(), areas.end(),
                        [&](const Area& c) { return c.Intersect(bounds) == bounds; }))
            continue;
        for (const Area& d : Differences(a->picture, b->picture)) {
            const int64_t l = int64_t{b->x} + d.left, t = int64_t{b->y} + d.top;
            const int64_t r = int64_t{b->x} + d.right, bt = int64_t{b->y} + d.bottom;
            auto fit = [](int64_t v) {
                return static_cast<int>(std::clamp<int64_t>(v, -1, 1 << 20));
            };
            changed.push_back(Area{fit(l), fit(t), fit(r), fit(bt)}.Intersect(bounds));
        }
        measured = true;
    }
    inPlace_.clear();
    return measured ? merged(std::move(changed)) : areas;
}

// Drawings from[i0, i1) gave way to to[j0, j1). A surface that only changed its frame in place
// (the flame stepping) changes only where its two frames differ (measured by Between, into
// inPlace_); anything else changes all it covers, in both frames. Two surfaces' pictures of one
// size in one place (two surround styles) are not compared: they differ nearly everywhere, and
// at a fine detail comparing them would make copies of both.
void RetainedFrame::Replaced(const std::vector<DrawOp>& from, size_t i0, size_t i1,
                             const std::vector<DrawOp>& to, size_t j0, size_t j1,
                             std::vector<Area>& changed) {
    bool inPlace = i1 - i0 == j1 - j0;
    for (size_t k = 0; inPlace && k < i1 - i0; ++k) {
        const DrawOp& a = from[i0 + k];
        const DrawOp& b = to[j0 + k];
        inPlace = a.kind == DrawOp::Kind::Picture && b.kind == DrawOp::Kind::Picture &&
                  a.surface == b.surface && a.x == b.x && a.y == b.y &&
                  a.picture->Width() == b.picture->Width() &&
                  a.picture->Height() == b.picture->Height();
    }
    for (size_t k = 0; k < std::max(i1 - i0, j1 - j0); ++k) {
        if (!inPlace) {
            if (i0 + k < i1) changed.push_back(from[i0 + k].bounds);
            if (j0 + k < j1) changed.push_back(to[j0 + k].bounds);
            continue;
        }
        // Measured once all that changes whole is known.
        inPlace_.push_back({&from[i0 + k], &to[j0 + k]});
    }
}

const std::vector<Area>& RetainedFrame::Differences(const std::shared_ptr<const Picture>& a,
                                                    const std::shared_ptr<const Picture>& b) {
    for (const Difference& d : differences_)
        if ((d.a == a && d.b == b) || (d.a == b && d.b == a)) return d.areas;
    if (differences_.size() >= kMaxDifferences) differences_.erase(differences_.begin());
    differences_.push_back({a, b, measure_ ? measure_(*a, *b) : PictureDifference(*a, *b)});
    return differences_.back().areas;
}

std::vector<Area> PictureDifference(const Picture& a, const Picture& b) {
    const int w = std::min(a.Width(), b.Width()), h = std::min(a.Height(), b.Height());
    // A picture held only at the detail has let its own pixels go: all of it may differ.
    if (!a.HasPixels() || !b.HasPixels()) return {Area{0, 0, w, h}};
    constexpr int kTile = 16;
    std::vector<Area> runs;
    std::vector<uint8_t> opaqueA(static_cast<size_t>(w)), opaqueB(static_cast<size_t>(w));
    std::vector<uint8_t> tiles(static_cast<size_t>((w + kTile - 1) / kTile));
    auto mask = [w](const Picture& p, int y, std::vector<uint8_t>& out) {
        std::fill(out.begin(), out.end(), 0);
        for (const Picture::Run* r = p.RunsBegin(y); r != p.RunsEnd(y); ++r)
            std::fill_n(out.begin() + r->x, std::min<int>(r->length, w - r->x), 1);
    };
    for (int top = 0; top < h; top += kTile) {
        std::fill(tiles.begin(), tiles.end(), 0);
        for (int y = top; y < std::min(h, top + kTile); ++y) {
            mask(a, y, opaqueA);
            mask(b, y, opaqueB);
            const uint32_t* pa = a.Row(y);
            const uint32_t* pb = b.Row(y);
            for (int x = 0; x < w; ++x)
                if (opaqueA[x] != opaqueB[x] || (opaqueA[x] && pa[x] != pb[x]))
                    tiles[static_cast<size_t>(x / kTile)] = 1;
        }
        AddTileRuns(tiles, kTile, top, w, h, runs);
    }
    return StackRuns(std::move(runs));
}

void AddTileRuns(const std::vector<uint8_t>& tiles, int tile, int top, int width, int height,
                 std::vector<Area>& runs) {
    for (size_t t = 0; t < tiles.size();) {
        if (!tiles[t]) {
            ++t;
            continue;
        }
        size_t e = t;
        while (e < tiles.size() && tiles[e]) ++e;
        runs.push_back({static_cast<int>(t) * tile, top,
                        std::min(width, static_cast<int>(e) * tile), std::min(height, top + tile)});
        t = e;
    }
}

std::vector<Area> StackRuns(std::vector<Area> runs) {
    std::vector<Area> stacked;
    for (const Area& c : runs) {
        auto above = std::find_if(stacked.begin(), stacked.end(), [&](const Area& s) {
            return s.left == c.left && s.right == c.right && s.bottom == c.top;
        });
        if (above != stacked.end())
            above->bottom = c.bottom;
        else
            stacked.push_back(c);
    }
    return stacked;
}

std::vector<Area> MergeAreas(std::vector<Area> areas, size_t limit) {
    limit = std::max<size_t>(1, limit);
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = 0; i < areas.size() && !joined; ++i)
            for (size_t j = i + 1; j < areas.size() && !joined; ++j)
                if (!areas[i].Intersect(areas[j]).Empty() ||
                    Waste(areas[i], areas[j]) <= kJoinSlack) {
                    areas[i] = areas[i].Union(areas[j]);
                    areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
                    joined = true;
                }
    }
    while (areas.size() > limit) {
        size_t bi = 0, bj = 1;
        int64_t best = Waste(areas[0], areas[1]);
        for (size_t i = 0; i < areas.size(); ++i)
            for (size_t j = i + 1; j < areas.size(); ++j)
                if (int64_t w = Waste(areas[i], areas[j]); w < best) best = w, bi = i, bj = j;
        areas[bi] = areas[bi].Union(areas[bj]);
        areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(bj));
    }
    return areas;
}

}  // namespace hg
