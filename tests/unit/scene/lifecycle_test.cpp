#include <gtest/gtest.h>

#include "support/fakes.h"

namespace hg::test {
namespace {

TEST(SceneLoad, RunsItsStepsInOrder) {
    Scene s;
    s.Seeded({{"Settings\\SoundOff", "5"}});
    s.Load();
    const CallLog& log = s.log;
    int hook = IndexOf(log, "HookSceneWindow");
    int hidden = IndexOf(log, "HideSceneWindow");
    int cursor = IndexOf(log, "ShowCursor(false)");
    int display = IndexOf(log, "OpenDisplay(800,600,16,\"\")");
    int firstSurface = IndexOf(log, "NewSurface");
    int crackle = IndexOf(log, "LoadWave(C:\\Tallowmere\\hrthglow\\fire.wav)");
    ASSERT_EQ(hook, 0);
    EXPECT_LT(IndexOf(log, "DDrw.Visible"), hidden);
    EXPECT_LT(hidden, cursor);
    EXPECT_LT(cursor, display);
    EXPECT_LT(display, firstSurface);
    EXPECT_LT(firstSurface, crackle);
    EXPECT_EQ(CountOf(log, "ShowCursor(false)"), 1);
    EXPECT_EQ(s.store.Read(kAppName, "Settings", "SetReg", ""), "2");
    // The sound-off period was armed in seconds: five minutes.
    s.Seconds(299.5);
    EXPECT_TRUE(s.ds.AnyPlaying());
    s.Seconds(0.5);
    EXPECT_FALSE(s.ds.AnyPlaying());
}

TEST(SceneLoad, TimersAtCreationAndMusicOff) {
    Scene s;
    for (const char* name : {"Timer1", "Timer2", "TimerTotal", "TimerMIDI"})
        EXPECT_TRUE(s.timers.Enabled(name)) << name;
    EXPECT_FALSE(s.timers.Enabled("Timer3"));
    EXPECT_EQ(s.timers.Interval("TimerMIDI"), 1050);
    s.Seeded();  // PlayMusic = 1
    s.Load();
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    s.Seconds(30);
    EXPECT_EQ(CountOf(s.log, "PlayMidiFile"), 0);
}

TEST(SceneLoad, SoundOffNeverArmsNothing) {
    Scene s;
    s.Seeded();
    s.Load();
    s.Seconds(120);
    EXPECT_EQ(CountOf(s.log, "StopAllWaves"), 0);
}

TEST(SceneLoad, DisplayFailureShowsTheMessageAndEndsBeforeAnyPicture) {
    Scene s;
    s.Seeded();
    s.ddrw.openSucceeds = false;
    s.Load();
    EXPECT_EQ(s.host.messageTitle, "Error opening Direct Draw!");
    EXPECT_EQ(s.host.messageText,
              "The screensaver stated you were using 16-bit color\r\n\r\nHowever when it "
              "attempted to activate, you do not seem to be using 16-bit color\r\n\r\nWe have "
              "added a button SET COLOR HERE in the configuration area of the screensavers "
              "control box\r\nPlease go to that now and change your color setting");
    EXPECT_EQ(CountOf(s.log, "NewSurface"), 0);
    EXPECT_EQ(CountOf(s.log, "LoadWave"), 0);
    EXPECT_TRUE(s.host.unloaded);
    EXPECT_TRUE(s.Ended());
    EXPECT_LT(IndexOf(s.log, "Message("), IndexOf(s.log, "UnloadSceneWindow"));
}

TEST(SceneLoad, NoTimerTicksBehindTheDisplayFailureMessage) {
    Scene s;
    s.Seeded({{"xmas\\PlayMusic", "0"}, {"Music\\Music1", "1"}, {"Settings\\SoundOff", "1"}});
    s.ddrw.openSucceeds = false;
    s.host.whileMessageShown = [&s] { s.Seconds(120); };  // read for two minutes
    s.Load();
    const int message = IndexOf(s.log, "Message(");
    ASSERT_GE(message, 0);
    EXPECT_EQ(s.log[message + 1], "UnloadSceneWindow") << Join(s.log);
    for (const char* name : {"Timer1", "Timer2", "TimerTotal", "TimerMIDI", "Timer3", "TimerSleep"})
        EXPECT_FALSE(s.timers.Enabled(name)) << name;
}

TEST(CloseDown, RunsInOrderAndOnlyOnce) {
    Scene s;
    s.Seeded();
    s.Load();
    s.log.clear();
    s.form->CloseDown();
    std::vector<std::string> expected = {
        "ShowCursor(true)", "CloseDisplay", "ScreenSaverRunning(false)", "StopMidi",
        "CloseOtherForms", "UnloadSceneWindow",
        // the unload handler, inside the window's unload
        "StopMidi", "ShowCursor(true)", "StopAllWaves", "EndProcess"};
    EXPECT_EQ(s.log, expected);
    EXPECT_FALSE(s.host.screenSaverRunning);
    s.log.clear();
    s.form->CloseDown();
    s.form->Form_Click();
    s.Seconds(5);
    EXPECT_TRUE(s.log.empty()) << Join(s.log);
}

TEST(CloseDown, WindowHandlersEndTheSceneAndFocusLossOnlyShowsTheCursor) {
    Scene a;
    a.Seeded();
    a.Load();
    a.form->Form_LostFocus();
    EXPECT_FALSE(a.Ended());
    EXPECT_EQ(a.host.cursorCount, 0);  // hidden once, shown once
    a.form->Form_KeyUp();
    EXPECT_TRUE(a.Ended());

    Scene b;
    b.Seeded();
    b.Load();
    b.form->Form_Click();
    EXPECT_TRUE(b.Ended());
}

}  // namespace
}  // namespace hg::test
