// The compositor pixel by pixel: colour key, clipping at each edge, frames and their pace, and
// pictures that are missing or broken.
#include "display/compositor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "media/byte_reader.h"
#include "scene/controls.h"

namespace hg {
namespace {

constexpr uint32_t kBackground = 0x123456;

// A picture from rows of letters; '.' is magenta, the key of every scene picture.
std::shared_ptr<const Picture> Art(const std::vector<std::string>& rows,
                                   const std::map<char, Colour>& colours, int32_t key = -1) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    std::vector<uint8_t> rgba;
    for (const auto& row : rows)
        for (char c : row) {
            Colour col = c == '.' ? Rgb(255, 0, 255) : colours.at(c);
            rgba.insert(rgba.end(), {uint8_t(col), uint8_t(col >> 8), uint8_t(col >> 16), 255});
        }
    return Picture::FromRgba(rgba.data(), w, h, KeyColour(key));
}

struct Fixture {
    uint32_t now = 0;
    Compositor c{[this] { return now; }};
    Fixture() { Fill(); }
    void Fill() { std::fill_n(c.BackBuffer(), 800 * 600, kBackground); }
    int32_t Surface(std::shared_ptr<const Picture> p, int x, int y) {
        int32_t s = c.NewSurface();
        c.SetFramePicture(s, 1, std::move(p));
        c.SetX(s, x);
        c.SetY(s, y);
        return s;
    }
    size_t Changed() const {
        size_t n = 0;
        for (int i = 0; i < 800 * 600; ++i) n += c.BackBuffer()[i] != kBackground;
        return n;
    }
};

// The obvious per-pixel blit, to compare the run-wise one against.
std::vector<uint32_t> Reference(const std::vector<std::string>& rows, uint32_t ink, int x0,
                                int y0) {
    std::vector<uint32_t> out(800 * 600, kBackground);
    for (int py = 0; py < static_cast<int>(rows.size()); ++py)
        for (int px = 0; px < static_cast<int>(rows[py].size()); ++px) {
            const int64_t x = int64_t{x0} + px, y = int64_t{y0} + py;
            if (rows[py][px] != '.' && x >= 0 && x < 800 && y >= 0 && y < 600)
                out[y * 800 + x] = ink;
        }
    return out;
}

TEST(Compositor, KeyLeavesOutMagentaOnlyAndDarkArtStaysSolid) {
    Fixture f;
    // Black, a near-black and a near-magenta must all be drawn, each as its own colour.
    auto p = Art({"kd.n"}, {{'k', Rgb(0, 0, 0)}, {'d', Rgb(3, 2, 5)}, {'n', Rgb(250, 1, 252)}});
    f.c.Draw(f.Surface(p, 10, 20));
    EXPECT_EQ(f.c.Pixel(10, 20), 0x000000u);
    EXPECT_EQ(f.c.Pixel(11, 20), 0x030205u);
    EXPECT_EQ(f.c.Pixel(12, 20), kBackground) << "magenta must be transparent";
    EXPECT_EQ(f.c.Pixel(13, 20), 0xFA01FCu);
    EXPECT_EQ(f.Changed(), 3u);
}

TEST(Compositor, OtherKeyValuesAndAlpha) {
    Fixture f;
    const std::map<char, Colour> ink{{'k', Rgb(0, 0, 0)}, {'r', Rgb(255, 0, 0)}};
    // A key that is a colour makes that colour transparent and magenta solid.
    f.c.Draw(f.Surface(Art({"k.r"}, ink, static_cast<int32_t>(Rgb(0, 0, 0))), 0, 0));
    EXPECT_EQ(f.c.Pixel(0, 0), kBackground);
    EXPECT_EQ(f.c.Pixel(1, 0), ToPixel(Rgb(255, 0, 255)));
    EXPECT_EQ(f.c.Pixel(2, 0), 0xFF0000u);
    // Another negative key means no key at all.
    f.c.Draw(f.Surface(Art({"k.r"}, ink, -7), 0, 1));
    EXPECT_EQ(f.c.Pixel(1, 1), ToPixel(Rgb(255, 0, 255)));
    // A pixel more than half transparent is left out whatever its colour.
    const uint8_t rgba[] = {10, 200, 30, 127, 10, 200, 30, 128};
    f.c.Draw(f.Surface(Picture::FromRgba(rgba, 2, 1, KeyColour(-1)), 0, 2));
    EXPECT_EQ(f.c.Pixel(0, 2), kBackground);
    EXPECT_EQ(f.c.Pixel(1, 2), ToPixel(Rgb(10, 200, 30)));
}

TEST(Compositor, ClearAndColourConversion) {
    Fixture f;
    f.c.Clear(Rgb(255, 255, 0));
    EXPECT_EQ(f.c.Pixel(0, 0), 0xFFFF00u);
    EXPECT_EQ(f.c.Pixel(799, 599), 0xFFFF00u);
    EXPECT_EQ(ToPixel(Rgb(0, 0, 255)), 0x0000FFu);
    EXPECT_EQ(ToPixel(Rgb(8, 4, 9)), 0x080409u);
}

TEST(Compositor, ClipsAtEveryEdgeExactlyAsAPixelByPixelCopy) {
    // Holes at the corners and inside, so runs start and end at every clip line.
    const std::vector<std::string> rows = {
        ".aaaa.a", "aa.aaaa", "aaaaaa.", "a.a.a.a", "aaaaaaa",
    };
    const auto p = Art(rows, {{'a', Rgb(0, 255, 0)}});
    const int xs[] = {-8, -7, -6, -3, -1, 0, 1, 396, 792, 793, 795, 799, 800, 801};
    const int ys[] = {-6, -5, -4, -2, 0, 1, 300, 594, 595, 597, 599, 600, 601};
    for (int x : xs)
        for (int y : ys) {
            Fixture f;
            f.c.Draw(f.Surface(p, x, y));
            const auto want = Reference(rows, 0x00FF00, x, y);
            ASSERT_TRUE(std::equal(want.begin(), want.end(), f.c.BackBuffer()))
                << "picture at " << x << ", " << y;
        }
}

TEST(Compositor, SurfaceWhollyOffScreenOrAtExtremePositionsDrawsNothing) {
    const auto p = Art({"aaa", "aaa"}, {{'a', Rgb(9, 9, 9)}});
    const std::pair<int32_t, int32_t> places[] = {
        {-3, 0},        {800, 0},       {0, -2},
        {0, 600},       {INT32_MIN, 0}, {INT32_MAX, 0},
        {0, INT32_MIN}, {0, INT32_MAX}, {INT32_MAX, INT32_MAX},
        {-3, -2},
    };
    for (auto [x, y] : places) {
        Fixture f;
        f.c.Draw(f.Surface(p, x, y));
        EXPECT_EQ(f.Changed(), 0u) << x << ", " << y;
    }
    // Never given a place: the top-left corner.
    Fixture f;
    int32_t s = f.c.NewSurface();
    f.c.SetFramePicture(s, 1, p);
    f.c.Draw(s);
    EXPECT_NE(f.c.Pixel(0, 0), kBackground);
    EXPECT_EQ(f.Changed(), 6u);
}

struct Strip : Fixture {
    int32_t s = 0;
    // Frame k is a single pixel at (5, 5), of blue 8 * k.
    explicit Strip(int frames) {
        s = c.NewSurface();
        for (int k = 1; k <= frames; ++k)
            c.SetFramePicture(s, k, Art({"x"}, {{'x', Rgb(0, 0, k * 8)}}));
        c.SetX(s, 5);
        c.SetY(s, 5);
    }
    int Shown() {
        c.Draw(s);
        return static_cast<int>(c.Pixel(5, 5) / 8);
    }
};

TEST(Compositor, FramesStepByThemselvesAtTheirPaceAndWrap) {
    Strip f(3);
    f.c.SetFrame(f.s, 1);
    f.c.SetSpeed(f.s, 100);
    EXPECT_EQ(f.Shown(), 1);
    f.now = 99;
    EXPECT_EQ(f.Shown(), 1);
    f.now = 100;
    EXPECT_EQ(f.Shown(), 2);
    f.now = 250;
    EXPECT_EQ(f.Shown(), 3);
    f.now = 300;
    EXPECT_EQ(f.Shown(), 1) << "after the last frame comes the first";
    // The pace does not depend on how often frames are drawn.
    f.now = 300 + 100 * 3 * 1000 + 100;
    EXPECT_EQ(f.Shown(), 2);
    EXPECT_EQ(f.c.CurrentFrame(f.s), 2);
    // Slower pace from now on.
    f.c.SetSpeed(f.s, 250);
    f.now += 249;
    EXPECT_EQ(f.Shown(), 2);
    f.now += 1;
    EXPECT_EQ(f.Shown(), 3);
}

// The question asked after every frame (whether to make the next one ahead) agrees with the
// making: asked wrongly, a frame is either made late, in its own step, or a call is wasted.
TEST(Compositor, TheNextFrameToMakeIsTheOneNotYetHeldAtTheDetail) {
    Strip f(3);
    EXPECT_FALSE(f.c.NextFrameToMake()) << "at 1 an uncovered frame is drawn as it is";
    f.c.UseBackBuffer(nullptr, 2);
    f.c.Draw(f.s);
    ASSERT_TRUE(f.c.NextFrameToMake());
    EXPECT_TRUE(f.c.PrepareNextFrame());
    EXPECT_FALSE(f.c.NextFrameToMake());
    EXPECT_FALSE(f.c.PrepareNextFrame());
    f.now = 100;
    f.c.Draw(f.s);
    EXPECT_TRUE(f.c.NextFrameToMake()) << "frame 3 is next and not made";
    EXPECT_TRUE(f.c.PrepareNextFrame());
    f.now = 200;
    f.c.Draw(f.s);
    EXPECT_FALSE(f.c.NextFrameToMake()) << "frame 1 was made for the first draw";
}

// A surface to be drawn soon is made at the detail at idle moments and held through the frames
// before it shows (which let go of whatever they do not draw), and no longer than the wish.
TEST(Compositor, ASurfaceToBeDrawnSoonIsMadeAheadAndHeldUntilDrawnOrStale) {
    Fixture f;
    f.c.UseBackBuffer(nullptr, 2);
    const int32_t a = f.Surface(Art({"xx", "xx"}, {{'x', Rgb(9, 9, 9)}}), 0, 0);
    const int32_t b = f.Surface(Art({"yy"}, {{'y', Rgb(7, 7, 7)}}), 10, 0);
    f.c.DrawSoon(a);
    ASSERT_TRUE(f.c.SoonToMake());
    EXPECT_TRUE(f.c.PrepareSoon());
    EXPECT_FALSE(f.c.SoonToMake());
    const size_t made = f.c.DetailBytes();
    ASSERT_GT(made, 0u);
    f.c.LetGoOfAllBut({});
    EXPECT_EQ(f.c.DetailBytes(), made) << "let go before it was drawn";
    f.c.Showing(a);  // drawn: the wish is over, and what is not drawn goes as before
    f.c.LetGoOfAllBut({});
    EXPECT_EQ(f.c.DetailBytes(), 0u);

    f.c.DrawSoon(b);
    EXPECT_TRUE(f.c.PrepareSoon());
    f.now += Compositor::kSoonMs;
    EXPECT_FALSE(f.c.SoonToMake());
    f.c.LetGoOfAllBut({});
    EXPECT_EQ(f.c.DetailBytes(), 0u) << "held past its wish";
}

// Of the pictures to be drawn again around a rotation, those of a surface that goes with it
// (the style rotating away) are not made ahead.
TEST(Compositor, ASurfaceThatGoesSoonIsNotMadeAhead) {
    Fixture f;
    f.c.UseBackBuffer(nullptr, 2);
    const auto stays = Art({"xx"}, {{'x', Rgb(9, 9, 9)}}), goes = Art({"yy"}, {{'y', Rgb(7, 7, 7)}});
    f.Surface(stays, 0, 0);
    const int32_t going = f.Surface(goes, 10, 0);
    f.c.MakeAhead({stays, goes});
    f.c.NotAhead(going);
    EXPECT_TRUE(f.c.PrepareSoon());
    EXPECT_FALSE(f.c.SoonToMake()) << "the surface that goes is still to be made";
}

TEST(Compositor, FrameStartsOverOnRequestAndOddSpeedsGetTheDefault) {
    Strip f(3);
    f.c.SetSpeed(f.s, 0);
    f.now = Compositor::kDefaultFrameMs;
    EXPECT_EQ(f.Shown(), 2);
    f.c.SetSpeed(f.s, -40);
    f.now += Compositor::kDefaultFrameMs;
    EXPECT_EQ(f.Shown(), 3);
    // Setting the frame shows it at once and gives it a whole period.
    f.now += 50;
    f.c.SetFrame(f.s, 1);
    f.now += 99;
    EXPECT_EQ(f.Shown(), 1);
    // A frame number beyond the strip wraps; below 1 is ignored.
    f.c.SetFrame(f.s, 5);
    EXPECT_EQ(f.Shown(), 2);
    f.c.SetFrame(f.s, 0);
    EXPECT_EQ(f.Shown(), 2);
    // The millisecond counter wraps around 2^32 without a hitch.
    f.now = 0xFFFFFFF0u;
    f.c.SetFrame(f.s, 1);
    f.now = 0x00000054u;  // 100 ms later
    EXPECT_EQ(f.Shown(), 2);
    // One frame never steps.
    Strip one(1);
    one.now = 1000000;
    EXPECT_EQ(one.Shown(), 1);
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("hg_compositor_" + std::to_string(getpid()) + "_" + name)).string();
}

