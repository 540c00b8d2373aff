// The generated pictures: names, sizes, places, transparency and the flame loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>

#include "assetgen/art.h"
#include "assetgen/catalog.h"
#include "assetgen/twin_correction.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

using assetgen::Bytes;

struct Decoded {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> rgb;
    bool magenta(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return p[0] == 255 && p[1] == 0 && p[2] == 255;
    }
    float luminance(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return 0.3f * p[0] + 0.59f * p[1] + 0.11f * p[2];
    }
    long magentaCount() const {
        long n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += magenta(x, y);
        return n;
    }
};

Decoded decode(const Bytes& b) {
    Decoded d;
    uint8_t* px =
        stbi_load_from_memory(b.data(), int(b.size()), &d.width, &d.height, &d.channels, 3);
    if (px) {
        d.rgb.assign(px, px + size_t(d.width) * d.height * 3);
        stbi_image_free(px);
    }
    return d;
}

uint32_t le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

class AssetgenFiles : public ::testing::Test {
  protected:
    // Each picture painted once, on two threads, for the bitmaps and the built-in pictures;
    // not the high-detail twins, which take nine times as long.
    static void SetUpTestSuite() {
        assetgen::PictureCache cache = assetgen::paintPictures(2);
        std::vector<assetgen::OutputJob> bitmaps;
        for (auto& job : assetgen::installJobs(&cache))
            if (job.name.find('/') == std::string::npos) bitmaps.push_back(job);
        for (auto& f : assetgen::makeFiles(bitmaps, 2)) install_[f.name] = std::move(f.bytes);
        for (auto& f : assetgen::resourceFiles(cache)) resources_[f.name] = std::move(f.bytes);
    }
    static Decoded picture(const std::string& name) { return decode(install_.at(name)); }
    static std::map<std::string, Bytes> install_, resources_;
};
std::map<std::string, Bytes> AssetgenFiles::install_, AssetgenFiles::resources_;

TEST_F(AssetgenFiles, WritesExactlyTheFortyOneNamesWithTheirLetterCaseAndTheirTwins) {
    const std::set<std::string> bitmaps = {
        "Stocking.bmp",     "poinr.bmp",         "poinl.bmp",        "bellr.bmp",
        "belll.bmp",        "Calendar.bmp",      "Flame1.bmp",       "Flame2.bmp",
        "Flame3.bmp",       "Flame4.bmp",        "Flame5.bmp",       "Flame6.bmp",
        "Flame7.bmp",       "Flame8.bmp",        "Flame9.bmp",       "Flame10.bmp",
        "Logs.bmp",         "marLeftSide.bmp",   "marRightSide.bmp", "marTopSide.bmp",
        "mar2LeftSide.bmp", "mar2RightSide.bmp", "mar2TopSide.bmp",  "RiverRockL.bmp",
        "RiverRockR.bmp",   "RiverRockT.bmp",    "m-RiverRock.bmp",  "DRiverRockL.bmp",
        "DRiverRockR.bmp",  "DRiverRockT.bmp",   "m-DRiverRock.bmp", "FlatStoneL.bmp",
        "FlatStoneR.bmp",   "FlatStoneT.bmp",    "m-Flatstone.bmp",  "OldRockL.bmp",
        "OldRockR.bmp",     "OldRockT.bmp",      "m-OldRock.bmp",    "AndIronL.bmp",
        "AndIronR.bmp"};
    std::set<std::string> written, expected = bitmaps;
    for (auto& [name, bytes] : install_) written.insert(name);
    EXPECT_EQ(written, bitmaps);
    EXPECT_EQ(install_.size(), 41u);
    // Beside them, the twin of each under HighDetail, with the same stem and letter case.
    for (const std::string& name : bitmaps)
        expected.insert("HighDetail/" + name.substr(0, name.size() - 4) + ".hgtc");
    std::set<std::string> named;
    for (const auto& job : assetgen::installJobs()) named.insert(job.name);
    EXPECT_EQ(named, expected);
}

