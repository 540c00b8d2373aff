#include "platform/linux/hack_options.h"

#include <gtest/gtest.h>

#include <tuple>

#include "settings/settings.h"
#include "support/in_memory_store.h"

namespace hg {
namespace {

using Args = std::vector<std::string>;

HackOptions Parsed(const Args& args, const char* env = nullptr) {
    HackParse p = ParseHackOptions(args, env);
    EXPECT_TRUE(p.options.has_value()) << p.error;
    return p.options.value_or(HackOptions{});
}

TEST(HackOptions, TheTargetFollowsTheXscreensaverConventions) {
    EXPECT_EQ(Parsed({}).target, HackTarget::OwnWindow);
    EXPECT_EQ(Parsed({"-root"}).target, HackTarget::Root);
    EXPECT_EQ(Parsed({"--root"}).target, HackTarget::Root);
    HackOptions id = Parsed({"-window-id", "0x1a00007"});
    EXPECT_EQ(id.target, HackTarget::ForeignWindow);
    EXPECT_EQ(id.windowId, 0x1a00007u);
    EXPECT_EQ(Parsed({"--window-id", "4242"}).windowId, 4242u);

    // The variable names the window when the command line names none, and when it asks for
    // the root, as xscreensaver starts its hacks (--root with its window in the variable);
    // an explicit -window or -window-id still wins.
    for (const Args& args : {Args{"-no-sound"}, Args{"--root"}, Args{"-root", "-no-sound"}}) {
        HackOptions fromEnv = Parsed(args, "0x400001");
        EXPECT_EQ(fromEnv.target, HackTarget::ForeignWindow) << args[0];
        EXPECT_EQ(fromEnv.windowId, 0x400001u) << args[0];
    }
    EXPECT_EQ(Parsed({"-window"}, "0x400001").target, HackTarget::OwnWindow);
    EXPECT_EQ(Parsed({"-window-id", "0x77"}, "0x400001").windowId, 0x77u);
    EXPECT_EQ(Parsed({"-root"}, "rubbish").target, HackTarget::Root);
    EXPECT_EQ(Parsed({}, "rubbish").target, HackTarget::OwnWindow);
    EXPECT_EQ(Parsed({"-display", ":7"}).display, ":7");
}

TEST(HackOptions, WrongCommandLinesAreRefusedWithTheReason) {
    for (const Args& bad :
         {Args{"-bogus"}, Args{"/s"}, Args{"-window-id"}, Args{"-window-id", "0"},
          Args{"-window-id", "0xZZ"}, Args{"-window-id", "99999999999"}, Args{"-volume", "-2501"},
          Args{"-volume", "loud"}, Args{"-volume"}, Args{"-speed", "100.5"},
          Args{"-rotate-minutes", "11"}, Args{"-calendar-corner", "4"}, Args{"-sound-off", "7"},
          Args{"-tracks", "0"}, Args{"-tracks", "1,,2"}, Args{"-tracks", "37"},
          Args{"-no-volume"}}) {
        HackParse p = ParseHackOptions(bad, nullptr);
        EXPECT_FALSE(p.options.has_value()) << bad[0];
        EXPECT_FALSE(p.error.empty()) << bad[0];
    }
}

TEST(HackOptions, SettingsOptionsOverrideTheStoreForThisRunOnly) {
    InMemoryStore file;
    SetRegistry(file);
    HackOptions o = Parsed({"-no-style1",
                            "-style6",
                            "-no-rotate",
                            "-rotate-minutes",
                            "15",
                            "-message",
                            "Hello there",
                            "-calendar",
                            "-calendar-corner",
                            "3",
                            "-stocking2",
                            "-bell-right",
                            "-poinsettia-left",
                            "-no-sound",
                            "-volume",
                            "-2500",
                            "-music",
                            "-tracks",
                            "3,30",
                            "-speed",
                            "25"});
    OverrideStore store(file, o.overrides);
    SceneSettings s;
    int16_t pwr = 0;
    bool musicTimerOff = ReadSceneSettings(store, s, pwr);
    EXPECT_FALSE(musicTimerOff);
    EXPECT_EQ(s.ShowFP[1], 0);
    EXPECT_EQ(s.ShowFP[6], 1);
    EXPECT_EQ(s.CurrentFP, 2);
    EXPECT_EQ(s.RotateCk, 0);
    EXPECT_EQ(s.RotateT, 15);
    EXPECT_EQ(s.Message, "Hello there");
    EXPECT_EQ(s.Calendar, 1);
    EXPECT_EQ(s.CalPos, 3);
    EXPECT_EQ(s.ShowS[2], 1);
    EXPECT_EQ(s.ShowS[1], 0);
    EXPECT_EQ(s.Bell[2], "1");
    EXPECT_EQ(s.Poin[1], "1");
    EXPECT_EQ(s.SoundOn, 0);
    EXPECT_EQ(s.Vol, -2500);
    EXPECT_EQ(s.Speed, 25);
    for (int n = 1; n <= 36; ++n) EXPECT_EQ(s.Music[n], n == 3 || n == 30 ? 1 : 0) << n;
    // Nothing reaches the file.
    EXPECT_EQ(file.Read(kAppName, "Settings", "Message", ""), "Place a message here");
    EXPECT_EQ(file.Read(kAppName, "xmas", "PlayMusic", ""), "1");

    // The later of two options for one value wins; "all" checks every track.
    OverrideStore again(file, Parsed({"-music", "-no-music", "-tracks", "all"}).overrides);
    EXPECT_TRUE(ReadSceneSettings(again, s, pwr));
    EXPECT_EQ(s.Music[36], 1);
}

// xscreensaver's settings program passes only what differs from its controls' defaults, so a
// file edited by hand must not decide what a control at its default shows.
TEST(HackOptions, UnderXscreensaverASettingNoOptionNamesTakesItsFirstRunValue) {
    InMemoryStore file;
    SetRegistry(file);
    for (auto [section, name, value] : {std::tuple{"xmas", "PlayMusic", "0"},
                                        {"hrthglow", "Speed", "40"},
                                        {"hrthglow", "ShowFP1", "0"},
                                        {"Settings", "ShowMsg", "0"},
                                        {"Settings", "Message", "x"},
                                        {"Music", "Music4", "1"}})
        file.Write(kAppName, section, name, value);
    SceneSettings s;
    int16_t pwr = 0;

    OverrideStore underXss(file, Parsed({"--root", "-stocking1"}, "0x400001").overrides);
    EXPECT_TRUE(ReadSceneSettings(underXss, s, pwr)) << "the file's PlayMusic=0 was heard";
    EXPECT_EQ(s.Speed, 100);
    EXPECT_EQ(s.ShowFP[1], 1);
    EXPECT_EQ(s.ShowMsg, 1);
    EXPECT_EQ(s.Message, "Place a message here");
    EXPECT_EQ(s.ShowS[1], 1);
    // The tracks have no control there: the file's list still counts.
    EXPECT_EQ(s.Music[4], 1);

    OverrideStore alone(file, Parsed({"-root", "-stocking1"}).overrides);
    EXPECT_FALSE(ReadSceneSettings(alone, s, pwr));
    EXPECT_EQ(s.Speed, 40);
    EXPECT_EQ(s.ShowFP[1], 0);
    EXPECT_EQ(s.Message, "x");
}

}  // namespace
}  // namespace hg
