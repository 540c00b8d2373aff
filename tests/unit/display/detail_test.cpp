// The scene composed at a finer detail: which detail a screen gets, that nothing of the layout
// moves when pictures are enlarged for it, and when a picture's high-detail twin is used.
#include "display/detail.h"
#include "display/twin_file.h"
#include "assetgen/twin_correction.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <filesystem>
#include <functional>
#include <random>
#include <unistd.h>

#include "display/stage.h"
#include "media/byte_reader.h"
#include "scene/controls.h"

namespace hg {
namespace {

TEST(Detail, ChosenSoThatTheFinalEnlargementStaysSmall) {
    struct Case {
        int width, height, detail;
    };
    const Case cases[] = {
        {800, 600, 1},   {1024, 768, 1},  {1920, 1080, 2}, {2560, 1440, 2},
        {3840, 2160, 3}, {3440, 1440, 2}, {200, 150, 1},   {7680, 4320, 3},
    };
    for (const Case& c : cases) {
        const Area hearth = Stage::For(c.width, c.height).hearth;
        EXPECT_EQ(DetailFor(hearth.Height()), c.detail) << c.width << "x" << c.height;
        const double enlargement = hearth.Height() / (600.0 * c.detail);
        if (c.detail < kMaxDetail) {
            EXPECT_LE(enlargement, 1.34) << c.width << "x" << c.height;
        }
        if (c.detail > 1) {
            EXPECT_GT(enlargement * c.detail / (c.detail - 1), 1.34) << "the smallest that does";
        }
    }
}

std::shared_ptr<const Picture> RandomPicture(std::mt19937& rng, int w, int h) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < w * h; ++i) {
        const bool hole = rng() % 5 == 0;
        rgba.insert(rgba.end(), {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()),
                                 uint8_t(hole ? 0 : 255)});
    }
    return Picture::FromRgba(rgba.data(), w, h, -1);
}

// The enlargement is the weighted mean of the four nearest opaque pixels, to the bit: the
// shipped corrections are differences from it, so a faster way of summing that rounds one pixel
// otherwise would spoil every twin. Pictures with scattered holes, with none, and with whole
// rows and columns missing, at every detail.
TEST(Detail, AnEnlargementIsTheMeanOfTheNearestOpaquePixelsExactly) {
    std::mt19937 rng(11);
    for (int holes : {0, 2, 5}) {
        const int w = 3 + static_cast<int>(rng() % 40), h = 3 + static_cast<int>(rng() % 30);
        std::vector<uint8_t> rgba;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool hole =
                    (holes && rng() % holes == 0) || (holes == 5 && (x == 2 || y == 1));
                rgba.insert(rgba.end(), {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()),
                                         uint8_t(hole ? 0 : 255)});
            }
        const auto p = Picture::FromRgba(rgba.data(), w, h, -1);
        for (int k = 2; k <= 4; ++k) {
            auto tap = [k](int i, int size) {
                const int twice = 2 * i + 1 - k;
                const int pos = twice <= 0 ? 0 : twice * 128 / k;
                return std::pair<int, uint32_t>{std::min(pos >> 8, size - 1), pos & 255};
            };
            const Enlarger e(*p, k);
            std::vector<uint8_t> row(static_cast<size_t>(w * k) * 4);
            for (int y = 0; y < h * k; ++y) {
                e.Row(y, row.data());
                const auto [y0, wy] = tap(y, h);
                const int y1 = std::min(y0 + 1, h - 1);
                for (int x = 0; x < w * k; ++x) {
                    uint32_t want[4] = {0, 0, 0, 0};
                    if (p->Opaque(x / k, y / k)) {
                        const auto [x0, wx] = tap(x, w);
                        const int x1 = std::min(x0 + 1, w - 1);
                        const struct {
                            int x, y;
                            uint32_t weight;
                        } taps[4] = {{x0, y0, (256 - wx) * (256 - wy)},
                                     {x1, y0, wx * (256 - wy)},
                                     {x0, y1, (256 - wx) * wy},
                                     {x1, y1, wx * wy}};
                        uint32_t sum[3] = {0, 0, 0}, total = 0;
                        for (const auto& t : taps) {
                            if (!t.weight || !p->Opaque(t.x, t.y)) continue;
                            for (int c = 0; c < 3; ++c)
                                sum[c] += ((p->Row(t.y)[t.x] >> (16 - 8 * c)) & 255) * t.weight;
                            total += t.weight;
                        }
                        if (!total) {
                            for (int c = 0; c < 3; ++c)
                                sum[c] = (p->Row(y / k)[x / k] >> (16 - 8 * c)) & 255;
                            total = 1;
                        }
                        for (int c = 0; c < 3; ++c) want[c] = (sum[c] + total / 2) / total;
                        want[3] = 255;
                    }
                    for (int c = 0; c < 4; ++c)
                        ASSERT_EQ(row[static_cast<size_t>(x) * 4 + c], want[c])
                            << "holes " << holes << " detail " << k << " at " << x << "," << y;
                }
            }
        }
    }
}