TEST_F(AssetgenFiles, EveryBitmapIsUncompressed24BitAndDecodesAtItsCatalogueSize) {
    for (const auto& a : assetgen::sceneAssets()) {
        SCOPED_TRACE(a.file);
        const Bytes& b = install_.at(a.file);
        ASSERT_GT(b.size(), 54u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le32(b, 2), b.size());
        EXPECT_EQ(le32(b, 14), 40u);         // BITMAPINFOHEADER
        EXPECT_EQ(b[28] | b[29] << 8, 24);   // bits per pixel
        EXPECT_EQ(le32(b, 30), 0u);          // BI_RGB
        EXPECT_GT(int32_t(le32(b, 22)), 0);  // bottom-up
        Decoded d = decode(b);
        EXPECT_EQ(d.width, a.width);
        EXPECT_EQ(d.height, a.height);
    }
}

TEST_F(AssetgenFiles, EachPictureFitsItsPlaceOnTheScreen) {
    for (const auto& a : assetgen::sceneAssets()) {
        SCOPED_TRACE(a.file);
        EXPECT_LE(a.x + a.width, 805);
        EXPECT_LE(a.y + a.height, 600);
        EXPECT_GT(a.x + a.width, 0);
        EXPECT_LE(a.width * a.height, 800 * 600);
        const std::string& f = a.file;
        bool side = f.find("LeftSide") != std::string::npos ||
                    f.find("RightSide") != std::string::npos ||
                    (f.size() > 5 &&
                     (f.substr(f.size() - 5) == "L.bmp" || f.substr(f.size() - 5) == "R.bmp") &&
                     f.find("AndIron") == std::string::npos);
        if (side) {
            EXPECT_EQ(a.y + a.height, 600) << "sides run down to the bottom edge";
            bool left = f.find("Left") != std::string::npos || f.substr(f.size() - 5) == "L.bmp";
            if (left) {
                EXPECT_LE(a.x, 0);
            } else {
                EXPECT_EQ(a.x + a.width, 800);
            }
        }
        if (f.find("Top") != std::string::npos || f.substr(f.size() - 5) == "T.bmp") {
            EXPECT_EQ(a.width, 800);
        }
    }
    // The flames fill the opening between the widest sides and reach the logs.
    const auto& flame = assetgen::sceneAssets()[6];
    ASSERT_EQ(flame.file, "Flame1.bmp");
    EXPECT_LE(flame.x, 100);
    EXPECT_GE(flame.x + flame.width, 712);
    EXPECT_GE(flame.y + flame.height, 435 + 60);
}

TEST_F(AssetgenFiles, MagentaMarksHolesAndOnlyHoles) {
    // Pictures whose every pixel is stone, brick or paper.
    for (std::string name : {"Flame1.bmp", "Flame6.bmp", "marLeftSide.bmp", "mar2RightSide.bmp",
                             "RiverRockL.bmp", "DRiverRockR.bmp", "FlatStoneL.bmp", "OldRockR.bmp",
                             "m-RiverRock.bmp", "m-Flatstone.bmp"})
        EXPECT_EQ(picture(name).magentaCount(), 0) << name;
    // Shapes on a transparent ground: their corners are holes, their middles are not.
    for (std::string name : {"Stocking.bmp", "poinr.bmp", "poinl.bmp", "bellr.bmp", "belll.bmp",
                             "AndIronL.bmp", "AndIronR.bmp", "Logs.bmp"}) {
        SCOPED_TRACE(name);
        Decoded d = picture(name);
        EXPECT_TRUE(d.magenta(0, 0));
        EXPECT_TRUE(d.magenta(d.width - 1, 0));
        long holes = d.magentaCount(), all = long(d.width) * d.height;
        EXPECT_GT(holes, all / 10);
        EXPECT_LT(holes, all * 9 / 10);
    }
    // Each top is solid along the screen's top edge and open over the fire.
    for (std::string name : {"marTopSide.bmp", "mar2TopSide.bmp", "RiverRockT.bmp",
                             "DRiverRockT.bmp", "FlatStoneT.bmp", "OldRockT.bmp"}) {
        SCOPED_TRACE(name);
        Decoded d = picture(name);
        for (int x = 0; x < d.width; ++x) ASSERT_FALSE(d.magenta(x, 0));
        EXPECT_TRUE(d.magenta(400, d.height - 1));
        EXPECT_FALSE(d.magenta(5, d.height - 1));
        EXPECT_FALSE(d.magenta(795, d.height - 1));
    }
}

