// Loading the scene's pictures and composing one frame, against a recording drawing control.
// The settings are set on the form directly, so these tests do not depend on how the store
// is read or how the style rotation chooses.
#include <gtest/gtest.h>

#include "fakes.h"

namespace hg::test {
namespace {

constexpr const char* kFolder = "C:\\Tallowmere\\hrthglow\\";

// Surface numbers as the load hands them out.
enum : int32_t {
    kStocking1 = 1, kStocking4 = 4, kPoinR = 5, kPoinL, kBellR, kBellL, kCalendar, kFlame, kLogs,
    kStyle3Left = 18, kStyle3Right, kStyle3Top, kStyle3Mantel, kStyle4Mantel = 25,
    kAndIronL = 34, kAndIronR
};

struct Loaded : Scene {
    SceneSettings& s = form->Settings;
    Loaded() {
        s.InstallFolder = kFolder;
        s.StockLoc = 19;
        s.CalPos = 1;
        s.Speed = 100;
        s.AndIron = 1;
        s.AnyFPShown = true;
        s.RotateCk = 1;
        s.CurrentFP = 1;
        s.FontSize = 18;
        s.Message = "Place a message here";
        for (int i = 1; i <= 2; ++i) s.Bell[i] = s.Poin[i] = "0";
    }
    void Open() {
        form->OpenDirectDrawSession();
        form->FirstFrame = 0;
    }
    // The calls of one frame, without the log of what came before.
    std::string Frame() {
        log.clear();
        form->DrawFrame();
        return Join(log);
    }
};

TEST(OpenDirectDrawSession, MakesThe35SurfacesInOrderAtTheirPlaces) {
    Loaded scene;
    scene.s.StockLoc = -40;
    scene.Open();
    ASSERT_EQ(scene.log.front(), "OpenDisplay(800,600,16,\"\")");
    struct Want {
        std::string file;
        int x, y;
    };
    const Want want[] = {
        {"Stocking.bmp", 95, -40},         {"Stocking.bmp", 271, -40},
        {"Stocking.bmp", 447, -40},        {"Stocking.bmp", 625, -40},
        {"poinr.bmp", -5, 440},            {"poinl.bmp", 650, 450},
        {"bellr.bmp", 0, -10},             {"belll.bmp", 720, 0},
        {"\\Calendar.bmp", 5, 510},        {"Flame1.bmp", 70, 27},
        {"Logs.bmp", 83, 435},             {"marLeftSide.bmp", 0, 212},
        {"marRightSide.bmp", 700, 212},    {"marTopSide.bmp", 0, 0},
        {"mar2LeftSide.bmp", 0, 212},      {"mar2RightSide.bmp", 700, 212},
        {"mar2TopSide.bmp", 0, 0},         {"RiverRockL.bmp", -2, 210},
        {"RiverRockR.bmp", 712, 214},      {"RiverRockT.bmp", 0, 0},
        {"m-RiverRock.bmp", 81, 0},        {"DRiverRockL.bmp", -1, 202},
        {"DRiverRockR.bmp", 670, 202},     {"DRiverRockT.bmp", 0, 0},
        {"m-DRiverRock.bmp", 78, 18},      {"FlatStoneL.bmp", 0, 127},
        {"FlatStoneR.bmp", 690, 127},      {"FlatStoneT.bmp", 0, 0},
        {"m-Flatstone.bmp", 95, 22},       {"OldRockL.bmp", 0, 127},
        {"OldRockR.bmp", 690, 127},        {"OldRockT.bmp", 0, 0},
        {"m-OldRock.bmp", 82, 19},         {"\\AndIronL.bmp", 50, 292},
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
    Loaded noStyle;
    noStyle.s.AnyFPShown = false;
    noStyle.s.Speed = -3;
    noStyle.Open();
    EXPECT_EQ(noStyle.ddrw.xs[kAndIronL], 0);
    EXPECT_EQ(noStyle.ddrw.xs[kAndIronR], 650);
    EXPECT_EQ(noStyle.ddrw.ys[kAndIronR], 292);
    EXPECT_EQ(CountOf(noStyle.log, "Speed(10,-3)"), 1) << "Speed is passed unchanged";

    Loaded noAndirons;
    noAndirons.s.AndIron = 2;
    noAndirons.s.CalPos = 4;
    noAndirons.Open();
    EXPECT_EQ(noAndirons.ddrw.lastSurface, 33);
    EXPECT_EQ(CountOf(noAndirons.log, "Load(33,1,C:\\Tallowmere\\hrthglow\\m-OldRock.bmp"), 1);
    EXPECT_FALSE(noAndirons.ddrw.xs.count(kCalendar)) << "a CalPos outside 0..3 places nothing";
    EXPECT_FALSE(noAndirons.ddrw.ys.count(kCalendar));

    for (int pos = 0; pos <= 3; ++pos) {
        Loaded corner;
        corner.s.CalPos = static_cast<int16_t>(pos);
        corner.Open();
        const int x[] = {5, 5, 730, 730}, y[] = {5, 510, 5, 510};
        EXPECT_EQ(corner.ddrw.xs[kCalendar], x[pos]);
        EXPECT_EQ(corner.ddrw.ys[kCalendar], y[pos]);
    }
}

TEST(OpenDirectDrawSession, FailureShowsTheMessageAndEndsBeforeAnyPicture) {
    Loaded scene;
    scene.ddrw.openSucceeds = false;
    scene.form->OpenDirectDrawSession();
    EXPECT_EQ(scene.host.messageTitle, "Error opening Direct Draw!");
    EXPECT_EQ(scene.host.messageText,
              "The screensaver stated you were using 16-bit color\r\n\r\n"
              "However when it attempted to activate, you do not seem to be using 16-bit "
              "color\r\n\r\n"
              "We have added a button SET COLOR HERE in the configuration area of the "
              "screensavers control box\r\n"
              "Please go to that now and change your color setting");
    EXPECT_EQ(Join(scene.log),
              "OpenDisplay(800,600,16,\"\") Message(Error opening Direct Draw!) "
              "UnloadSceneWindow StopMidi ShowCursor(true) StopAllWaves EndProcess");
    EXPECT_TRUE(scene.Ended());
    EXPECT_TRUE(scene.form->Closed());
    scene.log.clear();
    scene.form->FrameDue();
    EXPECT_TRUE(scene.log.empty()) << "nothing is drawn after the end";
}

TEST(OpenDirectDrawSession, LoadStopsAtAFailedDisplayWithoutOpeningTheSound) {
    Scene scene;
    scene.Seeded();
    scene.ddrw.openSucceeds = false;
    scene.Load();
    EXPECT_EQ(CountOf(scene.log, "NewSurface"), 0);
    EXPECT_EQ(CountOf(scene.log, "LoadWave"), 0);
    EXPECT_TRUE(scene.Ended());
}

TEST(DrawFrame, EveryLayerBackToFront) {
    Loaded scene;
    scene.s.CalPos = 3;
    scene.Open();
    auto& s = scene.s;
    s.CurrentFP = 3;
    s.ShowM[3] = 1;
    s.Calendar = 1;
    s.ShowS = {0, 1, 0, 0, 1};
    s.Bell = {"", "1", "1"};
    s.Poin = {"", "1", "1"};
    s.ShowMsg = 1;
    s.FontSize = 20;
    s.Message = "Hi";
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

TEST(DrawFrame, OnlyExactlyOneSwitchesALayerOn) {
    Loaded scene;
    scene.Open();
    auto& s = scene.s;
    s.AndIron = 2;
    s.Calendar = 2;
    s.ShowMsg = 2;
    s.CurrentFP = 4;
    s.ShowM[4] = 2;
    s.ShowS = {0, 2, 1, -1, 0};
    // Read as numbers: blanks and a decimal point still make 1; words and 2 do not.
    s.Bell = {"", " 1", "1.0"};
    s.Poin = {"", "x", "2"};
    EXPECT_EQ(scene.Frame(),
              "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(23) Draw(22) Draw(24) "
              "Draw(2) Draw(7) Draw(8) Flip");
    // The mantel of style 4 with its switch on.
    s.ShowM[4] = 1;
    EXPECT_NE(scene.Frame().find("Draw(24) Draw(25)"), std::string::npos);
}

TEST(DrawFrame, SurroundNeedsRotationAndAStyleAndStyles1And2HaveNoMantel) {
    Loaded scene;
    scene.Open();
    auto& s = scene.s;
    s.ShowM = {1, 1, 1, 1, 1, 1, 1};
    s.CurrentFP = 3;
    s.RotateCk = 0;
    const std::string bare = "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) Flip";
    EXPECT_EQ(scene.Frame(), bare);
    s.RotateCk = 7;  // any non-zero value
    EXPECT_NE(scene.Frame().find("Draw(19) Draw(18) Draw(20) Draw(21) Flip"), std::string::npos);
    s.CurrentFP = 0;  // no style enabled
    EXPECT_EQ(scene.Frame(), bare);
    s.CurrentFP = 7;
    EXPECT_EQ(scene.Frame(), bare);
    for (int fp : {1, 2}) {
        s.CurrentFP = static_cast<int16_t>(fp);
        const int left = 12 + 3 * (fp - 1);
        EXPECT_EQ(scene.Frame(), "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(34) Draw(35) Draw(" +
                                     std::to_string(left + 1) + ") Draw(" + std::to_string(left) +
                                     ") Draw(" + std::to_string(left + 2) + ") Flip");
    }
}

TEST(DrawFrame, CalendarOutsideTheCornersShowsThePictureOnly) {
    Loaded scene;
    scene.s.CalPos = -1;
    scene.Open();
    scene.s.RotateCk = 0;
    scene.s.AndIron = 0;
    scene.s.Calendar = 1;
    scene.s.ShowMsg = 1;
    scene.s.Message = "";
    scene.s.FontSize = 18;
    EXPECT_EQ(scene.Frame(),
              "Clear(0) IsLost(10) Draw(10) Draw(11) Draw(9) Font(Arial,18,1) Text(,100,1,65535) "
              "Flip");
}

TEST(DrawFrame, TheFirstFrameRestartsTheGracePeriodCountOnce) {
    Loaded scene;
    scene.Open();
    scene.form->FirstFrame = -1;
    scene.form->SecondsRunning = 7;
    scene.form->DrawFrame();
    EXPECT_EQ(scene.form->SecondsRunning, 0);
    EXPECT_EQ(scene.form->FirstFrame, 0);
    scene.form->SecondsRunning = 3;
    scene.form->DrawFrame();
    EXPECT_EQ(scene.form->SecondsRunning, 3);
}

}  // namespace
}  // namespace hg::test
