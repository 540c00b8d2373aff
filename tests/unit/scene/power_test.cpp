// The scene and the computer's power, on a fake clock with a faked power plan and idle time.
#include <gtest/gtest.h>

#include "support/fakes.h"

namespace hg::test {
namespace {

// A scene playing the crackle and a long carol, its first frame drawn at t = 0, with the user
// last seen at t = 0.
struct Playing : Scene {
    explicit Playing(Values values = {}) {
        values.push_back({"xmas\\PlayMusic", "0"});
        values.push_back({"Music\\Music5", "1"});
        Seeded(values);
        snd.trackMs = 4 * 3600 * 1000;
        Load();
        Frame();
        Seconds(1.1);  // the playlist starts the carol
    }
    bool Sounding() { return ds.AnyPlaying() && snd.IsMidiPlaying(); }
    int Frames() { return CountOf(log, "Flip"); }
};

TEST(SleepTimeout, ReachedItLetsBothSoundsGoAndKeepsThePicture) {
    Playing s;
    s.host.sleepTimeoutSeconds = 30 * 60;
    ASSERT_TRUE(s.Sounding());
    s.Seconds(30 * 60 - 3);
    EXPECT_TRUE(s.Sounding()) << "before the timeout";
    s.Seconds(2);
    EXPECT_FALSE(s.ds.AnyPlaying()) << "the crackle holds no stream";
    EXPECT_FALSE(s.snd.IsMidiPlaying());
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI")) << "no carol starts again by itself";
    const int frames = s.Frames();
    s.Frame();
    EXPECT_EQ(s.Frames(), frames + 1) << "the picture goes on";

    // Woken with the scene still there: it stays silent.
    const int plays = CountOf(s.log, "PlayMidiFile");
    s.Seconds(3600);
    EXPECT_EQ(CountOf(s.log, "PlayMidiFile"), plays);
    EXPECT_FALSE(s.ds.AnyPlaying());
    EXPECT_FALSE(s.Ended());

    // Someone back who asks for the sound with S has it, until the next timeout.
    s.host.lastInputMs = s.timers.Now();
    s.form->KeyEvent(static_cast<int16_t>('S'), 0);
    s.Seconds(1.1);
    EXPECT_TRUE(s.Sounding());
    s.Seconds(30 * 60);
    EXPECT_FALSE(s.ds.AnyPlaying());
    EXPECT_FALSE(s.snd.IsMidiPlaying());
}

TEST(SleepTimeout, NeverAndPowerSavingDisabledKeepTheSound) {
    Playing never;
    never.Seconds(3 * 3600);
    EXPECT_TRUE(never.Sounding());

    Playing asked(Values{{"Settings\\PwrSave", "1"}});
    asked.host.sleepTimeoutSeconds = 10 * 60;
    asked.Seconds(3 * 3600);
    EXPECT_TRUE(asked.Sounding()) << "the user asked the computer to stay awake";
}

TEST(PowerSavingDisabled, HoldsTheDisplayAndTheSystemForTheRun) {
    Scene s;
    s.Seeded({{"Settings\\PwrSave", "1"}});
    s.Load();
    EXPECT_TRUE(s.host.holdingPower);
    s.form->CloseDown();
    EXPECT_FALSE(s.host.holdingPower);
    const int released = IndexOf(s.log, "HoldDisplayAndSystem(false)");
    EXPECT_GT(released, IndexOf(s.log, "ScreenSaverRunning(false)"));
    EXPECT_LT(released, IndexOf(s.log, "EndProcess"));

    Scene plain;
    plain.Seeded();
    plain.Load();
    plain.form->CloseDown();
    EXPECT_EQ(CountOf(plain.log, "HoldDisplayAndSystem"), 0);
}

TEST(DisplayPower, OffStopsTheFramesAndStartsTheMusicCountdownOnResumesAtOnce) {
    Playing s;
    s.form->DisplayPowerChanged(false);
    EXPECT_TRUE(s.timers.Enabled("Timer3"));
    EXPECT_EQ(CountOf(s.log, "HoldFrames(true)"), 1);
    const int frames = s.Frames();
    s.Frame();
    s.Frame();
    EXPECT_EQ(s.Frames(), frames) << "nobody sees them";
    s.timers.Advance(4 * Form1::kTimer3IntervalMs);
    EXPECT_FALSE(s.snd.IsMidiPlaying()) << "the fourth tick stops the music";
    EXPECT_TRUE(s.ds.AnyPlaying()) << "the crackle is not the countdown's";

    s.form->DisplayPowerChanged(true);
    EXPECT_EQ(CountOf(s.log, "HoldFrames(false)"), 1);
    EXPECT_EQ(s.Frames(), frames + 1) << "a frame at once, before the next tick";
    s.Frame();
    EXPECT_EQ(s.Frames(), frames + 2);

    // Asked not to save power, a display turned off anyway shows nothing but keeps the music.
    Playing asked(Values{{"Settings\\PwrSave", "1"}});
    asked.form->DisplayPowerChanged(false);
    EXPECT_FALSE(asked.timers.Enabled("Timer3"));
    EXPECT_EQ(CountOf(asked.log, "HoldFrames(true)"), 1);
}

}  // namespace
}  // namespace hg::test