TEST(AssetgenCanvas, PaintedMagentaIsNudgedAwayFromTheKey) {
    assetgen::Image img(2, 1);
    img.set(0, 0, {255, 0, 255});
    img.set(1, 0, {300, -5, 400});  // clamps to the key too
    Decoded d = decode(assetgen::encodeBmp24(img));
    EXPECT_EQ(d.magentaCount(), 0);
}

TEST_F(AssetgenFiles, CalendarPageIsLightWhereTheTextsGo) {
    Decoded d = picture("Calendar.bmp");
    struct Box {
        int x0, y0, x1, y1;
    };
    // Month, time of day, weekday, day number.
    for (Box b : {Box{22, 1, 55, 17}, Box{4, 13, 62, 27}, Box{5, 25, 60, 37}, Box{9, 31, 60, 77}}) {
        double sum = 0;
        int n = 0;
        for (int y = b.y0; y < b.y1; ++y)
            for (int x = b.x0; x < b.x1; ++x, ++n) {
                ASSERT_FALSE(d.magenta(x, y));
                sum += d.luminance(x, y);
            }
        EXPECT_GT(sum / n, 200) << "box at " << b.x0 << "," << b.y0;
    }
}

double meanDifference(const Decoded& a, const Decoded& b) {
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / double(a.rgb.size());
}

// How a flame picture reads: its flame pixels (red above 0.55, green above 0.2) in 8-connected
// pieces, the largest being the fire's body and the others what has come loose from it.
struct FlamePieces {
    int width = 0, height = 0;
    std::vector<int> piece;  // by pixel: 0 for no flame, else the piece's number
    std::vector<long> sizes{0};
    int body = 0;
    long flame = 0;
};

FlamePieces flamePieces(const Decoded& d) {
    FlamePieces f;
    f.width = d.width;
    f.height = d.height;
    f.piece.assign(size_t(d.width) * d.height, 0);
    auto isFlame = [&](size_t i) {
        return d.rgb[i * 3] > 0.55 * 255 && d.rgb[i * 3 + 1] > 0.2 * 255;
    };
    std::vector<size_t> stack;
    for (size_t start = 0; start < f.piece.size(); ++start) {
        if (f.piece[start] || !isFlame(start)) continue;
        const int n = int(f.sizes.size());
        f.sizes.push_back(0);
        f.piece[start] = n;
        stack.push_back(start);
        while (!stack.empty()) {
            const size_t i = stack.back();
            stack.pop_back();
            ++f.sizes.back();
            const int x = int(i % size_t(d.width)), y = int(i / size_t(d.width));
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= d.width || yy >= d.height) continue;
                    const size_t j = size_t(yy) * size_t(d.width) + size_t(xx);
                    if (!f.piece[j] && isFlame(j)) {
                        f.piece[j] = n;
                        stack.push_back(j);
                    }
                }
        }
        f.flame += f.sizes.back();
        if (f.sizes.back() > f.sizes[size_t(f.body)]) f.body = n;
    }
    return f;
}

// Whether some pixel of `piece` lies at most `rise` pixels straight above the body of `before`.
bool risesFrom(const FlamePieces& now, int piece, const FlamePieces& before, int rise) {
    for (size_t i = 0; i < now.piece.size(); ++i) {
        if (now.piece[i] != piece) continue;
        const int x = int(i % size_t(now.width)), y = int(i / size_t(now.width));
        for (int d = 0; d <= rise && y + d < now.height; ++d)
            if (before.piece[size_t(y + d) * size_t(now.width) + size_t(x)] == before.body)
                return true;
    }
    return false;
}

