// Scenarios of input and exit, hearth-style rotation and monitor power, on a fake clock.
#include <gtest/gtest.h>

#include "fakes.h"
#include "startup/monitor_power.h"

namespace hg::test {
namespace {

// A loaded scene with its first frame drawn at t = 0.
struct Running : Scene {
    explicit Running(const Values& values = {}) {
        Seeded(values);
        Load();
        Frame();
    }
    void Move() { form->MouseMoved(0, 0, 1, 1); }
    void Key(char k) { form->KeyEvent(static_cast<int16_t>(k), 0); }
};

TEST(MouseExit, MovesDuringTheGraceNeitherCountNorEnd) {
    Running s(Values{{"Settings\\MouseSen", "1"}});
    s.Seconds(3);
    for (int i = 0; i < 10; ++i) s.Move();
    EXPECT_FALSE(s.Ended());
    EXPECT_EQ(s.form->MoveCount, 0);
    s.Seconds(2);  // the fifth tick arms the mouse
    EXPECT_TRUE(s.form->InputArmed);
    s.Move();
    EXPECT_TRUE(s.Ended());
}

TEST(MouseExit, TheFirstFrameRestartsTheGrace) {
    Scene s;
    s.Seeded({{"Settings\\MouseSen", "1"}});
    s.Load();
    s.Seconds(4.5);
    s.Frame();
    s.Seconds(4.2);
    s.form->MouseMoved(0, 0, 0, 0);
    EXPECT_FALSE(s.Ended());
    s.Seconds(1);
    s.form->MouseMoved(0, 0, 0, 0);
    EXPECT_TRUE(s.Ended());
}

TEST(MouseExit, FourMovesWithinTenSecondsEnd) {
    Running s;  // MouseSen 4
    s.Seconds(6);
    s.Move();
    s.Seconds(2.5);
    s.Move();
    s.Seconds(2.5);
    s.Move();
    EXPECT_FALSE(s.Ended()) << "three moves over five seconds";
    s.Seconds(4);
    s.Move();
    EXPECT_TRUE(s.Ended());
}

TEST(MouseExit, TheMoveThatFindsTheWindowStaleCountsThenResets) {
    Running s;
    s.Seconds(6);
    s.Move();
    s.Seconds(1);
    s.Move();
    s.Seconds(10);  // 11 s after the window opened
    s.Move();
    EXPECT_FALSE(s.Ended());
    EXPECT_EQ(s.form->MoveCount, 0);
    EXPECT_EQ(s.form->MoveWindowStart, 0);
    s.Move();
    EXPECT_EQ(s.form->MoveCount, 1);
    s.Move();
    s.Move();
    EXPECT_FALSE(s.Ended());
    s.Move();
    EXPECT_TRUE(s.Ended());
}

TEST(MouseExit, SensitivityOneAndZero) {
    Running one(Values{{"Settings\\MouseSen", "1"}});
    one.Seconds(6);
    one.Move();
    EXPECT_TRUE(one.Ended());

    Running zero(Values{{"Settings\\MouseSen", "0"}});
    zero.Seconds(6);
    for (int i = 0; i < 50; ++i) {
        zero.Move();
        zero.Seconds(0.5);
    }
    EXPECT_FALSE(zero.Ended());
    zero.form->MouseButton(1, 0, 0, 0);
    EXPECT_TRUE(zero.Ended());
}

TEST(MouseExit, AWindowOpenedBeforeMidnightStillCloses) {
    Running s(Values{{"Settings\\MouseSen", "3"}});
    s.host.timeOfDayAtStart = 86400 - 8;  // the first counted move comes at 23:59:58
    s.Seconds(6);
    s.Move();
    s.Seconds(11);  // 00:00:09, eleven seconds later
    s.Move();
    EXPECT_FALSE(s.Ended());
    EXPECT_EQ(s.form->MoveCount, 0) << "the window did not close across midnight";
    s.Move();
    s.Move();
    EXPECT_FALSE(s.Ended());
}

TEST(ButtonsAndKeys, AButtonEndsAtOnceEvenDuringTheGrace) {
    Running s;
    s.form->MouseButton(2, 0, 10, 10);
    EXPECT_TRUE(s.Ended());
}

TEST(ButtonsAndKeys, OtherKeysSilenceTheCrackleThenEnd) {
    Running s;
    s.log.clear();
    s.Key('X');
    EXPECT_TRUE(s.Ended());
    ASSERT_GE(s.log.size(), 3u);
    EXPECT_EQ(s.log[0], "StopAllWaves");
    EXPECT_EQ(s.log[1], "DropWave(1)");
    EXPECT_EQ(s.log[2], "ShowCursor(true)");
}

TEST(ButtonsAndKeys, MusicKeysSteerWithoutEnding) {
    Running s(Values{{"xmas\\PlayMusic", "0"}, {"Music\\Music1", "1"}, {"Music\\Music2", "1"},
               {"Music\\Music36", "1"}});
    s.Seconds(1.1);
    ASSERT_EQ(s.snd.played, std::vector<int>{1});

    s.form->CurrentTrack = 2;
    s.Key('P');
    EXPECT_EQ(s.form->CurrentTrack, 35);
    s.form->CurrentTrack = 1;
    s.Key('P');
    EXPECT_EQ(s.form->CurrentTrack, 35);
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 36);