// The same surfaces composed at 1, 2 and 3: at 3 the middle pixel of every square is the
// layout's own pixel, and at 2 each square averages close to it; where the layout shows the
// background, every pixel of the square does. So nothing moved, grew or shrank.
TEST(Detail, CompositionAtADetailIsTheLayoutsCompositionOnlyFiner) {
    std::mt19937 rng(7);
    std::vector<std::shared_ptr<const Picture>> pictures;
    std::vector<std::pair<int, int>> places;
    for (int i = 0; i < 12; ++i) {
        pictures.push_back(RandomPicture(rng, 5 + rng() % 90, 5 + rng() % 70));
        places.push_back({static_cast<int>(rng() % 860) - 40, static_cast<int>(rng() % 660) - 40});
    }
    places[0] = {-3, 595};  // across two edges
    constexpr uint32_t kBackground = 0x102030;
    auto compose = [&](int detail) {
        auto c = std::make_unique<Compositor>([] { return 0u; });
        c->UseBackBuffer(nullptr, detail);
        c->Clear(Rgb(0x30, 0x20, 0x10));
        for (size_t i = 0; i < pictures.size(); ++i) {
            const int32_t s = c->NewSurface();
            c->SetFramePicture(s, 1, pictures[i]);
            c->SetX(s, places[i].first);
            c->SetY(s, places[i].second);
            c->Draw(s);
        }
        // Half a screen cleared over it at the detail: a logical area.
        c->Clear(Rgb(0, 0, 0x80), {700, 500, 900, 700});
        return c;
    };
    const auto one = compose(1), two = compose(2), three = compose(3);
    ASSERT_EQ(three->Width(), 2400);
    ASSERT_EQ(two->Height(), 1200);
    int64_t difference = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint32_t want = one->Pixel(x, y);
            ASSERT_EQ(three->Pixel(3 * x + 1, 3 * y + 1), want) << x << "," << y;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const uint32_t got = two->Pixel(2 * x + dx, 2 * y + dy);
                    if (want == kBackground || want == 0x000080) {
                        ASSERT_EQ(got, want) << "a gap between pictures stays one";
                    }
                    for (int shift = 0; shift < 24; shift += 8)
                        difference += std::abs(int((got >> shift) & 255) -
                                               int((want >> shift) & 255));
                }
        }
    // Random pixels are the worst case for a smooth enlargement; a shifted picture would differ
    // by about 85 a channel.
    EXPECT_LT(difference / (800.0 * 600 * 4 * 3), 30.0);
}