// The fire is one body of tongues, not clouds: whatever comes loose is small, few and has just
// broken off a tip of the picture before; and the ten pictures loop, each changing about as much
// as the pictures before this fire did (12.4 on average), none of them standing still.
TEST_F(AssetgenFiles, FlamesAreTonguesThatLoopAndKeepMoving) {
    std::vector<Decoded> frames;
    std::vector<FlamePieces> pieces;
    for (int k = 1; k <= 10; ++k) {
        frames.push_back(picture("Flame" + std::to_string(k) + ".bmp"));
        pieces.push_back(flamePieces(frames.back()));
    }
    for (size_t k = 0; k < 10; ++k) {
        SCOPED_TRACE("Flame" + std::to_string(k + 1));
        const FlamePieces& f = pieces[k];
        ASSERT_GT(f.flame, 20000);
        EXPECT_GE(double(f.sizes[size_t(f.body)]) / double(f.flame), 0.98);
        int loose = 0;
        for (int n = 1; n < int(f.sizes.size()); ++n) {
            if (n == f.body || f.sizes[size_t(n)] < 50) continue;
            ++loose;
            EXPECT_LT(f.sizes[size_t(n)], 400) << "piece " << n;
            EXPECT_TRUE(risesFrom(f, n, pieces[(k + 9) % 10], 60))
                << "piece " << n << " of " << f.sizes[size_t(n)] << " pixels appears from nothing";
        }
        EXPECT_LE(loose, 3);
    }
    std::vector<double> steps;
    for (size_t k = 0; k < 10; ++k)
        steps.push_back(meanDifference(frames[k], frames[(k + 1) % 10]));
    const double seam = steps.back();
    steps.pop_back();
    for (size_t k = 0; k < 9; ++k) {
        EXPECT_GT(steps[k], 12.4 / 2)
            << "Flame" << k + 1 << " to Flame" << k + 2 << " barely moves";
        EXPECT_LT(steps[k], 12.4 * 2) << "Flame" << k + 1 << " to Flame" << k + 2 << " jumps";
    }
    const double typical = std::accumulate(steps.begin(), steps.end(), 0.0) / 9;
    EXPECT_LE(seam, *std::max_element(steps.begin(), steps.end())) << "Flame10 to Flame1 jumps";
    EXPECT_GT(seam, typical / 2) << "Flame10 to Flame1 stands still";
    // Pictures further apart differ more than neighbours: the fire moves, it does not just flicker.
    EXPECT_GT(meanDifference(frames[0], frames[5]), typical);
}

TEST_F(AssetgenFiles, GeneratingTwiceGivesTheSameBytes) {
    EXPECT_EQ(assetgen::encodeBmp24(assetgen::paintFlame(9)), install_.at("Flame10.bmp"));
    EXPECT_EQ(assetgen::encodeBmp24(assetgen::paintSurround(6, assetgen::SurroundPart::Top)),
              install_.at("OldRockT.bmp"));
    EXPECT_EQ(assetgen::encodeBmp24(assetgen::paintPoinsettia(true)), install_.at("poinr.bmp"));
    auto again = assetgen::resourceFiles();
    for (const auto& f : again) EXPECT_EQ(f.bytes, resources_.at(f.name)) << f.name;
}

TEST_F(AssetgenFiles, PreviewIsAn8BitPictureOf153By115) {
    const Bytes& b = resources_.at("preview.bmp");
    ASSERT_GT(b.size(), 54u + 1024u);
    EXPECT_EQ(b[28] | b[29] << 8, 8);
    EXPECT_EQ(int32_t(le32(b, 18)), 153);
    EXPECT_EQ(int32_t(le32(b, 22)), 115);
    Decoded d = decode(b);
    ASSERT_EQ(d.width, 153);
    // A fire burns low in the middle: bright and warm.
    double red = 0, blue = 0;
    for (int y = 70; y < 85; ++y)
        for (int x = 60; x < 95; ++x) {
            red += d.rgb[(size_t(y) * 153 + x) * 3];
            blue += d.rgb[(size_t(y) * 153 + x) * 3 + 2];
        }
    EXPECT_GT(red / (15 * 35), 150);
    EXPECT_GT(red, 2 * blue);
}