// A 24-bit bottom-up Windows bitmap, written here so the test owns its bytes.
std::string WriteBmp(const std::string& name, const std::vector<std::vector<Colour>>& rows) {
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    const int stride = (w * 3 + 3) & ~3;
    std::vector<uint8_t> b(54 + stride * h, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Colour c = rows[h - 1 - y][x];
            uint8_t* px = &b[54 + y * stride + x * 3];
            px[0] = uint8_t(c >> 16);
            px[1] = uint8_t(c >> 8);
            px[2] = uint8_t(c);
        }
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(b.data()), b.size());
    return path;
}

// A 4-bit bottom-up Windows bitmap, red where `red` says and magenta elsewhere, cut to `keep`
// bytes when that is given: a header may promise more than the file holds. Red is index 0, so
// the bytes a decoder makes up for a short file would show as red.
std::string WriteBmp4(const std::string& name, int w, int h, bool (*red)(int x, int y),
                      size_t keep = SIZE_MAX) {
    const int stride = (w * 4 + 31) / 32 * 4;
    const int offset = 54 + 16 * 4;
    std::vector<uint8_t> b(offset + size_t(stride) * h, 0x11);  // magenta pixel pairs
    std::fill(b.begin(), b.begin() + offset, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    b[26] = 1;
    b[28] = 4;
    put32(46, 16);
    put32(54, 0xFF0000);  // blue, green, red: red
    put32(58, 0xFF00FF);  // magenta
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (red(x, h - 1 - y)) b[offset + size_t(y) * stride + x / 2] &= x % 2 ? 0xF0 : 0x0F;
    b.resize(std::min(b.size(), keep));
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(b.data()), b.size());
    return path;
}

