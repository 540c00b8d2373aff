// The X11 hack's platform pieces that need no X server or sound card.
#include <gtest/gtest.h>

#include "platform/linux/asset_path.h"
#include "platform/linux/mixing.h"
#include "platform/linux/monitors.h"
#include "platform/linux/timer_schedule.h"

namespace hg {
namespace {

TEST(AssetPath, TheWindowsInstallFolderBecomesTheAssetFolder) {
    EXPECT_EQ(AssetPath("C:\\Tallowmere\\hrthglow\\Flame1.bmp", "/usr/share/hearthglow"),
              "/usr/share/hearthglow/Flame1.bmp");
    // The doubled separator of "\Calendar.bmp", and a folder given with a trailing slash.
    EXPECT_EQ(AssetPath("C:\\Tallowmere\\hrthglow\\\\Calendar.bmp", "/a/"), "/a/Calendar.bmp");
    EXPECT_EQ(AssetPath("c:\\tallowmere\\HRTHGLOW\\Music\\midi36.mid", "/a"),
              "/a/Music/midi36.mid");
    EXPECT_EQ(AssetPath("D:\\other\\x.bmp", "/a"), "D:/other/x.bmp");
}

int64_t fakeNow = 0;
int64_t FakeNow() { return fakeNow; }

TEST(TimerSchedule, TicksAsWindowsDeliversLateTimers) {
    fakeNow = 0;
    TimerSchedule schedule(FakeNow);
    std::vector<std::string> log;
    Timer second(schedule, 1000, true, [&] { log.push_back("second"); });
    Timer often(schedule, 300, true, [&] { log.push_back("often"); });
    Timer stopped(schedule, 500, true, [&] { log.push_back("stopped"); });
    Timer stopper(schedule, 400, true, [&] {
        log.push_back("stopper");
        stopped.SetEnabled(false);
    });
    EXPECT_EQ(schedule.RunDue(), 300);
    fakeNow = 450;
    EXPECT_EQ(schedule.RunDue(), 150);  // the next "often" at 600
    EXPECT_EQ(log, (std::vector<std::string>{"often", "stopper"}));

    // Held up for five seconds: each due timer ticks once, not once for every period missed.
    log.clear();
    fakeNow = 5450;
    schedule.RunDue();
    EXPECT_EQ(log, (std::vector<std::string>{"often", "stopper", "second"}));
    log.clear();
    fakeNow = 5749;
    schedule.RunDue();
    EXPECT_TRUE(log.empty());
    fakeNow = 5750;
    schedule.RunDue();
    EXPECT_EQ(log, (std::vector<std::string>{"often"}));
}

TEST(HearthMonitor, ThePrimaryMonitorOrTheOneAWindowStandsOn) {
    const std::vector<Area> monitors = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    // The root window over both: the primary monitor's part; the primary may be the second.
    EXPECT_EQ(HearthMonitor({0, 0, 3200, 1080}, monitors, 0), (Area{0, 0, 1920, 1080}));
    EXPECT_EQ(HearthMonitor({0, 0, 3200, 1080}, monitors, 1), (Area{1920, 0, 3200, 1024}));
    // xscreensaver's window on the second monitor only: that monitor, in window coordinates.
    EXPECT_EQ(HearthMonitor({1920, 0, 3200, 1024}, monitors, 0), (Area{0, 0, 1280, 1024}));
    // A preview pane inside a dialog on the primary: the whole pane.
    EXPECT_EQ(HearthMonitor({100, 100, 500, 400}, monitors, 0), (Area{0, 0, 400, 300}));
    EXPECT_TRUE(HearthMonitor({0, 0, 800, 600}, {}, -1).Empty());
}

TEST(Mixing, WavesBecomeStereoAtTheMixRateAndVolumesGains) {
    WaveFile mono;
    mono.format = {1, 22050, 16};
    for (int16_t v : {0, 16384, -16384, 32767}) {
        mono.samples.push_back(static_cast<uint8_t>(v & 0xFF));
        mono.samples.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    std::vector<float> out = ConvertForMixing(mono);
    ASSERT_EQ(out.size(), 16u);  // four frames at twice the rate, two sides each
    EXPECT_FLOAT_EQ(out[2], out[3]);
    EXPECT_FLOAT_EQ(out[4], 0.5f);   // the second sample, on the mixing grid
    EXPECT_FLOAT_EQ(out[2], 0.25f);  // halfway between the first two
    EXPECT_FLOAT_EQ(out[14], (32767 / 32768.0f + 0.0f) / 2);  // the loop's end meets its start

    WaveFile eight;
    eight.format = {2, 44100, 8};
    eight.samples = {128, 255};
    out = ConvertForMixing(eight);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[1], 127 / 128.0f);

    EXPECT_FLOAT_EQ(GainOf(0), 1.0f);
    EXPECT_NEAR(GainOf(-2000), 0.1f, 1e-6);
    EXPECT_NEAR(GainOf(-2500), 0.0562f, 1e-4);
    EXPECT_EQ(GainOf(-10000), 0.0f);
    EXPECT_FLOAT_EQ(GainOf(300), 1.0f);
}

}  // namespace
}  // namespace hg
