// The smooth scaler on small pictures: exact at ratio 1, no bleeding at the edges, no seams
// between areas scaled apart, and smooth in between.
#include "display/scaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace hg {
namespace {

struct Small {
    int w, h;
    std::vector<uint32_t> px;
    Small(int width, int height) : w(width), h(height), px(static_cast<size_t>(w) * h) {}
    std::vector<uint32_t> Scaled(int dw, int dh) const {
        std::vector<uint32_t> out(static_cast<size_t>(dw) * dh, 0xDEADBEEF);
        Scaler(w, h, dw, dh).Scale(px.data(), out.data(), dw, {0, 0, dw, dh});
        return out;
    }
};

TEST(Scaler, RatioOneIsAnExactCopyWithFullRangeColours) {
    Small s(7, 5);
    for (size_t i = 0; i < s.px.size(); ++i) s.px[i] = static_cast<uint32_t>(i * 193111) & 0xFFFFFF;
    s.px[0] = 0xFFFFFF;
    const auto out = s.Scaled(7, 5);
    for (size_t i = 0; i < s.px.size(); ++i) ASSERT_EQ(out[i], s.px[i]) << i;
}

// A picture of black with a white frame of one pixel, at the ratios of 1024, 1440 and 2880
// screens: the outermost destination pixels are pure white (nothing comes in from beyond the
// edge), the inside is pure black, and between them the values only fall.
TEST(Scaler, EdgesStayCleanAndAreasJoinWithoutSeamsAtEveryRatio) {
    Small s(20, 15);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            s.px[y * s.w + x] = (x == 0 || y == 0 || x == s.w - 1 || y == s.h - 1) ? 0xFFFFFF : 0;
    for (double ratio : {1.28, 1.8, 3.6}) {
        const int dw = static_cast<int>(s.w * ratio), dh = static_cast<int>(s.h * ratio);
        const auto whole = s.Scaled(dw, dh);
        for (int y = 0; y < dh; ++y) {
            ASSERT_EQ(whole[y * dw], 0xFFFFFFu) << ratio << " left edge row " << y;
            ASSERT_EQ(whole[y * dw + dw - 1], 0xFFFFFFu) << ratio << " right edge row " << y;
        }
        for (int x = 0; x < dw; ++x) ASSERT_EQ(whole[x], 0xFFFFFFu) << ratio << " top " << x;
        EXPECT_EQ(whole[(dh / 2) * dw + dw / 2], 0u) << ratio;
        for (int x = 1; x < dw / 2; ++x)
            ASSERT_LE(whole[(dh / 2) * dw + x] & 0xFF, whole[(dh / 2) * dw + x - 1] & 0xFF)
                << ratio << " falls smoothly from the edge, column " << x;
        // Scaled in uneven pieces, the picture is the same as scaled whole.
        Scaler scaler(s.w, s.h, dw, dh);
        std::vector<uint32_t> pieces(whole.size(), 0xDEADBEEF);
        for (const Area& a :
             {Area{0, 0, 7, dh}, Area{7, 0, dw, 5}, Area{7, 5, 13, dh}, Area{13, 5, dw, dh}})
            scaler.Scale(s.px.data(), pieces.data(), dw, a);
        ASSERT_EQ(pieces, whole) << ratio;
        // What a changed source pixel affects is all that differs when it changes.
        Small t = s;
        t.px[6 * s.w + 9] = 0xFF0000;
        const auto changed = t.Scaled(dw, dh);
        const Area hit = scaler.Affected({9, 6, 10, 7});
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x) {
                const bool inside =
                    x >= hit.left && x < hit.right && y >= hit.top && y < hit.bottom;
                ASSERT_TRUE(inside || changed[y * dw + x] == whole[y * dw + x])
                    << ratio << " changed outside the affected area at " << x << "," << y;
            }
    }
}

// Every destination pixel is the two-tap blend, rounded down, of the pixel-centre sample
// positions: sideways between the two nearest source columns, then down between two such rows.
// Random colours, odd sizes and areas starting at an odd and an even column keep every lane and
// every leftover column of each path this processor runs honest, shrinking as well as growing.
TEST(Scaler, EveryPixelIsTheTwoTapBlendOfItsNeighbours) {
    Small s(23, 11);
    uint32_t seed = 12345;
    for (auto& p : s.px) p = ((seed = seed * 1103515245 + 12345) >> 8) & 0xFFFFFF;
    auto tap = [](int d, int source, int dest, int& i, int& n, uint32_t& w) {
        const int64_t pos = std::max<int64_t>(
            0, ((2 * int64_t{d} + 1) * source - dest) * 256 / (2 * int64_t{dest}));
        i = static_cast<int>(pos >> 8), w = static_cast<uint32_t>(pos & 255);
        if (i >= source - 1) i = source - 1, w = 0;
        n = w ? i + 1 : i;
    };
    auto blend = [](uint32_t a, uint32_t b, uint32_t w) {
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8)
            out |= ((((a >> shift) & 255) * (256 - w) + ((b >> shift) & 255) * w) >> 8) << shift;
        return out;
    };
    using Path = Scaler::Path;
    for (Path path : {Path::Plain, Path::Sse2, Path::Ssse3, Path::Avx2}) {
        if (!Scaler::Runs(path)) continue;
        for (auto [dw, dh] : {std::pair{41, 20}, {83, 39}, {17, 9}}) {
            Scaler scaler(s.w, s.h, dw, dh);
            EXPECT_TRUE(Scaler::Runs(scaler.InUse()));
            EXPECT_GE(scaler.InUse(), path) << "the fastest path is the one taken";
            scaler.Use(path);
            for (const Area& area : {Area{3, 1, dw, dh}, Area{2, 0, dw - 1, dh - 2}}) {
                std::vector<uint32_t> out(static_cast<size_t>(dw) * dh, 0xDEADBEEF);
                scaler.Scale(s.px.data(), out.data(), dw, area);
                for (int y = area.top; y < area.bottom; ++y) {
                    int yi, yn, xi, xn;
                    uint32_t yw, xw;
                    tap(y, s.h, dh, yi, yn, yw);
                    for (int x = area.left; x < area.right; ++x) {
                        tap(x, s.w, dw, xi, xn, xw);
                        auto at = [&](int row, int col) { return s.px[row * s.w + col]; };
                        const uint32_t want = blend(blend(at(yi, xi), at(yi, xn), xw),
                                                    blend(at(yn, xi), at(yn, xn), xw), yw);
                        ASSERT_EQ(out[y * dw + x], want) << "path " << static_cast<int>(path)
                                                         << ", " << dw << "x" << dh << " at " << x
                                                         << "," << y << " from " << area.left;
                    }
                }
                EXPECT_EQ(out[0], 0xDEADBEEFu) << "outside the area stays untouched";
            }
        }
    }
}

}  // namespace
}  // namespace hg
