// Loading the scene's pictures and composing one frame, against a recording drawing control.
// Each scene is loaded from a store: the seeds, with the values a test changes written over
// them, as a user's settings would reach it.
#include <gtest/gtest.h>

#include "support/fakes.h"

namespace hg::test {
namespace {

constexpr const char* kFolder = "C:\\Tallowmere\\hrthglow\\";

// Surface numbers as the load hands them out.
enum : int32_t {
    kStocking1 = 1,
    kStocking4 = 4,
    kPoinR = 5,
    kPoinL,
    kBellR,
    kBellL,
    kCalendar,
    kFlame,
    kLogs,
    kStyle3Left = 18,
    kStyle3Right,
    kStyle3Top,
    kStyle3Mantel,
    kStyle4Mantel = 25,
    kAndIronL = 34,
    kAndIronR
};

// The seeds give stockings at y 19, the calendar (off) in corner 1, speed 100, andirons,
// styles 1 to 5 with style 1 shown, and the message (off) "Place a message here" at size 18.
const Values kOnlyStyle3 = {{"hrthglow\\ShowFP1", "0"}, {"hrthglow\\ShowFP2", "0"}};
const Values kOnlyStyle4 = {
    {"hrthglow\\ShowFP1", "0"}, {"hrthglow\\ShowFP2", "0"}, {"hrthglow\\ShowFP3", "0"}};

struct Loaded : Scene {
    explicit Loaded(const Values& values = {}, const Values& more = {}) {
        Seeded({{"Settings\\ShowMsg", "0"}});
        Set(values);
        Set(more);
        Load();
    }
    // The calls of one frame, without the log of what came before.
    std::string Frame() {
        log.clear();
        form->FrameDue();
        return Join(log);
    }
};

TEST(OpenDirectDrawSession, MakesThe35SurfacesInOrderAtTheirPlaces) {
    Loaded scene(Values{{"xmas\\StockLoc", "-20"}});
    EXPECT_LT(IndexOf(scene.log, "OpenDisplay(800,600,16,\"\")"), IndexOf(scene.log, "NewSurface"));
    struct Want {
        std::string file;
        int x, y;
    };
    const Want want[] = {
        {"Stocking.bmp", 95, -20},      {"Stocking.bmp", 271, -20},
        {"Stocking.bmp", 447, -20},     {"Stocking.bmp", 625, -20},
        {"poinr.bmp", -5, 440},         {"poinl.bmp", 650, 450},
        {"bellr.bmp", 0, -10},          {"belll.bmp", 720, 0},
        {"\\Calendar.bmp", 5, 510},     {"Flame1.bmp", 70, 27},
        {"Logs.bmp", 83, 435},          {"marLeftSide.bmp", 0, 212},
        {"marRightSide.bmp", 700, 212}, {"marTopSide.bmp", 0, 0},
        {"mar2LeftSide.bmp", 0, 212},   {"mar2RightSide.bmp", 700, 212},
        {"mar2TopSide.bmp", 0, 0},      {"RiverRockL.bmp", -2, 210},
        {"RiverRockR.bmp", 712, 214},   {"RiverRockT.bmp", 0, 0},
        {"m-RiverRock.bmp", 81, 0},     {"DRiverRockL.bmp", -1, 202},
        {"DRiverRockR.bmp", 670, 202},  {"DRiverRockT.bmp", 0, 0},
        {"m-DRiverRock.bmp", 78, 18},   {"FlatStoneL.bmp", 0, 127},
        {"FlatStoneR.bmp", 690, 127},   {"FlatStoneT.bmp", 0, 0},
        {"m-Flatstone.bmp", 95, 22},    {"OldRockL.bmp", 0, 127},
        {"OldRockR.bmp", 690, 127},     {"OldRockT.bmp", 0, 0},
        {"m-OldRock.bmp", 82, 19},      {"\\AndIronL.bmp", 50, 292},
        {"\\AndIronR.bmp", 580, 292},
    };
    auto& d = scene.ddrw;
    ASSERT_EQ(d.lastSurface, 35);
    for (int32_t n = 1; n <= 35; ++n) {
        const Want& w = want[n - 1];
        ASSERT_FALSE(d.files[n].empty()) << n;
        EXPECT_EQ(d.files[n].front(), kFolder + w.file) << "surface " << n;
        EXPECT_EQ(d.xs[n], w.x) << w.file;
        EXPECT_EQ(d.ys[n], w.y) << w.file;
    }
    // The flame's ten frames, then its frame and pace, before its place.
    std::vector<std::string> flame;
    for (int k = 1; k <= 10; ++k) flame.push_back(kFolder + ("Flame" + std::to_string(k)) + ".bmp");
    EXPECT_EQ(d.files[kFlame], flame);
    const int lastFrame = IndexOf(scene.log, "Load(10,10,");
    EXPECT_EQ(IndexOf(scene.log, "Frame(10,1)"), lastFrame + 1);
    EXPECT_EQ(IndexOf(scene.log, "Speed(10,100)"), lastFrame + 2);
    EXPECT_EQ(IndexOf(scene.log, "X(10,70)"), lastFrame + 3);
    // Every picture with the key -1; every surface made before it is loaded.
    EXPECT_EQ(CountOf(scene.log, "Load("), 44);
    for (const std::string& e : scene.log) {
        if (e.rfind("Load(", 0) == 0) {
            EXPECT_EQ(e.substr(e.size() - 4), ",-1)") << e;
        }
    }
    EXPECT_EQ(CountOf(scene.log, "NewSurface"), 35);
}

TEST(OpenDirectDrawSession, AndironsAndCalendarFollowTheirSettings) {
    Loaded noStyle(
        kOnlyStyle4,
        {{"hrthglow\\ShowFP4", "0"}, {"hrthglow\\ShowFP5", "0"}, {"hrthglow\\Speed", "25"}});
    EXPECT_EQ(noStyle.ddrw.xs[kAndIronL], 0);
    EXPECT_EQ(noStyle.ddrw.xs[kAndIronR], 650);
    EXPECT_EQ(noStyle.ddrw.ys[kAndIronR], 292);
    EXPECT_EQ(CountOf(noStyle.log, "Speed(10,25)"), 1) << "Speed is passed unchanged";

    Loaded noAndirons(Values{{"hrthglow\\AndIron", "2"}, {"Settings\\CalPos", "4"}});
    EXPECT_EQ(noAndirons.ddrw.lastSurface, 33);
    EXPECT_EQ(CountOf(noAndirons.log, "Load(33,1,C:\\Tallowmere\\hrthglow\\m-OldRock.bmp"), 1);
    // A corner the dialog cannot choose is the seed's, lower left, as the dialog shows it.
    EXPECT_EQ(noAndirons.ddrw.xs[kCalendar], 5);
    EXPECT_EQ(noAndirons.ddrw.ys[kCalendar], 510);

    for (int pos = 0; pos <= 3; ++pos) {
        Loaded corner(Values{{"Settings\\CalPos", std::to_string(pos)}});
        const int x[] = {5, 5, 730, 730}, y[] = {5, 510, 5, 510};
        EXPECT_EQ(corner.ddrw.xs[kCalendar], x[pos]);
        EXPECT_EQ(corner.ddrw.ys[kCalendar], y[pos]);
    }
}

TEST(OpenDirectDrawSession, FailureEndsTheRunBeforeAnyPictureAndDrawsNothingAfter) {
    Scene scene;
    scene.Seeded();
    scene.ddrw.openSucceeds = false;
    scene.Load();
    const CallLog tail(scene.log.begin() + IndexOf(scene.log, "OpenDisplay"), scene.log.end());
    EXPECT_EQ(Join(tail),
              "OpenDisplay(800,600,16,\"\") Message(Error opening Direct Draw!) "
              "UnloadSceneWindow StopMidi ShowCursor(true) StopAllWaves EndProcess --loaded--");
    EXPECT_TRUE(scene.form->Closed());
    scene.log.clear();
    scene.form->FrameDue();
    EXPECT_TRUE(scene.log.empty()) << "nothing is drawn after the end";
}

TEST(DrawFrame, EveryLayerBackToFront) {
    Loaded scene(kOnlyStyle3, {{"Settings\\CalPos", "3"},
                               {"Settings\\Calendar", "1"},
                               {"xmas\\ShowS1", "1"},
                               {"xmas\\ShowS4", "1"},
                               {"xmas\\Bell1", "1"},
                               {"xmas\\Bell2", "1"},
                               {"xmas\\Poin1", "1"},
                               {"xmas\\Poin2", "1"},
                               {"Settings\\ShowMsg", "1"},
                               {"Settings\\FontSize", "20"},
                               {"Settings\\Message", "Hi"}});
    EXPECT_EQ(scene.Frame(),
              "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) "
              "Draw(19) Draw(18) Draw(20) Draw(21) "
              "Draw(9) Font(Arial,46,30) Text(7,740,540,255) Font(Arial,12,30) "
              "Text(Monday,735,534,255) Font(Arial,14,30) Text(5:21:31 AM,732,522,16711680) "
              "Font(Arial,16,30) Text(Dec,752,510,255) "
              "Draw(1) Draw(4) Draw(7) Draw(8) Draw(5) Draw(6) "
              "Font(Arial,20,1) Text(Hi,100,1,65535) Flip");
    // A lost flame is restored, then drawn all the same.
    scene.ddrw.lost = true;
    EXPECT_EQ(scene.Frame().substr(0, 43), "Clear(0) IsLost(10) Restore(10) Draw(10) Dr");
}

// The clock is read anew in every frame, nothing of it kept from the one before: the time of
// day each second, the date at midnight.
TEST(DrawFrame, EveryFrameShowsTheClockAsItIsThen) {
    Loaded scene(kOnlyStyle3, {{"Settings\\CalPos", "0"}, {"Settings\\Calendar", "1"}});
    const std::string first = scene.Frame();
    EXPECT_NE(first.find("Text(5:21:31 AM,9,18,16711680)"), std::string::npos) << first;
    scene.host.longTime = "5:21:32 AM";
    EXPECT_NE(scene.Frame().find("Text(5:21:32 AM,9,18,16711680)"), std::string::npos);
    scene.host.longTime = "12:00:00 AM";
    scene.host.weekday = "Tuesday", scene.host.day = "8";
    const std::string midnight = scene.Frame();
    for (const char* text : {"Text(8,14,36,255)", "Text(Tuesday,10,30,255)",
                             "Text(12:00:00 AM,9,18,16711680)", "Text(Dec,27,6,255)"})
        EXPECT_NE(midnight.find(text), std::string::npos) << text << " in " << midnight;
}

TEST(DrawFrame, OnlyExactlyOneSwitchesALayerOn) {
    // Read as numbers: blanks and a decimal point still make 1; words and 2 do not.
    const Values odd = {
        {"hrthglow\\AndIron", "2"}, {"Settings\\Calendar", "2"}, {"Settings\\ShowMsg", "2"},
        {"hrthglow\\ShowM4", "2"},  {"xmas\\ShowS1", "2"},       {"xmas\\ShowS2", "1"},
        {"xmas\\ShowS3", "-1"},     {"xmas\\Bell1", " 1"},       {"xmas\\Bell2", "1.0"},
        {"xmas\\Poin1", "x"},       {"xmas\\Poin2", "2"}};
    Loaded scene(kOnlyStyle4, odd);
    EXPECT_EQ(scene.Frame(),
              "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(23) Draw(22) Draw(24) "
              "Draw(2) Draw(7) Draw(8) Flip");
    // The mantel of style 4 with its switch on.
    Loaded mantel(kOnlyStyle4);
    EXPECT_NE(mantel.Frame().find("Draw(24) Draw(25)"), std::string::npos);
}

TEST(DrawFrame, SurroundNeedsRotationAndAStyleAndStyles1And2HaveNoMantel) {
    const std::string bare = "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) Flip";
    Loaded still(kOnlyStyle3, {{"hrthglow\\RotateCk", "0"}});
    EXPECT_EQ(still.Frame(), bare);
    // A value the box cannot show reads as its clear box.
    Loaded seven(kOnlyStyle3, {{"hrthglow\\RotateCk", "7"}});
    EXPECT_EQ(seven.Frame(), bare);
    Loaded none(kOnlyStyle4, {{"hrthglow\\ShowFP4", "0"}, {"hrthglow\\ShowFP5", "0"}});
    EXPECT_EQ(none.Frame(), "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) Flip");
    for (int fp : {1, 2}) {
        Loaded plain(fp == 2 ? Values{{"hrthglow\\ShowFP1", "0"}} : Values{});
        const int left = 12 + 3 * (fp - 1);
        EXPECT_EQ(plain.Frame(), "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) Draw(" +
                                     std::to_string(left + 1) + ") Draw(" + std::to_string(left) +
                                     ") Draw(" + std::to_string(left + 2) + ") Flip");
    }
}

TEST(DrawFrame, ACalendarCornerNoOptionOffersIsTheSeedsWithItsTexts) {
    Loaded scene(Values{{"Settings\\CalPos", "-1"},
                        {"hrthglow\\RotateCk", "0"},
                        {"hrthglow\\AndIron", "0"},
                        {"Settings\\Calendar", "1"},
                        {"Settings\\ShowMsg", "1"},
                        {"Settings\\Message", ""}});
    const std::string frame = scene.Frame();
    EXPECT_NE(frame.find("Draw(9) Font(Arial,46,30) Text("), std::string::npos) << frame;
}

TEST(DrawFrame, AFrameThatRunsOutOfMemoryIsGivenUpAndTheNextIsWhole) {
    Loaded scene;
    scene.ddrw.failingDraws = 1;
    std::string broken;
    EXPECT_NO_THROW(broken = scene.Frame());
    EXPECT_EQ(broken.find("Flip"), std::string::npos);
    EXPECT_EQ(scene.Frame(),
              "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) Draw(13) Draw(12) Draw(14) "
              "Flip");
}

}  // namespace
}  // namespace hg::test
