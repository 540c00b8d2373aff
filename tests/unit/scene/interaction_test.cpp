// Scenarios of input and exit, hearth-style rotation and monitor power, on a fake clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "scene/monitor_power.h"
#include "support/fakes.h"

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
    // The hearth style the next frame shows, by the side picture it draws; 0 for none.
    int Style() {
        ddrw.drawn.clear();
        Frame();
        const int32_t leftSide[] = {0, 12, 15, 18, 22, 26, 30};
        for (int fp = 1; fp <= 6; ++fp)
            if (std::count(ddrw.drawn.begin(), ddrw.drawn.end(), leftSide[fp])) return fp;
        return 0;
    }
};

TEST(MouseExit, MovesDuringTheGraceNeitherCountNorEnd) {
    Running s(Values{{"Settings\\MouseSen", "2"}});
    s.Seconds(3);
    for (int i = 0; i < 10; ++i) s.Move();
    EXPECT_FALSE(s.Ended());
    s.Seconds(2);  // the fifth tick arms the mouse
    s.Move();
    s.Move();
    EXPECT_TRUE(s.Ended());
}

TEST(MouseExit, TheFirstFrameRestartsTheGrace) {
    Scene s;
    s.Seeded({{"Settings\\MouseSen", "2"}});
    s.Load();
    s.Seconds(4.5);
    s.Frame();
    s.Seconds(4.2);
    s.Frame();  // later frames leave the count alone
    s.form->MouseMoved(0, 0, 0, 0);
    EXPECT_FALSE(s.Ended());
    s.Seconds(1);
    s.form->MouseMoved(0, 0, 0, 0);
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
    s.Move();  // opens a new window: the first of four again
    s.Move();
    s.Move();
    EXPECT_FALSE(s.Ended());
    s.Move();
    EXPECT_TRUE(s.Ended());
}

// A count the slider cannot show (an absent value's 1, or a 0 that no move would ever reach)
// is counted as the slider shows it: 2.
TEST(MouseExit, ACountOutsideTheSliderIsTheSlidersTwo) {
    for (const char* count : {"1", "0"}) {
        Running s(Values{{"Settings\\MouseSen", count}});
        s.Seconds(6);
        s.Move();
        EXPECT_FALSE(s.Ended()) << count;
        s.Move();
        EXPECT_TRUE(s.Ended()) << count;
    }
}

TEST(MouseExit, AWindowOpenedBeforeMidnightStillCloses) {
    Running s(Values{{"Settings\\MouseSen", "3"}});
    s.host.timeOfDayAtStart = 86400 - 8;  // the first counted move comes at 23:59:58
    s.Seconds(6);
    s.Move();
    s.Seconds(11);  // 00:00:09, eleven seconds later
    s.Move();
    EXPECT_FALSE(s.Ended());
    s.Move();
    s.Move();
    EXPECT_FALSE(s.Ended()) << "the window did not close across midnight";
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
    Running s(Values{{"xmas\\PlayMusic", "0"},
                     {"Music\\Music1", "1"},
                     {"Music\\Music2", "1"},
                     {"Music\\Music36", "1"}});
    s.Seconds(1.1);
    ASSERT_EQ(s.snd.played, std::vector<int>{1});

    // P from track 1 and from track 2 goes to 35, and the next tick adds one.
    s.Key('P');
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 36);
    s.Key('N');
    s.Seconds(1.1);
    s.Key('N');
    s.Seconds(1.1);
    ASSERT_EQ(s.snd.played, (std::vector<int>{1, 36, 1, 2}));
    s.Key('P');
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 36);

    s.Key('N');
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 1);

    s.Key('Q');
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    EXPECT_FALSE(s.ds.AnyPlaying());
    s.Seconds(5);
    EXPECT_EQ(s.snd.played.back(), 1);
    EXPECT_FALSE(s.snd.IsMidiPlaying());

    s.Key('S');
    EXPECT_TRUE(s.ds.AnyPlaying());
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played.back(), 1) << "S restarts the track that was current";
    EXPECT_FALSE(s.Ended());
    // A small letter comes with the same virtual-key value as its capital, without Shift.
    for (int16_t shift : {0, 1})
        for (char k : {'N', 'P', 'Q', 'S'}) {
            s.form->KeyEvent(static_cast<int16_t>(k), shift);
            EXPECT_FALSE(s.Ended()) << k << " with shift " << shift;
        }
}

TEST(ButtonsAndKeys, RepeatedSBeforeAnyTrackStillStartsTheFirst) {
    Running s(Values{{"xmas\\PlayMusic", "0"}, {"Music\\Music1", "1"}});
    for (int i = 0; i < 5; ++i) s.Key('S');
    s.Seconds(1.1);
    EXPECT_EQ(s.snd.played, std::vector<int>{1});
}

TEST(Rotation, StylesTwoAndFiveAlternate) {
    Running s(
        Values{{"hrthglow\\ShowFP1", "0"}, {"hrthglow\\ShowFP3", "0"}, {"hrthglow\\ShowFP4", "0"}});
    std::vector<int> shown = {s.Style()};
    for (int i = 0; i < 3; ++i) {
        s.Seconds(60);
        shown.push_back(s.Style());
    }
    EXPECT_EQ(shown, (std::vector<int>{2, 5, 2, 5}));
}