TEST(Compositor, PicturesAreBoundedToTheScreenAndToWhatTheirBytesHold) {
    // A picture larger than the screen keeps its top-left 800 x 600.
    auto quarter = [](int x, int y) { return x < 500 || y < 350; };
    const std::string big = WriteBmp4("big.bmp", 1000, 700, quarter);
    Fixture f;
    int32_t s = f.c.NewSurface();
    f.c.LoadFrame(s, 1, big, -1);
    f.c.SetX(s, -300);
    f.c.SetY(s, -200);
    f.c.Draw(s);
    EXPECT_EQ(f.c.Pixel(0, 0), 0xFF0000u) << "the top rows were kept";
    EXPECT_EQ(f.c.Pixel(499, 0), 0xFF0000u);
    EXPECT_EQ(f.c.Pixel(500, 399), kBackground) << "columns beyond 800 were dropped";
    EXPECT_EQ(f.c.Pixel(100, 400), kBackground) << "rows beyond 600 were dropped";
    EXPECT_LE(f.c.PictureBytes(), 4u * 800 * 600 + 600 * 8 + 4096);

    // A header that claims 4096 x 4096 over 200 bytes, and a source beyond 4096 pixels: refused.
    auto all = [](int, int) { return true; };
    const std::string liar = WriteBmp4("liar.bmp", 4096, 4096, all, 200);
    const std::string wide = WriteBmp4("wide.bmp", 4097, 1, all);
    for (const std::string& path : {liar, wide}) {
        f.Fill();
        int32_t t = f.c.NewSurface();
        f.c.LoadFrame(t, 1, path, -1);
        f.c.Draw(t);
        EXPECT_EQ(f.Changed(), 0u) << path;
    }
    // A short last row without its padding is still whole.
    const std::string unpadded = WriteBmp4("unpadded.bmp", 3, 2, all, 54 + 64 + 4 + 2);
    f.Fill();
    int32_t u = f.c.NewSurface();
    f.c.LoadFrame(u, 1, unpadded, -1);
    f.c.Draw(u);
    EXPECT_EQ(f.Changed(), 6u);
    for (const std::string& path : {big, liar, wide, unpadded}) std::remove(path.c_str());
}

