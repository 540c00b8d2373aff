// Loading the scene's pictures and composing each frame.
#include <exception>
#include <string>

#include "scene/form1.h"

namespace hg {

namespace {

constexpr Colour kBlack = Rgb(0, 0, 0);
constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBlue = Rgb(0, 0, 255);
constexpr Colour kYellow = Rgb(255, 255, 0);
constexpr int32_t kKeyValue = -1;

struct Placement {
    int x;
    int y;
};

// Calendar picture and text points by corner; the texts do not follow the picture.
struct CalendarCorner {
    Placement picture, day, weekday, time, month;
};
constexpr CalendarCorner kCalendarCorners[4] = {
    {{5, 5}, {14, 36}, {10, 30}, {9, 18}, {27, 6}},
    {{5, 510}, {14, 540}, {10, 534}, {9, 522}, {27, 510}},
    {{730, 5}, {740, 36}, {735, 30}, {735, 18}, {752, 6}},
    {{730, 510}, {740, 540}, {735, 534}, {732, 522}, {752, 510}},
};

// A Bell or Poin text counts as its box in the dialog shows it: checked only for 1.
bool TextIsOne(const std::string& text) { return CheckBoxShows(text).value_or(0) == 1; }

}  // namespace

void Form1::OpenDirectDrawSession() {
    TegoDDrw& d = TegoDDrw1;
    if (!d.OpenDisplay(800, 600, 16, "")) {
        // The run is over before it began. The message box's own loop would otherwise deliver
        // the timers' ticks behind it, and a carol could start under the error.
        closed_ = true;
        StopTimers();
        host_.ShowCriticalMessage(
            "Error opening Direct Draw!",
            "The screensaver stated you were using 16-bit color\r\n\r\n"
            "However when it attempted to activate, you do not seem to be using 16-bit "
            "color\r\n\r\n"
            "We have added a button SET COLOR HERE in the configuration area of the screensavers "
            "control box\r\n"
            "Please go to that now and change your color setting");
        host_.UnloadSceneWindow();
        host_.EndProcess();
        return;
    }
    const std::string& folder = Settings.InstallFolder;
    auto one = [&](const std::string& file, int x, int y) {
        int32_t s = d.NewSurface();
        d.LoadSurfaceFrame(s, 1, folder + file, kKeyValue);
        d.SetSurfaceX(s, x);
        d.SetSurfaceY(s, y);
        return s;
    };

    const int stockY = Settings.StockLoc;
    StockingSurf[1] = one("Stocking.bmp", 95, stockY);
    StockingSurf[2] = one("Stocking.bmp", 271, stockY);
    StockingSurf[3] = one("Stocking.bmp", 447, stockY);
    StockingSurf[4] = one("Stocking.bmp", 625, stockY);
    PoinRSurf = one("poinr.bmp", -5, 440);
    PoinLSurf = one("poinl.bmp", 650, 450);
    BellRSurf = one("bellr.bmp", 0, -10);
    BellLSurf = one("belll.bmp", 720, 0);

    CalendarSurf = d.NewSurface();
    d.LoadSurfaceFrame(CalendarSurf, 1, folder + "\\Calendar.bmp", kKeyValue);
    if (Settings.CalPos >= 0 && Settings.CalPos <= 3) {
        const Placement& p = kCalendarCorners[Settings.CalPos].picture;
        d.SetSurfaceX(CalendarSurf, p.x);
        d.SetSurfaceY(CalendarSurf, p.y);
    }

    FlameSurf = d.NewSurface();
    for (int k = 1; k <= 10; ++k)
        d.LoadSurfaceFrame(FlameSurf, k, folder + "Flame" + std::to_string(k) + ".bmp", kKeyValue);
    d.SetSurfaceFrame(FlameSurf, 1);
    d.SetSurfaceSpeed(FlameSurf, Settings.Speed);
    d.SetSurfaceX(FlameSurf, 70);
    d.SetSurfaceY(FlameSurf, 27);

    LogsSurf = one("Logs.bmp", 83, 435);

    struct Style {
        const char *left, *right, *top, *mantel;
        Placement l, r, m;
    };
    const Style styles[7] = {
        {},
        {"marLeftSide.bmp",
         "marRightSide.bmp",
         "marTopSide.bmp",
         nullptr,
         {0, 212},
         {700, 212},
         {}},
        {"mar2LeftSide.bmp",
         "mar2RightSide.bmp",
         "mar2TopSide.bmp",
         nullptr,
         {0, 212},
         {700, 212},
         {}},
        {"RiverRockL.bmp",
         "RiverRockR.bmp",
         "RiverRockT.bmp",
         "m-RiverRock.bmp",
         {-2, 210},
         {712, 214},
         {81, 0}},
        {"DRiverRockL.bmp",
         "DRiverRockR.bmp",
         "DRiverRockT.bmp",
         "m-DRiverRock.bmp",
         {-1, 202},
         {670, 202},
         {78, 18}},
        {"FlatStoneL.bmp",
         "FlatStoneR.bmp",
         "FlatStoneT.bmp",
         "m-Flatstone.bmp",
         {0, 127},
         {690, 127},
         {95, 22}},
        {"OldRockL.bmp",
         "OldRockR.bmp",
         "OldRockT.bmp",
         "m-OldRock.bmp",
         {0, 127},
         {690, 127},
         {82, 19}},
    };
    for (int s = 1; s <= 6; ++s) {
        const Style& st = styles[s];
        SideLSurf[s] = one(st.left, st.l.x, st.l.y);
        SideRSurf[s] = one(st.right, st.r.x, st.r.y);
        TopSurf[s] = one(st.top, 0, 0);
        if (st.mantel) MantelSurf[s] = one(st.mantel, st.m.x, st.m.y);
    }

    if (Settings.AndIron == 1) {
        AndIronLSurf = one("\\AndIronL.bmp", 50, 292);
        AndIronRSurf = one("\\AndIronR.bmp", 580, 292);
        if (!Settings.AnyFPShown) {
            d.SetSurfaceX(AndIronLSurf, 0);
            d.SetSurfaceX(AndIronRSurf, 650);
        }
    }
}

void Form1::FrameDue() {
    // Pictures on a display that is off are seen by nobody.
    if (!displayOn_) return;
    // A frame that cannot be finished (memory running out, say) is given up; the next one is
    // drawn whole from the start, so nothing of it lingers.
    try {
        DrawFrame();
    } catch (const std::exception&) {
    }
}

void Form1::DrawFrame() {
    if (closed_) return;
    TegoDDrw& d = TegoDDrw1;
    const SceneSettings& s = Settings;

    if (FirstFrame) {
        SecondsRunning = 0;
        FirstFrame = 0;
    }
    d.ClearBackBuffer(kBlack);
    if (d.IsSurfaceLost(FlameSurf)) d.RestoreSurface(FlameSurf);
    d.DrawSurface(FlameSurf);
    d.DrawSurface(LogsSurf);
    if (s.AndIron == 1) {
        d.DrawSurface(AndIronLSurf);
        d.DrawSurface(AndIronRSurf);
    }
    if (s.RotateCk != 0 && s.CurrentFP >= 1 && s.CurrentFP <= 6) {
        const int fp = s.CurrentFP;
        d.DrawSurface(SideRSurf[fp]);
        d.DrawSurface(SideLSurf[fp]);
        d.DrawSurface(TopSurf[fp]);
        if (fp >= 3 && s.ShowM[fp] == 1) d.DrawSurface(MantelSurf[fp]);
    }
    if (s.Calendar == 1) {
        d.DrawSurface(CalendarSurf);
        std::string weekday = clock_.WeekdayText();
        std::string day = clock_.DayText();
        std::string month = clock_.MonthText();
        if (s.CalPos >= 0 && s.CalPos <= 3) {
            const CalendarCorner& c = kCalendarCorners[s.CalPos];
            d.SetTextFont("Arial", 46, 30, false, false, false);
            d.DrawTextAt(day, c.day.x, c.day.y, kRed);
            d.SetTextFont("Arial", 12, 30, false, false, false);
            d.DrawTextAt(weekday, c.weekday.x, c.weekday.y, kRed);
            d.SetTextFont("Arial", 14, 30, false, false, false);
            d.DrawTextAt(clock_.LongTimeText(), c.time.x, c.time.y, kBlue);
            d.SetTextFont("Arial", 16, 30, false, false, false);
            d.DrawTextAt(month, c.month.x, c.month.y, kRed);
        }
    }
    for (int i = 1; i <= 4; ++i)
        if (s.ShowS[i] == 1) d.DrawSurface(StockingSurf[i]);
    if (TextIsOne(s.Bell[1])) d.DrawSurface(BellRSurf);
    if (TextIsOne(s.Bell[2])) d.DrawSurface(BellLSurf);
    if (TextIsOne(s.Poin[1])) d.DrawSurface(PoinRSurf);
    if (TextIsOne(s.Poin[2])) d.DrawSurface(PoinLSurf);
    if (s.ShowMsg == 1) {
        d.SetTextFont("Arial", s.FontSize, 1, false, false, false);
        d.DrawTextAt(s.Message, 100, 1, kYellow);
    }
    d.FlipDisplay();
}

}  // namespace hg