// A text's size is logical: the same share of the screen at every detail, also for sizes only a
// hand-edited store holds (none or less is the usual 16, none taller than the display).
TEST(Detail, ATextIsAsTallInLogicalPixelsAtEveryDetail) {
    const std::pair<int32_t, int> sizes[] = {{18, 18}, {1, 1},     {0, 16},    {-7, 16},
                                              {600, 600}, {601, 600}, {32767, 600}};
    for (const auto& [size, height] : sizes)
        for (int detail = 1; detail <= kMaxDetail; ++detail)
            EXPECT_EQ(FontAtDetail({"Arial", size}, detail).size, height * detail)
                << "size " << size << " at detail " << detail;
}

// A picture file and beside it, in HighDetail, a twin: the design is two colours split at a
// line between pixels 10 and 11 of the small picture, with a transparent corner.
class Twins : public ::testing::Test {
  protected:
    static constexpr int kW = 30, kH = 20;
    // A folder of each test's own: ctest runs the tests side by side, and a file is read when
    // it is first shown, long after another test's set-up could have replaced it.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("hg_detail_twins_" + std::to_string(getpid()) + "_" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::string small = (dir / "Pic.png").string();

    void SetUp() override {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "HighDetail");
        Write(small, 1, Rgb(200, 40, 20), Rgb(20, 60, 200));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // The design sampled at `detail` pixels a side: every pixel takes the colour at its centre.
    static void Write(const std::string& path, int detail, Colour left, Colour right,
                      int width = kW, int height = kH) {
        const int w = width * detail, h = height * detail;
        std::vector<uint8_t> rgba;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double fx = (x + 0.5) / detail - 0.5, fy = (y + 0.5) / detail - 0.5;
                const Colour c = fx < 10.5 ? left : right;
                const bool hole = fx < 3.6 && fy < 3.6;
                rgba.insert(rgba.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16),
                                         uint8_t(hole ? 0 : 255)});
            }
        ASSERT_TRUE(stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4));
    }
    void WriteTwin(Colour left, Colour right, int detail = kTwinDetail) {
        Write((dir / "HighDetail" / "Pic.png").string(), detail, left, right);
    }

    // The design as the generator paints it at `detail`.
    static assetgen::Image design(int detail, Colour left, Colour right) {
        assetgen::Image image(kW * detail, kH * detail);
        for (int y = 0; y < kH * detail; ++y)
            for (int x = 0; x < kW * detail; ++x) {
                const double fx = (x + 0.5) / detail - 0.5, fy = (y + 0.5) / detail - 0.5;
                const Colour c = fx < 10.5 ? left : right;
                if (!(fx < 3.6 && fy < 3.6))
                    image.set(x, y, {float(c & 255), float((c >> 8) & 255), float(c >> 16)});
            }
        return image;
    }

    // Row 10 of the picture drawn at (0, 0) at `detail`, and whether its left corner is clear.
    struct Drawn {
        std::vector<uint32_t> row;
        bool cornerClear = false;
    };
    Drawn Draw(int detail) {
        Compositor c([] { return 0u; });
        c.UseBackBuffer(nullptr, detail);
        c.Clear(0);
        const int32_t s = c.NewSurface();
        c.LoadFrame(s, 1, small, -1);
        c.Draw(s);
        Drawn d;
        for (int x = 0; x < kW * detail; ++x) d.row.push_back(c.Pixel(x, 10 * detail));
        d.cornerClear = c.Pixel(4 * detail - 1, 4 * detail - 1) == 0 && c.Pixel(0, 0) == 0 &&
                        c.Pixel(4 * detail, 0) != 0;
        return d;
    }
    // Colours of the row that are neither of the design's two: a smooth enlargement has some
    // at the split, a twin drawn at its own detail none.
    static int Blended(const Drawn& d) {
        int n = 0;
        for (uint32_t p : d.row) n += p != ToPixel(Rgb(200, 40, 20)) && p != ToPixel(Rgb(20, 60, 200));
        return n;
    }
};