    s.Key('N');
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 1);

    s.Key('Q');
    EXPECT_FALSE(s.form->TimerMIDI.Enabled());
    EXPECT_FALSE(s.ds.AnyPlaying());
    EXPECT_EQ(s.form->Settings.SoundOn, 0);
    s.Seconds(5);
    EXPECT_EQ(s.snd.played.back(), 1);
    EXPECT_FALSE(s.snd.IsMidiPlaying());

    s.Key('S');
    EXPECT_EQ(s.form->Settings.SoundOn, 1);
    EXPECT_TRUE(s.ds.AnyPlaying());
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 1) << "S restarts the track that was current";
    EXPECT_FALSE(s.Ended());
    for (char k : {'n', 'p', 'q', 's'}) {
        s.form->KeyEvent(static_cast<int16_t>(k - 32), 0);
        EXPECT_FALSE(s.Ended());
    }
}

TEST(ButtonsAndKeys, RepeatedSNeverTakesTheTrackBelowZero) {
    Running s(Values{{"xmas\\PlayMusic", "0"}, {"Music\\Music1", "1"}});
    for (int i = 0; i < 5; ++i) s.Key('S');
    EXPECT_EQ(s.form->CurrentTrack, 0);
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played, std::vector<int>{1});
}

TEST(Rotation, StylesTwoAndFiveAlternate) {
    Running s(Values{{"hrthglow\\ShowFP1", "0"}, {"hrthglow\\ShowFP3", "0"}, {"hrthglow\\ShowFP4", "0"}});
    std::vector<int> shown = {s.form->Settings.CurrentFP};
    for (int i = 0; i < 3; ++i) {
        s.Seconds(60);
        shown.push_back(s.form->Settings.CurrentFP);
    }
    EXPECT_EQ(shown, (std::vector<int>{2, 5, 2, 5}));
}

TEST(Rotation, SeededStylesStepOncePerMinuteAndWrap) {
    Running s;
    std::vector<int> shown = {s.form->Settings.CurrentFP};
    for (int i = 0; i < 6; ++i) {
        s.Seconds(59.9);
        EXPECT_EQ(s.form->Settings.CurrentFP, shown.back()) << "changed before the minute";
        s.Seconds(0.1);
        shown.push_back(s.form->Settings.CurrentFP);
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 1, 2}));
}

TEST(Rotation, OneStyleOnlyAndSixToOne) {
    Running one(Values{{"hrthglow\\ShowFP1", "0"}, {"hrthglow\\ShowFP2", "0"}, {"hrthglow\\ShowFP4", "0"},
                 {"hrthglow\\ShowFP5", "0"}});
    one.Seconds(180);
    EXPECT_EQ(one.form->Settings.CurrentFP, 3);

    Running wrap(Values{{"hrthglow\\ShowFP6", "1"}});
    wrap.form->Settings.CurrentFP = 6;
    wrap.Seconds(60);
    EXPECT_EQ(wrap.form->Settings.CurrentFP, 1);
}

