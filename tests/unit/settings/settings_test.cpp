#include "settings/settings.h"

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "support/in_memory_store.h"

namespace hg {
namespace {

TEST(NumberText, BlanksSignsFractionsAndExponents) {
    EXPECT_EQ(TextToInt16(" 3 "), 3);
    EXPECT_EQ(TextToInt16("-1667"), -1667);
    EXPECT_EQ(TextToInt16("+7"), 7);
    EXPECT_EQ(TextToInt16("2.5"), 2);  // half to even
    EXPECT_EQ(TextToInt16("3.5"), 4);
    EXPECT_EQ(TextToInt16("-2.5"), -2);
    EXPECT_EQ(TextToInt16("2.6"), 3);
    EXPECT_EQ(TextToInt16(".5"), 0);
    EXPECT_EQ(TextToInt16("1e2"), 100);
    EXPECT_EQ(TextToInt16("32767"), 32767);
    EXPECT_EQ(TextToInt16("-32768"), -32768);
}

TEST(NumberText, RejectsWhatIsNotANumberOrDoesNotFit) {
    for (const char* bad : {"", "   ", "word", "1.2.3", "3x", "x3", "1e", "--1", ".", "+", "1 2",
                            "99999", "32768", "-32769", "1e400", "nan", "inf"})
        EXPECT_FALSE(TextToInt16(bad).has_value()) << '"' << bad << '"';
    EXPECT_FALSE(TextToInt32("2147483648").has_value());
    EXPECT_EQ(TextToInt32("-2147483648"), INT32_MIN);
}

std::vector<std::string> Names(const InMemoryStore& store) {
    std::vector<std::string> names;
    for (const auto& w : store.Writes()) names.push_back(w.substr(0, w.find('=')));
    return names;
}

TEST(SetRegistry, WritesEverySeedInOrderWithTheMarkerLast) {
    InMemoryStore store;
    SetRegistry(store);
    std::vector<std::string> expected = {"hrthglow\\AndIron", "hrthglow\\RotateCk",
                                         "hrthglow\\RotateT"};
    for (int n = 1; n <= 6; ++n) expected.push_back("hrthglow\\ShowFP" + std::to_string(n));
    for (int n = 3; n <= 6; ++n) expected.push_back("hrthglow\\ShowM" + std::to_string(n));
    for (const char* s :
         {"hrthglow\\Speed", "Settings\\Calendar", "Settings\\CalPos", "Settings\\FontSize",
          "Settings\\Message", "Settings\\MouseSen", "Settings\\SoundOff", "Settings\\Vol",
          "xmas\\Bell1", "xmas\\Bell2", "Settings\\PwrSave", "xmas\\PlayMusic"})
        expected.push_back(s);
    for (int n = 1; n <= 36; ++n) expected.push_back("Music\\Music" + std::to_string(n));
    expected.push_back("xmas\\Poin1");
    expected.push_back("xmas\\Poin2");
    for (int n = 1; n <= 4; ++n) expected.push_back("xmas\\ShowS" + std::to_string(n));
    for (const char* s : {"Settings\\SoundOn", "xmas\\StockLoc", "Settings\\SetReg"})
        expected.push_back(s);
    EXPECT_EQ(Names(store), expected);
    EXPECT_EQ(store.Writes().back(), "Settings\\SetReg=2");
    EXPECT_FALSE(store.Has("Settings", "ShowMsg"));
    EXPECT_EQ(store.Read(kAppName, "Settings", "Vol", ""), "-1667");
    EXPECT_EQ(store.Read(kAppName, "Settings", "Message", ""), "Place a message here");
    EXPECT_EQ(store.Read(kAppName, "hrthglow", "ShowFP6", ""), "0");
    EXPECT_EQ(store.Read(kAppName, "xmas", "StockLoc", ""), "19");
}

TEST(SetRegistry, RunsOnlyWhenTheMarkerIsNotTwo) {
    for (const char* marker : {"", "1", "3", "2.6", "word"}) {
        InMemoryStore store;
        if (*marker) store.Write(kAppName, "Settings", "SetReg", marker);
        store.Write(kAppName, "hrthglow", "Speed", "42");
        store.ClearWriteLog();
        SeedIfNeeded(store);
        EXPECT_EQ(store.Read(kAppName, "hrthglow", "Speed", ""), "100") << marker;
    }
    InMemoryStore store;
    store.Write(kAppName, "Settings", "SetReg", " 2 ");
    store.ClearWriteLog();
    SeedIfNeeded(store);
    EXPECT_TRUE(store.Writes().empty());
}

TEST(SceneSettingsRead, SeededStoreGivesTheFirstRunScene) {
    InMemoryStore store;
    SetRegistry(store);
    SceneSettings s;
    int16_t pwr = 99;
    bool musicOff = ReadSceneSettings(store, s, pwr);
    EXPECT_TRUE(musicOff);
    EXPECT_EQ(s.InstallFolder, "C:\\Tallowmere\\hrthglow\\");
    EXPECT_EQ(s.ShowMsg, 1);  // not seeded: the scene default
    EXPECT_EQ(s.Message, "Place a message here");
    EXPECT_EQ(s.FontSize, 18);
    EXPECT_EQ(s.CalPos, 1);
    EXPECT_EQ(s.Calendar, 0);
    EXPECT_EQ(pwr, 0);
    EXPECT_EQ(s.MouseSen, 4);
    EXPECT_EQ(s.CurrentFP, 1);
    EXPECT_TRUE(s.AnyFPShown);
    EXPECT_EQ(s.ShowFP[6], 0);
    EXPECT_EQ(s.RotateCk, 1);
    EXPECT_EQ(s.RotateT, 1);
    EXPECT_EQ(s.Speed, 100);
    EXPECT_EQ(s.Vol, -1667);
    EXPECT_EQ(s.SoundOn, 1);
    EXPECT_EQ(s.SoundOff, "Never");
    EXPECT_EQ(s.StockLoc, 19);
    EXPECT_EQ(s.Bell[1], "0");
    EXPECT_EQ(s.PlayMusic, 1);
    for (int n = 1; n <= 36; ++n) EXPECT_EQ(s.Music[n], 0);
    EXPECT_EQ(s.Music[0], 0);
}

TEST(SceneSettingsRead, AbsentValuesTakeTheSceneDefaults) {
    InMemoryStore store;
    store.Write(kAppName, "Settings", "SetReg", "2");
    SceneSettings s;
    int16_t pwr = 5;
    bool musicOff = ReadSceneSettings(store, s, pwr);
    EXPECT_EQ(s.Message, "1");
    EXPECT_EQ(s.FontSize, 1);
    // The defaults 1 lie outside the sliders: read as the sliders show them.
    EXPECT_EQ(s.MouseSen, 2);
    EXPECT_EQ(s.StockLoc, 2);
    EXPECT_EQ(s.Speed, 50);
    EXPECT_EQ(s.Vol, 0);
    EXPECT_EQ(s.SoundOff, "1");
    EXPECT_EQ(s.Bell[2], "1");
    for (int n = 1; n <= 36; ++n) EXPECT_EQ(s.Music[n], 1);
    EXPECT_EQ(s.CurrentFP, 1);
    // The empty defaults of PwrSave and PlayMusic read as the dialog's clear boxes: power saving
    // allowed, and the carols play.
    EXPECT_EQ(pwr, 0);
    EXPECT_EQ(s.PlayMusic, 0);
    EXPECT_FALSE(musicOff);
}

TEST(SceneSettingsRead, HandEditedValuesStillGiveASensibleScene) {
    InMemoryStore store;
    SetRegistry(store);
    store.Write(kAppName, "Settings", "MouseSen", " 3 ");
    store.Write(kAppName, "Settings", "FontSize", "2.5");
    store.Write(kAppName, "Settings", "SoundOff", "soon");
    store.Write(kAppName, "xmas", "PlayMusic", "0");
    store.Write(kAppName, "xmas", "StockLoc", "");
    SceneSettings s;
    int16_t pwr = 0;
    EXPECT_FALSE(ReadSceneSettings(store, s, pwr));
    EXPECT_EQ(s.MouseSen, 3);
    EXPECT_EQ(s.FontSize, 2);
    EXPECT_EQ(s.SoundOff, "Never");
    EXPECT_EQ(s.StockLoc, 100);  // emptied: the slider's starting place, not the seed
}

TEST(SceneSettingsRead, StyleDerivations) {
    InMemoryStore store;
    SetRegistry(store);
    store.Write(kAppName, "hrthglow", "ShowFP1", "0");
    SceneSettings s;
    int16_t pwr = 0;
    ReadSceneSettings(store, s, pwr);
    EXPECT_EQ(s.CurrentFP, 2);

    for (int n = 1; n <= 6; ++n)
        store.Write(kAppName, "hrthglow", "ShowFP" + std::to_string(n), "0");
    SceneSettings none;
    ReadSceneSettings(store, none, pwr);
    EXPECT_EQ(none.CurrentFP, 0);
    EXPECT_FALSE(none.AnyFPShown);
    EXPECT_EQ(none.RotateCk, 0);

    // A value of 2 enables nothing, so rotation must not run with nothing to show.
    store.Write(kAppName, "hrthglow", "ShowFP4", "2");
    SceneSettings odd;
    ReadSceneSettings(store, odd, pwr);
    EXPECT_EQ(odd.CurrentFP, 0);
    EXPECT_EQ(odd.RotateCk, 0);
}

TEST(SceneSettingsRead, SoundOffZeroBecomesNeverAndBellsStayText) {
    InMemoryStore store;
    SetRegistry(store);
    store.Write(kAppName, "Settings", "SoundOff", "15");
    store.Write(kAppName, "xmas", "Bell1", "1");
    store.Write(kAppName, "xmas", "Poin2", " 1.0");
    SceneSettings s;
    int16_t pwr = 0;
    ReadSceneSettings(store, s, pwr);
    EXPECT_EQ(s.SoundOff, "15");
    EXPECT_EQ(s.Bell[1], "1");
    EXPECT_EQ(s.Poin[2], " 1.0");
    store.Write(kAppName, "Settings", "SoundOff", " 0.0 ");
    ReadSceneSettings(store, s, pwr);
    EXPECT_EQ(s.SoundOff, "Never");
}

}  // namespace
}  // namespace hg