TEST_F(Twins, AMatchingTwinIsDrawnAtItsOwnDetailAndResampledForAnother) {
    WriteTwin(Rgb(200, 40, 20), Rgb(20, 60, 200));
    const Drawn three = Draw(3), two = Draw(2);
    EXPECT_EQ(Blended(three), 0);
    EXPECT_EQ(three.row[32], ToPixel(Rgb(200, 40, 20))) << "the twin's own split";
    EXPECT_EQ(three.row[33], ToPixel(Rgb(20, 60, 200)));
    EXPECT_EQ(Blended(two), 0) << "the split falls between pixels at 2 as well";
    EXPECT_TRUE(three.cornerClear);
    EXPECT_TRUE(two.cornerClear);
}

TEST_F(Twins, WithoutATwinOrWithOneThatIsNotItsTwinThePictureIsEnlargedSmoothly) {
    const Drawn none = Draw(3);
    EXPECT_GT(Blended(none), 0);
    EXPECT_TRUE(none.cornerClear) << "holes stay where the small picture has them";
    // Two times the size instead of three: not a twin.
    WriteTwin(Rgb(200, 40, 20), Rgb(20, 60, 200), 2);
    EXPECT_EQ(Draw(3).row, none.row);
    EXPECT_GT(Blended(Draw(2)), 0);
    // The right size, but another picture's: the small file was replaced by the user's own.
    WriteTwin(Rgb(20, 200, 40), Rgb(240, 240, 240));
    EXPECT_EQ(Draw(3).row, none.row);
    EXPECT_EQ(TwinPath("C:\\Tallowmere\\hrthglow\\\\Calendar.bmp"),
              "C:\\Tallowmere\\hrthglow\\\\HighDetail\\Calendar.png");
    EXPECT_EQ(TwinPath("/usr/share/hearthglow/Flame1.bmp"),
              "/usr/share/hearthglow/HighDetail/Flame1.png");
}

// A file is read when its picture is first shown. Held at the detail, a picture lets its own
// pixels go, a frame of a stepping surface too (its frames are compared as drawn there); a
// picture that no longer shows lets its copy at the detail go as well, while the other frames of
// a surface that shows one stay. At detail 1 again the pixels come back from the file, and it
// draws as before.
TEST_F(Twins, APictureHeldAtTheDetailLetsItsOwnPixelsGoUntilTheyAreNeeded) {
    const std::string other = (dir / "Other.png").string(), third = (dir / "Third.png").string();
    Write(other, 1, Rgb(20, 200, 40), Rgb(240, 240, 240));
    Write(third, 1, Rgb(90, 90, 90), Rgb(240, 240, 240));
    Compositor c([] { return 0u; });
    c.UseBackBuffer(nullptr, 1);
    const int32_t still = c.NewSurface(), stepping = c.NewSurface();
    c.LoadFrame(still, 1, small, -1);
    c.LoadFrame(stepping, 1, other, -1);
    c.LoadFrame(stepping, 2, third, -1);
    c.SetX(stepping, 100);
    EXPECT_EQ(c.DecodedBytes(), 0u) << "nothing shown yet";
    auto compose = [&] {
        c.Clear(0);
        c.Draw(still);
        c.Draw(stepping);
        return std::vector<uint32_t>(c.BackBuffer(), c.BackBuffer() + c.Width() * c.Height());
    };
    const std::vector<uint32_t> before = compose();
    c.UseBackBuffer(nullptr, 3);
    compose();
    EXPECT_FALSE(c.Showing(still).picture->HasPixels());
    EXPECT_FALSE(c.Showing(stepping).picture->HasPixels()) << "a frame of a stepping surface";
    const size_t both = c.DetailBytes();
    c.LetGoOfAllBut({c.Showing(stepping).picture.get()});
    EXPECT_LT(c.DetailBytes(), both) << "the still picture, no longer drawn";
    EXPECT_GT(c.DetailBytes(), 0u) << "the stepping surface's frames";
    c.LetGoOfAllBut({});
    EXPECT_EQ(c.DetailBytes(), 0u);
    c.UseBackBuffer(nullptr, 1);
    EXPECT_EQ(compose(), before);
}

