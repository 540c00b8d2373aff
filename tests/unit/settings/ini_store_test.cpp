#include "settings/ini_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/settings.h"

namespace hg {
namespace {

namespace fs = std::filesystem;

class IniStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hg-ini-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        path_ = (dir_ / "hearthglow" / "hearthglow.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    void WriteFile(const std::string& text) {
        fs::create_directories(fs::path(path_).parent_path());
        std::ofstream(path_, std::ios::binary) << text;
    }
    std::string FileText() {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Get(const std::string& section, const std::string& name) {
        IniStore fresh(path_);  // what the next run reads
        return fresh.Read(kAppName, section, name, "<absent>");
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(IniStoreTest, AnyTextSurvivesTheRoundTripThroughTheFile) {
    const std::string texts[] = {"Merry Christmas",
                                 "  blanks at both ends  ",
                                 "a=b; c # d [e]",
                                 "\"quoted\"",
                                 "back\\slash",
                                 "two\r\nlines\tand a tab\x01",
                                 "Frohe Weihnachten \xC3\xBC \xE2\x9D\x84",
                                 ""};
    {
        IniStore store(path_);
        for (size_t i = 0; i < std::size(texts); ++i)
            store.Write(kAppName, "Settings", "Value" + std::to_string(i), texts[i]);
    }
    for (size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(Get("Settings", "Value" + std::to_string(i)), texts[i]) << i;
    // Plain values stay readable to a person editing the file.
    EXPECT_NE(FileText().find("Value0=Merry Christmas\n"), std::string::npos) << FileText();
}

TEST_F(IniStoreTest, FirstRunSeedsTheFileAndTheNextRunReadsTheSeeds) {
    {
        IniStore store(path_);
        SeedIfNeeded(store);
    }
    IniStore next(path_);
    SceneSettings s;
    int16_t pwr = 7;
    EXPECT_TRUE(ReadSceneSettings(next, s, pwr));  // PlayMusic seeded 1: the music timer is off
    EXPECT_EQ(s.Message, "Place a message here");
    EXPECT_EQ(s.Vol, -1667);
    EXPECT_EQ(s.ShowFP[5], 1);
    EXPECT_EQ(s.ShowFP[6], 0);
    EXPECT_EQ(pwr, 0);
    EXPECT_EQ(Get("Settings", "SetReg"), "2");
    EXPECT_EQ(Get("Settings", "ShowMsg"), "<absent>");
    // Sections in the order the seeds first name them, the marker written last in its section.
    const std::string text = FileText();
    EXPECT_LT(text.find("[hrthglow]"), text.find("[Settings]"));
    EXPECT_LT(text.find("SoundOn=1"), text.find("SetReg=2"));
}

TEST_F(IniStoreTest, HandEditedFilesReadAsAPersonMeantThem) {
    WriteFile(
        "\xEF\xBB\xBF; written by hand\r\n"
        "[settings]\r\n"
        "  vol =  -2000  \r\n"
        "Message = \"  spaced  \"\r\n"
        "FontSize=\"unterminated\r\n"
        "# a comment=not a value\r\n"
        "garbage line without equals\r\n"
        "=no name\r\n"
        "Vol=-100\r\n"
        "[ Music ]\r\n"
        "MUSIC5=1\r\n");
    EXPECT_EQ(Get("Settings", "Vol"), "-2000");  // the first of two equal names counts
    EXPECT_EQ(Get("Settings", "Message"), "  spaced  ");
    EXPECT_EQ(Get("Settings", "FontSize"), "\"unterminated");
    EXPECT_EQ(Get("Music", "Music5"), "1");
    EXPECT_EQ(Get("Settings", "a comment"), "<absent>");
    EXPECT_EQ(Get("Settings", ""), "<absent>");

    // A value the dialog's slider cannot show reads as the slider starts, as from the registry.
    WriteFile("[Settings]\nSetReg=2\nVol=loud\nMouseSen=99999\n[xmas]\nStockLoc=\n");
    IniStore store(path_);
    SceneSettings s;
    int16_t pwr = 0;
    ReadSceneSettings(store, s, pwr);
    EXPECT_EQ(s.Vol, 0);
    EXPECT_EQ(s.MouseSen, 2);
    EXPECT_EQ(s.StockLoc, 100);

    // Writing keeps the comments and lines it does not understand, and changes only its value.
    store.Write(kAppName, "Settings", "vol", "0");
    EXPECT_EQ(FileText(), "[Settings]\nSetReg=2\nVol=0\nMouseSen=99999\n[xmas]\nStockLoc=\n");
}

TEST_F(IniStoreTest, ChangesByAnotherWriterAreNotLost) {
    IniStore ours(path_);
    ours.Write(kAppName, "Settings", "Vol", "-100");
    {
        IniStore theirs(path_);
        theirs.Write(kAppName, "Settings", "Message", "from the other one, a longer file now");
    }
    ours.Write(kAppName, "Settings", "Vol", "-200");
    EXPECT_EQ(Get("Settings", "Message"), "from the other one, a longer file now");
    EXPECT_EQ(Get("Settings", "Vol"), "-200");
}

TEST_F(IniStoreTest, AFolderThatCannotBeMadeStillSeedsThisRunInMemory) {
    // A file where the folder should be: no user, root included, can write there.
    fs::create_directories(dir_);
    std::ofstream(dir_ / "hearthglow") << "not a folder";
    IniStore store(path_);
    SeedIfNeeded(store);
    EXPECT_EQ(store.Read(kAppName, "xmas", "PlayMusic", "<absent>"), "1");
    EXPECT_FALSE(fs::exists(path_));
}

TEST(IniPath, FollowsTheXdgRules) {
    EXPECT_EQ(DefaultIniPath("/x/conf", "/home/u"), "/x/conf/hearthglow/hearthglow.ini");
    EXPECT_EQ(DefaultIniPath("", "/home/u"), "/home/u/.config/hearthglow/hearthglow.ini");
    EXPECT_EQ(DefaultIniPath("relative", "/home/u"), "/home/u/.config/hearthglow/hearthglow.ini");
    EXPECT_EQ(DefaultIniPath(nullptr, nullptr), "");
}

}  // namespace
}  // namespace hg