TEST(Rotation, PeriodsAndOddValues) {
    Running hour(Values{{"hrthglow\\RotateT", "60"}});
    EXPECT_EQ(hour.form->Settings.RotateT, 3600);
    Running longest(Values{{"hrthglow\\RotateT", "546"}});
    EXPECT_EQ(longest.form->Settings.RotateT, 32760);
    Running tooLong(Values{{"hrthglow\\RotateT", "600"}});
    EXPECT_EQ(tooLong.form->Settings.RotateT, 32760);
    Running zero(Values{{"hrthglow\\RotateT", "0"}});
    EXPECT_EQ(zero.form->Settings.RotateT, 60);
    zero.Seconds(60);
    EXPECT_EQ(zero.form->Settings.CurrentFP, 2);

    // A style stored as 2 is passed over; the search ends.
    Running odd(Values{{"hrthglow\\ShowFP2", "2"}});
    odd.Seconds(60);
    EXPECT_EQ(odd.form->Settings.CurrentFP, 3);

    Running off(Values{{"hrthglow\\RotateCk", "0"}});
    off.Seconds(300);
    EXPECT_EQ(off.form->Settings.CurrentFP, 1);
    EXPECT_EQ(off.form->RotateCount, 0);
}

uint32_t Filter(Running& s, uint32_t msg, uintptr_t wParam) {
    return FilterSceneMessage(s.module, *s.form, msg, wParam);
}

TEST(MonitorPower, SwallowedWhenPowerSavingIsDisabled) {
    Running s(Values{{"Settings\\PwrSave", "1"}});
    EXPECT_EQ(s.module.PwrSave, 1);
    EXPECT_EQ(Filter(s, kWmSysCommand, kScMonitorPower), kWmCreate);
    EXPECT_FALSE(s.form->Timer3.Enabled());
    // Other system commands pass untouched.
    EXPECT_EQ(Filter(s, kWmSysCommand, 0xF060), kWmSysCommand);
    EXPECT_EQ(Filter(s, kWmSysCommand, kScMonitorPower | 2), kWmSysCommand);
    EXPECT_EQ(Filter(s, 0x0100, kScMonitorPower), 0x0100u);
}

TEST(MonitorPower, PassedRequestStopsTheMusicOnTheFourthTick) {
    Running s(Values{{"xmas\\PlayMusic", "0"}, {"Music\\Music5", "1"}});
    s.snd.trackMs = 10 * 60 * 1000;
    s.Seconds(1.1);
    ASSERT_TRUE(s.snd.IsMidiPlaying());
    EXPECT_EQ(Filter(s, kWmSysCommand, kScMonitorPower), kWmSysCommand);
    EXPECT_TRUE(s.form->Timer3.Enabled());
    const int period = Form1::kTimer3IntervalMs;
    s.timers.Advance(period * 2);
    EXPECT_EQ(Filter(s, kWmSysCommand, kScMonitorPower), kWmSysCommand);  // no restart
    s.timers.Advance(period - 1);
    EXPECT_EQ(s.form->PowerOffTicks, 2);
    s.timers.Advance(1);
    EXPECT_EQ(s.form->PowerOffTicks, 3);
    EXPECT_TRUE(s.snd.IsMidiPlaying());
    s.timers.Advance(period);
    EXPECT_FALSE(s.snd.IsMidiPlaying());
    EXPECT_FALSE(s.form->TimerMIDI.Enabled());
    int stops = CountOf(s.log, "StopMidi");
    s.timers.Advance(int64_t{period} * 40000);  // far past a 16-bit count
    EXPECT_EQ(s.form->PowerOffTicks, 4);
    EXPECT_EQ(CountOf(s.log, "StopMidi"), stops);
    EXPECT_FALSE(s.Ended());
}

}  // namespace
}  // namespace hg::test