// The larger previews show the same hearth: shrunk to 153 x 115 they come close to the small one.
TEST_F(AssetgenFiles, LargerPreviewsArePaintedAtTheirSizeWithTheSameHearth) {
    const Decoded small = decode(resources_.at("preview.bmp"));
    for (int k : {2, 3}) {
        const std::string name = "preview" + std::to_string(k) + ".jpg";
        const Decoded big = decode(resources_.at(name));
        ASSERT_EQ(big.width, 153 * k) << name;
        ASSERT_EQ(big.height, 115 * k) << name;
        double difference = 0;
        for (int y = 0; y < 115; ++y)
            for (int x = 0; x < 153; ++x)
                for (int c = 0; c < 3; ++c) {
                    double sum = 0;
                    for (int dy = 0; dy < k; ++dy)
                        for (int dx = 0; dx < k; ++dx)
                            sum += big.rgb[(size_t(y * k + dy) * big.width + x * k + dx) * 3 + c];
                    difference +=
                        std::abs(sum / (k * k) - small.rgb[(size_t(y) * 153 + x) * 3 + c]);
                }
        EXPECT_LT(difference / (153 * 115 * 3), 8) << name;
    }
}

// The wall's strip is solid, as tall as the screen, and mirror-symmetric: it joins itself
// whether the program repeats it or mirrors it beside the hearth. (Painted alone: the fixture's
// whole generation is not needed for one picture.)
TEST(AssetgenWall, StripIsSolidAndJoinsItselfEitherWayAtEachDetail) {
    for (int detail : {1, assetgen::kHighDetail}) {
        SCOPED_TRACE(detail);
        const assetgen::Image wall = assetgen::paintWall(detail);
        ASSERT_EQ(wall.height(), 600 * detail);
        ASSERT_GT(wall.width(), 100);
        for (int y = 0; y < wall.height(); ++y)
            for (int x = 0; x < wall.width(); ++x) {
                ASSERT_TRUE(wall.opaque(x, y)) << "a hole at " << x << "," << y;
                ASSERT_EQ(std::memcmp(wall.bytes(x, y), wall.bytes(wall.width() - 1 - x, y), 3), 0)
                    << x << "," << y;
            }
    }
}

// A high-detail painting is the same picture, only finer: shrunk back to detail 1 it matches
// the detail-1 painting, and its holes fall where the detail-1 holes are but for their edges.
// (A few pictures of each painter: all of them at detail 3 take a minute.)
TEST(AssetgenHighDetail, ShrunkBackATwinMatchesItsPicture) {
    std::vector<std::pair<std::string, std::function<assetgen::Image(int)>>> paintings;
    for (const std::string name : {"Flame1.bmp", "Logs.bmp", "AndIronR.bmp"})
        for (const auto& a : assetgen::sceneAssets())
            if (a.file == name) paintings.push_back({a.file, a.paint});
    paintings.push_back({"the wall", [](int d) { return assetgen::paintWall(d); }});
    const int k = assetgen::kHighDetail;
    for (const auto& [name, paint] : paintings) {
        SCOPED_TRACE(name);
        const assetgen::Image one = paint(1), fine = paint(k);
        const int w = one.width(), h = one.height();
        ASSERT_EQ(fine.width(), w * k);
        ASSERT_EQ(fine.height(), h * k);
        const assetgen::Image shrunk = fine.resized(w, h);
        double difference = 0;
        long compared = 0, opaque = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int covered = 0;
                for (int j = 0; j < k; ++j)
                    for (int i = 0; i < k; ++i) covered += fine.opaque(x * k + i, y * k + j);
                opaque += one.opaque(x, y);
                if (one.opaque(x, y) != (2 * covered > k * k)) {
                    bool edge = false;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            edge |= one.inside(x + dx, y + dy) &&
                                    one.opaque(x + dx, y + dy) != one.opaque(x, y);
                    ASSERT_TRUE(edge) << "a hole moved at " << x << "," << y;
                }
                // Colours where both are wholly opaque (the shrink counts holes as black).
                if (one.opaque(x, y) && covered == k * k) {
                    for (int c = 0; c < 3; ++c)
                        difference +=
                            std::abs(int(one.bytes(x, y)[c]) - int(shrunk.bytes(x, y)[c]));
                    ++compared;
                }
            }
        ASSERT_GT(compared, opaque / 2);
        EXPECT_LT(difference / double(3 * compared), 2.0);
    }
}

