#include <gtest/gtest.h>

#include "startup/module1.h"
#include "support/fakes.h"

namespace hg {
namespace {

TEST(CommandLine, ModeIsTheFirstTwoCharactersAfterTrimAndLowerCase) {
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/S")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("   /s   ")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/s anything")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("  ")), Mode::Scene);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/p 1234")), Mode::Preview);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/c:5678")), Mode::Configure);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/C")), Mode::Configure);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/a")), Mode::Password);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("-s")), Mode::None);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/x")), Mode::None);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("/")), Mode::None);
    EXPECT_EQ(ModeOf(NormaliseCommandLine("s")), Mode::None);
}

TEST(CommandLine, PreviewHandleIsTheLongestNumericTail) {
    EXPECT_EQ(PreviewHandleOf("/p 1234"), 1234);
    EXPECT_EQ(PreviewHandleOf("/p:1234"), 1234);
    EXPECT_EQ(PreviewHandleOf("/p1234"), 1234);
    EXPECT_EQ(PreviewHandleOf("/p -42"), -42);
    EXPECT_EQ(PreviewHandleOf("/p 12.5"), 12);
    EXPECT_EQ(PreviewHandleOf("/p 1e3"), 1000);
    EXPECT_FALSE(PreviewHandleOf("/p").has_value());
    EXPECT_FALSE(PreviewHandleOf("/p abc").has_value());
    EXPECT_FALSE(PreviewHandleOf("").has_value());
    // Too big for a handle: no handle at all, not a shorter tail of it.
    EXPECT_FALSE(PreviewHandleOf("/p 99999999999").has_value());
    EXPECT_EQ(PreviewHandleOf("/p 2147483647"), 2147483647);
}

class FakeStartup : public StartupHost {
  public:
    std::string CommandLineArguments() override { return args; }
    uintptr_t FindTopLevelWindow(const std::string& title) override {
        log.push_back("Find(" + title + ")");
        return title == openTitle ? 777 : 0;
    }
    bool PreviousInstance() override {
        if (instances) return (*instances)++ > 0;
        return previous;
    }
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
    void ShowSetup() override { log.push_back("Setup"); }
    void RequestPasswordChange(uintptr_t owner) override {
        log.push_back("Password(" + std::to_string(owner) + ")");
    }
    void CloseDownScene() override { log.push_back("CloseDown"); }

    std::string args;
    std::string openTitle;
    bool previous = false;
    int* instances = nullptr;  // shared by the processes of one machine; none are ever ended
    std::vector<std::string> log;

    std::vector<std::string> Actions() const {
        std::vector<std::string> out;
        for (const auto& e : log)
            if (e.rfind("Find(", 0) != 0) out.push_back(e);
        return out;
    }
};

std::vector<std::string> RunMain(FakeStartup& host, Module1State* stateOut = nullptr) {
    Module1State state;
    Module1 m(host, state);
    m.Main();
    if (stateOut) *stateOut = state;
    return host.Actions();
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
    EXPECT_EQ(RunMain(empty), (V{"LoadScene", "Topmost(1920x1080)", "Running"}));

    FakeStartup preview;
    preview.args = "/p 1234";
    EXPECT_EQ(RunMain(preview, &state), (V{"Preview(1234,152x112)"}));
    EXPECT_EQ(state.PreviewParent, 1234);

    FakeStartup config;
    config.args = "/c:4321";
    EXPECT_EQ(RunMain(config), (V{"Setup"}));

    FakeStartup password;
    password.args = "/a";
    EXPECT_EQ(RunMain(password), (V{"SceneHandle", "Password(55)", "CloseDown"}));

    FakeStartup other;
    other.args = "/x";
    EXPECT_TRUE(RunMain(other).empty());
}

TEST(Main, SecondSceneIsRefusedUnlessASettingsWindowIsOpen) {
    FakeStartup refused;
    refused.args = "/s";
    refused.previous = true;
    EXPECT_TRUE(RunMain(refused).empty());
    for (const char* title : {"Display Properties", "Screen Saver Settings"}) {
        FakeStartup allowed;
        allowed.args = "/s";
        allowed.previous = true;
        allowed.openTitle = title;
        EXPECT_EQ(RunMain(allowed).front(), "LoadScene") << title;
    }
    // Only "/s" is subject to the rule.
    FakeStartup config;
    config.args = "/c";
    config.previous = true;
    EXPECT_EQ(RunMain(config), std::vector<std::string>{"Setup"});
}

// Windows starts "/s" on idle while another of our processes runs in some mode.
TEST(Main, AScreenSaverStartFindsAnInstanceOfEveryMode) {
    for (const char* first : {"", "/s", "/c", "/p 1234", "/a"}) {
        int instances = 0;
        FakeStartup running;
        running.args = first;
        running.instances = &instances;
        RunMain(running);
        FakeStartup idle;
        idle.args = "/s";
        idle.instances = &instances;
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