TEST(Compositor, PicturesBeyondTheBudgetAreLeftOut) {
    auto stripes = [](int x, int) { return x % 2 == 0; };  // a run for every other pixel
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i)
        paths.push_back(WriteBmp4("budget" + std::to_string(i) + ".bmp", 800, 600, stripes));
    const size_t one = DecodePicture(*ReadFileBytes(paths[0], SIZE_MAX), -1)->Bytes();
    ASSERT_GT(one, 4u * 800 * 600) << "pixels and runs";
    uint32_t now = 0;
    Compositor c([&now] { return now; }, 2 * one + one / 2);
    std::vector<size_t> drawn;
    for (const std::string& path : paths) {
        std::fill_n(c.BackBuffer(), 800 * 600, kBackground);
        int32_t s = c.NewSurface();
        c.LoadFrame(s, 1, path, -1);
        c.Draw(s);
        drawn.push_back(std::count(c.BackBuffer(), c.BackBuffer() + 800 * 600, 0xFF0000u));
    }
    EXPECT_EQ(drawn, (std::vector<size_t>{400 * 600, 400 * 600, 0}));
    EXPECT_LE(c.DecodedBytes(), 2 * one + one / 2);
    for (const std::string& path : paths) std::remove(path.c_str());
}

TEST(Compositor, LoadsBitmapFilesTheRightWayUpAndSharesRepeatedOnes) {
    const Colour m = Rgb(255, 0, 255), r = Rgb(255, 0, 0), b = Rgb(0, 0, 255);
    const std::string path = WriteBmp("two.bmp", {{r, m, r}, {b, b, m}});
    Fixture f;
    int32_t s1 = f.c.NewSurface();
    f.c.LoadFrame(s1, 1, path, -1);
    f.c.SetX(s1, -1);
    f.c.SetY(s1, 598);
    f.c.Draw(s1);
    EXPECT_EQ(f.c.Pixel(0, 598), kBackground);
    EXPECT_EQ(f.c.Pixel(1, 598), 0xFF0000u);
    EXPECT_EQ(f.c.Pixel(0, 599), 0x0000FFu);
    EXPECT_EQ(f.c.Pixel(1, 599), kBackground);
    EXPECT_EQ(f.Changed(), 2u);
    const size_t once = f.c.PictureBytes();
    int32_t s2 = f.c.NewSurface();
    f.c.LoadFrame(s2, 1, path, -1);
    EXPECT_EQ(f.c.PictureBytes(), once) << "the same file is held once";
    std::remove(path.c_str());
}

