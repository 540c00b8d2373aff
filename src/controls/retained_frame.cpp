#include "controls/retained_frame.h"

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
    std::vector<Area> changed;
    const size_t n = previous_.size(), m = current_.size();
    if (!havePrevious_ || n > kMaxCompared || m > kMaxCompared) {
        changed.push_back(kScreen);
    } else {
        // The longest common subsequence of the two lists: a pixel that no other drawing of
        // either frame covers sees the same drawings in the same order, so it is unchanged.
        std::vector<uint16_t> len((n + 1) * (m + 1), 0);
        auto at = [&](size_t i, size_t j) -> uint16_t& { return len[i * (m + 1) + j]; };
        for (size_t i = n; i-- > 0;)
            for (size_t j = m; j-- > 0;)
                at(i, j) = previous_[i].SameAs(current_[j])
                               ? static_cast<uint16_t>(at(i + 1, j + 1) + 1)
                               : std::max(at(i + 1, j), at(i, j + 1));
        size_t i = 0, j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && previous_[i].SameAs(current_[j])) {
                ++i, ++j;
            } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
                changed.push_back(previous_[i++].bounds);
            } else {
                changed.push_back(current_[j++].bounds);
            }
        }
    }
    previous_.swap(current_);
    current_.clear();
    havePrevious_ = true;
    changed.erase(
        std::remove_if(changed.begin(), changed.end(), [](const Area& a) { return a.Empty(); }),
        changed.end());
    return MergeAreas(std::move(changed));
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
