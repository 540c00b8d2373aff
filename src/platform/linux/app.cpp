#include "platform/linux/app.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/linux/scene_window.h"
#include "platform/linux/x_errors.h"

namespace hg {

namespace {

// A signal handler gets no context, so the pipe it writes into is known at namespace scope.
// One process runs one loop.
int signalWriteFd = -1;

void OnSignal(int) {
    if (signalWriteFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = write(signalWriteFd, &byte, 1);
    }
}

// The server went away: there is no screen left to draw on and no way to say so on it.
int OnLostServer(Display*) { _exit(1); }

int64_t MonotonicMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// xscreensaver runs one hack per monitor; only the first of a user's session is heard, or the
// crackles and carols of every screen would play over each other. The lock goes with the
// process, however it ends.
bool ClaimSessionSound(int& fd) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string path = runtime && *runtime
                                 ? std::string(runtime) + "/hearthglow-sound.lock"
                                 : "/tmp/hearthglow-sound-" + std::to_string(getuid()) + ".lock";
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Where no lock can be made, sounding beside another is better than never sounding.
    if (fd < 0) return true;
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

LinuxApp::LinuxApp(Display* display, SettingsStore& store, AppConfig config)
    : display_(display),
      store_(store),
      config_(std::move(config)),
      timers_(MonotonicMs),
      mixer_(ClaimSessionSound(soundLock_)) {
    if (pipe2(signalPipe_, O_CLOEXEC | O_NONBLOCK) == 0) {
        signalWriteFd = signalPipe_[1];
        struct sigaction sa = {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        // xscreensaver ends a hack with SIGTERM; a terminal with SIGINT or SIGHUP.
        for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
    }
}

LinuxApp::~LinuxApp() {
    scene_.reset();
    signalWriteFd = -1;
    for (int fd : signalPipe_)
        if (fd >= 0) close(fd);
    if (soundLock_ >= 0) close(soundLock_);
}

int LinuxApp::Run() {
    Module1 module1(*this, module_);
    module1.Main();
    if (scene_ && !scene_->Usable()) {
        std::fprintf(stderr, "hearthglow: there is no window 0x%lx to draw into\n",
                     static_cast<unsigned long>(config_.options.windowId));
        return 1;
    }
    if (!scene_) return exitCode_;
    Loop();
    return exitCode_;
}

void LinuxApp::Loop() {
    const int xfd = ConnectionNumber(display_);
    while (!quit_) {
        while (!quit_ && XPending(display_)) {
            XEvent e;
            XNextEvent(display_, &e);
            if (scene_) scene_->OnEvent(e);
        }
        if (quit_) break;
        const int wait = timers_.RunDue();
        if (quit_ || XPending(display_)) continue;
        XFlush(display_);
        pollfd fds[2] = {{xfd, POLLIN, 0}, {signalPipe_[0], POLLIN, 0}};
        if (poll(fds, signalPipe_[0] >= 0 ? 2 : 1, wait) < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) {
            char drain[16];
            while (read(signalPipe_[0], drain, sizeof drain) > 0) {
            }
            // The orderly end: sounds stopped and the audio device let go before we leave.
            if (scene_ && !scene_->Form().Closed()) scene_->Form().CloseDown();
            quit_ = true;
        }
    }
}

Rect LinuxApp::DesktopWindowRect() {
    const int screen = DefaultScreen(display_);
    return {0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
}

bool LinuxApp::IsWindow(int32_t handle) {
    XWindowAttributes wa;
    return handle != 0 && XGetWindowAttributes(display_, static_cast<Window>(handle), &wa) != 0;
}

bool LinuxApp::GetClientRect(int32_t handle, Rect& rect) {
    XWindowAttributes wa;
    if (!handle || !XGetWindowAttributes(display_, static_cast<Window>(handle), &wa)) return false;
    rect = {0, 0, wa.width, wa.height};
    return true;
}

void LinuxApp::LoadSceneWindow() {
    if (scene_) return;
    scene_ = std::make_unique<SceneWindow>(
        SceneWindowParts{display_, config_.options, config_.assetDir, config_.soundFont, store_,
                         timers_, mixer_, module_, [this](int exitCode) { Quit(exitCode); }});
    if (!scene_->Usable()) return;
    scene_->Form().Load();
    scene_->PrepareMusic();
}

uintptr_t LinuxApp::SceneWindowHandle() {
    LoadSceneWindow();
    return scene_->Handle();
}

void LinuxApp::ShowSceneWindowTopmost(int32_t width, int32_t height) {
    if (scene_ && scene_->Usable() && !quit_) scene_->ShowTopmost(width, height);
}

void LinuxApp::CloseDownScene() {
    if (scene_ && scene_->Usable()) scene_->Form().CloseDown();
}

int RunHack(const HackOptions& options, SettingsStore& store, std::string assetDir,
            std::string soundFont) {
    const std::string& name = options.display;
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display) {
        const char* env = std::getenv("DISPLAY");
        std::fprintf(stderr, "hearthglow: cannot open display %s\n",
                     !name.empty() ? name.c_str()
                     : env && *env ? env
                                   : "(none: DISPLAY is unset)");
        return 1;
    }
    InstallXErrorHandler();
    XSetIOErrorHandler(OnLostServer);
    int rc = 0;
    {
        LinuxApp app(display, store, AppConfig{options, std::move(assetDir), std::move(soundFont)});
        rc = app.Run();
    }
    XCloseDisplay(display);
    return rc;
}

}  // namespace hg