// Every twin the setup ships, read as the program reads it, is its painting to the eye: at least
// 45 dB and the very same holes. (Paints every twin: a minute or two.)
TEST(AssetgenHighDetail, EveryShippedTwinKeepsItsPaintingAndItsHoles) {
    std::vector<assetgen::OutputJob> checks;
    for (const auto& a : assetgen::sceneAssets())
        checks.push_back({a.file, [&a] {
                              const assetgen::Image one = a.paint(1), twin = a.paint(assetgen::kHighDetail);
                              const Bytes file = assetgen::shippedTwin(a.file, twin, one);
                              const auto f = assetgen::twinFidelity(file, twin, one);
                              const std::string line =
                                  a.file + (f.read ? "" : " unreadable") +
                                  (f.holesExact ? "" : " holes differ") +
                                  (f.psnr >= assetgen::kMinTwinPsnr ? "" : " below 45 dB") +
                                  " (" + std::to_string(f.psnr) + " dB, " +
                                  std::to_string(file.size()) + " bytes)";
                              return Bytes(line.begin(), line.end());
                          }});
    for (const auto& f : assetgen::makeFiles(checks, 2)) {
        const std::string line(f.bytes.begin(), f.bytes.end());
        EXPECT_EQ(line.find(" ("), f.name.size()) << line;
    }
}

// What the program reads from a twin: the colours of the opaque pixels, alpha 255, and holes as
// (0, 0, 0, 0), which it takes as transparent.
TEST(AssetgenPng, DecodesToTheSamePixelsAndHoles) {
    assetgen::Image img(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            if ((x + y) % 3)
                img.set(x, y, {float(40 * x + 10), float(90 * y + 5), float(255 - 30 * x)});
    int w = 0, h = 0, channels = 0;
    const Bytes png = assetgen::encodePng(img);
    uint8_t* px = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &channels, 4);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(channels, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = px + (size_t(y) * 5 + size_t(x)) * 4;
            if (img.opaque(x, y)) {
                EXPECT_EQ(std::memcmp(p, img.bytes(x, y), 3), 0) << x << "," << y;
                EXPECT_EQ(p[3], 255) << x << "," << y;
            } else {
                EXPECT_EQ(p[0] | p[1] | p[2] | p[3], 0) << x << "," << y;
            }
        }
    stbi_image_free(px);
}

TEST_F(AssetgenFiles, ThumbnailsAre50By50JpegsThatTellTheStylesApart) {
    std::vector<Decoded> thumbs;
    for (int s = 1; s <= 6; ++s) {
        const Bytes& b = resources_.at("thumb" + std::to_string(s) + ".jpg");
        ASSERT_GE(b.size(), 2u);
        EXPECT_EQ(b[0], 0xFF);
        EXPECT_EQ(b[1], 0xD8);
        thumbs.push_back(decode(b));
        EXPECT_EQ(thumbs.back().width, 50);
        EXPECT_EQ(thumbs.back().height, 50);
    }
    for (size_t i = 0; i < 6; ++i)
        for (size_t j = i + 1; j < 6; ++j)
            EXPECT_GT(meanDifference(thumbs[i], thumbs[j]), 4.0)
                << "thumbs " << i + 1 << ", " << j + 1;
    // Dark marble is darker than light marble at its edge.
    EXPECT_LT(thumbs[0].luminance(2, 2), thumbs[1].luminance(2, 2) - 80);
}

TEST_F(AssetgenFiles, IconHoldsA32And16PixelFlameWithAlpha) {
    const Bytes& b = resources_.at("hrthglow.ico");
    ASSERT_GT(b.size(), 6u + 32u);
    EXPECT_EQ(b[2] | b[3] << 8, 1);  // icon
    EXPECT_EQ(b[4] | b[5] << 8, 2);
    EXPECT_EQ(b[6], 32);
    EXPECT_EQ(b[6 + 16], 16);
    for (size_t entry : {size_t(6), size_t(22)}) {
        EXPECT_EQ(b[entry + 6] | b[entry + 7] << 8, 32);  // bits per pixel
        uint32_t size = le32(b, entry + 8), offset = le32(b, entry + 12);
        EXPECT_LE(size_t(offset) + size, b.size());
    }
    assetgen::Image flame = assetgen::paintIconFlame(32);
    EXPECT_FALSE(flame.opaque(0, 0));
    EXPECT_TRUE(flame.opaque(16, 24));
}

}  // namespace