// The twin as the setup ships it: a correction of the picture enlarged. Read, it is drawn as
// the twin itself, though a PNG that is not the picture's twin lies beside it; beside a picture
// the user replaced it is not used at all, though its holes and sizes would fit.
TEST_F(Twins, AShippedCorrectionIsDrawnAsItsTwinAndOnlyForItsOwnPicture) {
    const Colour red = Rgb(200, 40, 20), blue = Rgb(20, 60, 200);
    ASSERT_TRUE(assetgen::writeFile(
        (dir / "HighDetail" / "Pic.hgtc").string(),
        assetgen::encodeTwinCorrection(design(kTwinDetail, red, blue), design(1, red, blue), 1)));
    const Drawn three = Draw(3), two = Draw(2);
    EXPECT_EQ(Blended(three), 0);
    EXPECT_EQ(three.row[32], ToPixel(red));
    EXPECT_EQ(three.row[33], ToPixel(blue));
    EXPECT_EQ(Blended(two), 0);
    EXPECT_TRUE(three.cornerClear);
    // A PNG beside it that is another picture's twin gives way to the correction.
    WriteTwin(Rgb(20, 200, 40), Rgb(240, 240, 240));
    EXPECT_EQ(Draw(3).row, three.row);
    std::filesystem::remove(dir / "HighDetail" / "Pic.png");
    // The user's own picture of the same shape: enlarged, never given the old one's detail.
    Write(small, 1, Rgb(20, 200, 40), Rgb(240, 240, 240));
    const Drawn replaced = Draw(3);
    std::filesystem::remove(dir / "HighDetail" / "Pic.hgtc");
    EXPECT_EQ(replaced.row, Draw(3).row);
    EXPECT_EQ(TwinCorrectionPath("/usr/share/hearthglow/Flame1.bmp"),
              "/usr/share/hearthglow/HighDetail/Flame1.hgtc");
}

// Rows a cover hides whole are passed over unread (a third of the flames' at 4K); the rows after
// them read as they would have, and a file is still checked as far as it is passed over.
TEST_F(Twins, ACorrectionsRowsPassedOverLeaveTheOthersAsTheyAre) {
    const Colour red = Rgb(200, 40, 20), blue = Rgb(20, 60, 200);
    const std::vector<uint8_t> bytes =
        assetgen::encodeTwinCorrection(design(kTwinDetail, red, blue), design(1, red, blue), 1);
    const auto file = ReadFileBytes(small, Compositor::kMaxPictureFileBytes);
    ASSERT_TRUE(file);
    const auto picture = DecodePicture(*file, -1);
    ASSERT_TRUE(picture);
    const int w = kW * kTwinDetail, h = kH * kTwinDetail;
    auto all = TwinCorrectionReader::Open(bytes, w, h, *picture);
    auto some = TwinCorrectionReader::Open(bytes, w, h, *picture);
    ASSERT_TRUE(all && some);
    const Enlarger enlarged(*picture, kTwinDetail);
    std::vector<uint8_t> predicted(size_t(w) * 4), whole(predicted.size()), read(predicted.size());
    for (int y = 0; y < h; ++y) {
        enlarged.Row(y, predicted.data());
        ASSERT_TRUE(all->NextRow(predicted.data(), whole.data()));
        if (y % 3 == 1 || (y > 20 && y < 40)) {
            ASSERT_TRUE(some->SkipRow()) << y;
            continue;
        }
        ASSERT_TRUE(some->NextRow(predicted.data(), read.data())) << y;
        ASSERT_EQ(read, whole) << "row " << y;
    }
    EXPECT_FALSE(some->SkipRow()) << "a row past the last";
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 8);
    auto damaged = TwinCorrectionReader::Open(cut, w, h, *picture);
    ASSERT_TRUE(damaged);
    bool passed = true;
    for (int y = 0; y < h && passed; ++y) passed = damaged->SkipRow();
    EXPECT_FALSE(passed) << "a file cut short passed over to its end";
}

}  // namespace
}  // namespace hg
