#include <gtest/gtest.h>

#include "startup/module1.h"
#include "support/fakes.h"

namespace hg {
namespace {

TEST(CommandLine, ModeIsTheFirstTwoCharactersAfterTrimAndLowerCase) {
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/S")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("   /s   ")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/s anything")), Mode::Scene);
    // No switch is Explorer's Configure.
    EXPECT_EQ(ModeOf(NormaliseCommandLine("")), Mode::Configure);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("  ")), Mode::Configure);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/p 1234")), Mode::Preview);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/c:5678")), Mode::Configure);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/C")), Mode::Configure);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/a")), Mode::Password);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("-s")), Mode::None);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/x")), Mode::None);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/")), Mode::None);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("s")), Mode::None);
}

TEST(CommandLine, WindowHandleIsTheLongestNumericTail) {
    EXPECT_EQ(WindowHandleOf("/p 1234"), 1234);
    EXPECT_EQ(WindowHandleOf("/p:1234"), 1234);
    EXPECT_EQ(WindowHandleOf("/p1234"), 1234);
    EXPECT_EQ(WindowHandleOf("/p -42"), -42);
    EXPECT_EQ(WindowHandleOf("/p 12.5"), 12);
    EXPECT_EQ(WindowHandleOf("/p 1e3"), 1000);
    EXPECT_FALSE(WindowHandleOf("/p").has_value());
    EXPECT_FALSE(WindowHandleOf("/p abc").has_value());
    EXPECT_FALSE(WindowHandleOf("").has_value());
    // Too big for a handle: no handle at all, not a shorter tail of it.
    EXPECT_FALSE(WindowHandleOf("/p 99999999999").has_value());
    EXPECT_EQ(WindowHandleOf("/p 2147483647"), 2147483647);
    EXPECT_EQ(WindowHandleOf("/c:5678"), 5678);
}

// What the processes of one machine share; none of them ever ends.
struct Machine {
    int instances = 0;
    bool sceneClaimed = false;
};

class FakeStartup : public StartupHost {
  public:
    std::string CommandLineArguments() override { return args; }
    bool PreviousInstance() override {
        if (machine) return machine->instances++ > 0;
        return previous;
    }
    bool ClaimScene() override {
        if (!machine) return !otherScene;
        if (machine->sceneClaimed) return false;
        machine->sceneClaimed = true;
        return true;
    }
    bool SettingsWindowShowsUs() override { return shownBySettingsWindow; }
    Rect DesktopWindowRect() override { return {0, 0, 1920, 1080}; }
    bool IsWindow(int32_t h) override { return h == 1234; }
    bool GetClientRect(int32_t h, Rect& r) override {
        if (h != 1234) return false;
        r = {0, 0, 152, 112};
        return true;
    }
    void LoadSceneWindow() override { log.push_back("LoadScene"); }
    uintptr_t SceneWindowHandle() override {
        log.push_back("SceneHandle");
        return 55;
    }
    void ShowSceneWindowTopmost(int32_t w, int32_t h) override {
        log.push_back("Topmost(" + std::to_string(w) + "x" + std::to_string(h) + ")");
    }
    void SetScreenSaverRunning(bool r) override { log.push_back(r ? "Running" : "NotRunning"); }
    void ShowPreview(int32_t p, int32_t w, int32_t h) override {
        log.push_back("Preview(" + std::to_string(p) + "," + std::to_string(w) + "x" +
                      std::to_string(h) + ")");
    }
    void ShowSetup(int32_t owner) override {
        log.push_back("Setup(" + std::to_string(owner) + ")");
    }
    void RequestPasswordChange(uintptr_t owner) override {
        log.push_back("Password(" + std::to_string(owner) + ")");
    }
    void CloseDownScene() override { log.push_back("CloseDown"); }

    std::string args;
    bool previous = false;
    bool otherScene = false;
    bool shownBySettingsWindow = false;
    Machine* machine = nullptr;
    std::vector<std::string> log;
};

std::vector<std::string> RunMain(FakeStartup& host, Module1State* stateOut = nullptr) {
    Module1State state;
    Module1 m(host, state);
    m.Main();
    if (stateOut) *stateOut = state;
    return host.log;
}

TEST(Main, DispatchesEachMode) {
    using V = std::vector<std::string>;
    FakeStartup scene;
    scene.args = " /S ";
    Module1State state;
    EXPECT_EQ(RunMain(scene, &state), (V{"LoadScene", "Topmost(1920x1080)", "Running"}));
    EXPECT_EQ(state.PreviewRect.right, 1920);

    FakeStartup empty;
    empty.previous = true;  // an empty command line is never refused
    EXPECT_EQ(RunMain(empty), (V{"Setup(0)"}));

    FakeStartup preview;
    preview.args = "/p 1234";
    EXPECT_EQ(RunMain(preview, &state), (V{"Preview(1234,152x112)"}));
    EXPECT_EQ(state.PreviewParent, 1234);

    // The dialog belongs to the window its command line names, and only to a window.
    for (const auto& [args, owner] :
         {std::pair{"/c:1234", 1234}, {"/c 1234", 1234}, {"/c:4321", 0}, {"/c", 0}, {"/c:x", 0}}) {
        FakeStartup config;
        config.args = args;
        EXPECT_EQ(RunMain(config), (V{"Setup(" + std::to_string(owner) + ")"})) << args;
    }

    FakeStartup password;
    password.args = "/a";
    EXPECT_EQ(RunMain(password), (V{"SceneHandle", "Password(55)", "CloseDown"}));

    FakeStartup other;
    other.args = "/x";
    EXPECT_TRUE(RunMain(other).empty());
}

TEST(Main, ASceneBesideOursRunsOnlyWhileASettingsWindowShowsUs) {
    FakeStartup alone;
    alone.args = "/s";
    alone.previous = true;
    EXPECT_TRUE(RunMain(alone).empty());

    // The Preview button beside our preview, or beside the dialog the settings window owns.
    FakeStartup preview;
    preview.args = "/s";
    preview.previous = true;
    preview.shownBySettingsWindow = true;
    EXPECT_EQ(RunMain(preview).front(), "LoadScene");

    // Never beside another scene, whatever window is open.
    FakeStartup twice;
    twice.args = "/s";
    twice.previous = true;
    twice.shownBySettingsWindow = true;
    twice.otherScene = true;
    EXPECT_TRUE(RunMain(twice).empty());

    // Only "/s" is subject to the rule.
    FakeStartup config;
    config.args = "/c";
    config.previous = true;
    config.otherScene = true;
    EXPECT_EQ(RunMain(config), std::vector<std::string>{"Setup(0)"});
}

// Windows starts "/s" on idle while another of our processes runs in some mode.
TEST(Main, AScreenSaverStartFindsAnInstanceOfEveryMode) {
    for (const char* first : {"", "/s", "/c", "/p 1234", "/a"}) {
        Machine machine;
        FakeStartup running;
        running.args = first;
        running.machine = &machine;
        RunMain(running);
        FakeStartup idle;
        idle.args = "/s";
        idle.machine = &machine;
        EXPECT_TRUE(RunMain(idle).empty()) << "beside \"" << first << "\"";
    }
}

TEST(Main, PreviewWithoutAUsableHostShowsNothing) {
    for (const char* args : {"/p", "/p 99", "/p 99999999999", "/p:x"}) {
        FakeStartup host;
        host.args = args;
        EXPECT_TRUE(RunMain(host).empty()) << args;
    }
}

}  // namespace
}  // namespace hg