TEST(Compositor, MissingOrBrokenPicturesAndBadNumbersAreHarmless) {
    const std::string broken = TempPath("broken.bmp");
    std::ofstream(broken, std::ios::binary) << "BM this is not a bitmap at all";
    const std::string good = WriteBmp("good.bmp", {{Rgb(0, 255, 0)}});
    Fixture f;
    int32_t s = f.c.NewSurface();
    f.c.LoadFrame(s, 1, TempPath("no-such-file.bmp"), -1);
    f.c.LoadFrame(s, 2, broken, -1);
    f.c.LoadFrame(s, 3, good, -1);
    f.c.SetSpeed(s, 10);
    for (uint32_t t = 0; t < 30; t += 10) {
        f.now = t;
        f.Fill();
        f.c.Draw(s);
        EXPECT_EQ(f.Changed(), t == 20 ? 1u : 0u) << "at " << t << " ms";
    }
    // Numbers never handed out, frame numbers out of range: nothing happens.
    for (int32_t bad : {0, -1, 2, 99, INT32_MIN}) {
        f.c.LoadFrame(bad, 1, good, -1);
        f.c.SetX(bad, 1);
        f.c.SetY(bad, 1);
        f.c.SetFrame(bad, 1);
        f.c.SetSpeed(bad, 1);
        f.c.Draw(bad);
        EXPECT_EQ(f.c.CurrentFrame(bad), 0);
    }
    f.c.LoadFrame(s, 0, good, -1);
    f.c.LoadFrame(s, -3, good, -1);
    f.c.LoadFrame(s, INT32_MAX, good, -1);
    EXPECT_LT(f.c.PictureBytes(), 1000u);
    std::remove(broken.c_str());
    std::remove(good.c_str());
}

}  // namespace
}  // namespace hg