// The next style's pictures are asked for seconds ahead, so its first frame is not late by
// their making: the style the rotation will show, skipping the ones turned off, and no other.
// The style it leaves is said to go.
TEST(Rotation, TheComingStyleIsAskedForSecondsAhead) {
    Running s(
        Values{{"hrthglow\\ShowFP1", "0"}, {"hrthglow\\ShowFP3", "0"}, {"hrthglow\\ShowFP4", "0"}});
    ASSERT_EQ(s.Style(), 2);
    s.Seconds(57.5);
    EXPECT_TRUE(s.ddrw.soon.empty()) << "asked too early";
    s.Seconds(1.0);
    EXPECT_EQ(std::count(s.ddrw.soon.begin(), s.ddrw.soon.end(), 26), 1) << "style 5's left side";
    EXPECT_LE(s.ddrw.soon.size(), 4u) << "its sides, top and mantel";
    for (int32_t surface : {12, 15, 18, 22, 30})
        EXPECT_EQ(std::count(s.ddrw.soon.begin(), s.ddrw.soon.end(), surface), 0) << surface;
    EXPECT_EQ(std::count(s.ddrw.going.begin(), s.ddrw.going.end(), 15), 1) << "style 2's left side";
    EXPECT_LE(s.ddrw.going.size(), 3u) << "its sides and top";
    s.Seconds(1.5);
    EXPECT_EQ(s.Style(), 5);
}

TEST(Rotation, SeededStylesStepOncePerMinuteAndWrap) {
    Running s;
    std::vector<int> shown = {s.Style()};
    for (int i = 0; i < 6; ++i) {
        s.Seconds(59.9);
        EXPECT_EQ(s.Style(), shown.back()) << "changed before the minute";
        s.Seconds(0.1);
        shown.push_back(s.Style());
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 1, 2}));
}

TEST(Rotation, OneStyleOnlyAndSixToOne) {
    Running one(Values{{"hrthglow\\ShowFP1", "0"},
                       {"hrthglow\\ShowFP2", "0"},
                       {"hrthglow\\ShowFP4", "0"},
                       {"hrthglow\\ShowFP5", "0"}});
    one.Seconds(180);
    EXPECT_EQ(one.Style(), 3);

    Running wrap(Values{{"hrthglow\\ShowFP6", "1"}});
    wrap.Seconds(300);
    ASSERT_EQ(wrap.Style(), 6);
    wrap.Seconds(60);
    EXPECT_EQ(wrap.Style(), 1);
}

TEST(Rotation, PeriodsAndOddValues) {
    // Minutes become seconds; a period the list does not offer is its first, one minute.
    for (auto [minutes, seconds] : {std::pair{"60", 3600}, {"600", 60}, {"0", 60}}) {
        Running s(Values{{"hrthglow\\RotateT", minutes}});
        s.Seconds(seconds - 1);
        EXPECT_EQ(s.Style(), 1) << minutes;
        s.Seconds(1);
        EXPECT_EQ(s.Style(), 2) << minutes;
    }

    // A style stored as 2 is passed over; the search ends.
    Running odd(Values{{"hrthglow\\ShowFP2", "2"}});
    odd.Seconds(60);
    EXPECT_EQ(odd.Style(), 3);

    // A RotateCk the box cannot show reads as the clear box: no surround, as when it is 0.
    Running fixed(Values{{"hrthglow\\RotateCk", "7"}});
    fixed.Seconds(300);
    EXPECT_EQ(fixed.Style(), 0);
}

uint32_t Filter(Running& s, uint32_t msg, uintptr_t wParam) {
    return FilterSceneMessage(s.module, *s.form, msg, wParam);
}

TEST(MonitorPower, SwallowedWhenPowerSavingIsDisabled) {
    Running s(Values{{"Settings\\PwrSave", "1"}});
    EXPECT_EQ(s.module.PwrSave, 1);
    EXPECT_EQ(Filter(s, kWmSysCommand, kScMonitorPower), kWmCreate);
    EXPECT_FALSE(s.timers.Enabled("Timer3"));
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
    EXPECT_TRUE(s.timers.Enabled("Timer3"));
    const int period = Form1::kTimer3IntervalMs;
    s.timers.Advance(period * 2);
    EXPECT_EQ(Filter(s, kWmSysCommand, kScMonitorPower), kWmSysCommand);  // no restart
    s.timers.Advance(period * 2 - 1);
    EXPECT_TRUE(s.snd.IsMidiPlaying()) << "three ticks";
    s.timers.Advance(1);
    EXPECT_FALSE(s.snd.IsMidiPlaying()) << "the fourth, counted from the first request";
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    int stops = CountOf(s.log, "StopMidi");
    s.timers.Advance(int64_t{period} * 40000);  // far past a 16-bit count
    EXPECT_EQ(CountOf(s.log, "StopMidi"), stops);
    EXPECT_FALSE(s.Ended());
}

}  // namespace
}  // namespace hg::test
