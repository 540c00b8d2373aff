#pragma once
// Fakes for the scene window's platform, clock, timers and controls. They write every call into
// one shared log, so a test can check the order of calls across all of them.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "scene/form1.h"
#include "support/in_memory_store.h"

namespace hg::test {

using CallLog = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;

inline std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : " ") + p;
    return out;
}

// Position of the first entry that starts with `prefix`, or -1.
inline int IndexOf(const CallLog& log, const std::string& prefix) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}

inline int CountOf(const CallLog& log, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
}

// Delivers timer ticks from a fake millisecond clock: advancing by ten minutes takes no time.
class FakeTimers : public TimerDriver {
  public:
    void TimerChanged(Timer& timer) override {
        Entry& e = entries_[&timer];
        e.timer = &timer;
        if (timer.Enabled()) {
            // Enabling, or changing the interval, starts a fresh period.
            e.due = now_ + std::max(1, timer.Interval());
            e.armed = true;
        } else {
            e.armed = false;
        }
    }
    void TimerDestroyed(Timer& timer) override { entries_.erase(&timer); }

    // Runs every tick that falls due up to now + ms, in time order.
    void Advance(int64_t ms) {
        const int64_t end = now_ + ms;
        for (;;) {
            Entry* next = nullptr;
            for (auto& [t, e] : entries_)
                if (e.armed && e.due <= end && (!next || e.due < next->due)) next = &e;
            if (!next) break;
            now_ = next->due;
            next->due = now_ + std::max(1, next->timer->Interval());
            next->timer->Tick();
            if (stopped_) return;
        }
        now_ = end;
    }
    int64_t Now() const { return now_; }
    void Stop() { stopped_ = true; }
    // Whether the form's timer of this name is running, as the platform sees it.
    bool Enabled(const std::string& name) const { return Find(name).armed; }
    int Interval(const std::string& name) const { return Find(name).timer->Interval(); }

  private:
    struct Entry {
        Timer* timer = nullptr;
        int64_t due = 0;
        bool armed = false;
    };
    const Entry& Find(const std::string& name) const {
        for (const auto& [t, e] : entries_)
            if (name == t->Name()) return e;
        throw std::out_of_range("no timer " + name);
    }

    std::map<Timer*, Entry> entries_;
    int64_t now_ = 0;
    bool stopped_ = false;
};

class FakeHost : public SceneHost, public Clock {
  public:
    explicit FakeHost(CallLog& log) : log_(log) {}
    void HookSceneWindow() override { log_.push_back("HookSceneWindow"); }
    void ShowCursor(bool show) override {
        log_.push_back(show ? "ShowCursor(true)" : "ShowCursor(false)");
        cursorCount += show ? 1 : -1;
    }
    void SetScreenSaverRunning(bool running) override {
        log_.push_back(running ? "ScreenSaverRunning(true)" : "ScreenSaverRunning(false)");
        screenSaverRunning = running;
    }
    void HideSceneWindow() override { log_.push_back("HideSceneWindow"); }
    void ShowCriticalMessage(const std::string& title, const std::string& text) override {
        log_.push_back("Message(" + title + ")");
        messageTitle = title;
        messageText = text;
        if (whileMessageShown) whileMessageShown();  // the message box's own message loop
    }
    void CloseOtherForms() override { log_.push_back("CloseOtherForms"); }
    void UnloadSceneWindow() override {
        log_.push_back("UnloadSceneWindow");
        if (form && !unloaded) {
            unloaded = true;
            form->Form_Unload();
        }
    }
    void EndProcess() override {
        log_.push_back("EndProcess");
        ended = true;
        if (timers) timers->Stop();
    }
    // Power: the user was last seen at `lastInputMs` on the fake clock.
    int64_t IdleMilliseconds() override { return (timers ? timers->Now() : 0) - lastInputMs; }
    int64_t SleepTimeoutSeconds() override { return sleepTimeoutSeconds; }
    void HoldDisplayAndSystem(bool hold) override {
        log_.push_back(hold ? "HoldDisplayAndSystem(true)" : "HoldDisplayAndSystem(false)");
        holdingPower = hold;
    }

    // Clock: a settable time of day, or one that follows the fake timers.
    double TimeOfDay() override {
        if (timers && followTimers) {
            double t = timeOfDayAtStart + timers->Now() / 1000.0;
            while (t >= 86400) t -= 86400;
            return t;
        }
        return timeOfDay;
    }
    std::string WeekdayText() override { return weekday; }
    std::string DayText() override { return day; }
    std::string MonthText() override { return month; }
    std::string LongTimeText() override { return longTime; }

    // The calendar's texts as the system would give them now; a test moves them on.
    std::string weekday = "Monday", day = "7", month = "Dec", longTime = "5:21:31 AM";
    Form1* form = nullptr;
    FakeTimers* timers = nullptr;
    bool followTimers = true;
    double timeOfDayAtStart = 12 * 3600;
    double timeOfDay = 12 * 3600;
    int cursorCount = 0;
    bool screenSaverRunning = true;
    bool unloaded = false;
    bool ended = false;
    std::string messageTitle, messageText;
    std::function<void()> whileMessageShown;
    int64_t lastInputMs = 0;
    int64_t sleepTimeoutSeconds = 0;
    bool holdingPower = false;

  private:
    CallLog& log_;
};

class FakeDDrw : public TegoDDrw {
  public:
    explicit FakeDDrw(CallLog& log) : log_(log) {}
    void SetVisible(bool visible) override { log_.push_back("DDrw.Visible"); }
    void HoldFrames(bool held) override {
        log_.push_back(held ? "HoldFrames(true)" : "HoldFrames(false)");
    }
    bool OpenDisplay(int w, int h, int bpp, const std::string& s) override {
        log_.push_back("OpenDisplay(" + std::to_string(w) + "," + std::to_string(h) + "," +
                       std::to_string(bpp) + ",\"" + s + "\")");
        return openSucceeds;
    }
    void CloseDisplay() override { log_.push_back("CloseDisplay"); }
    int32_t NewSurface() override {
        log_.push_back("NewSurface");
        return ++lastSurface;
    }
    void LoadSurfaceFrame(int32_t s, int32_t f, const std::string& path, int32_t key) override {
        log_.push_back("Load(" + std::to_string(s) + "," + std::to_string(f) + "," + path + "," +
                       std::to_string(key) + ")");
        files[s].push_back(path);
    }
    void SetSurfaceX(int32_t s, int32_t x) override {
        log_.push_back("X(" + std::to_string(s) + "," + std::to_string(x) + ")");
        xs[s] = x;
    }
    void SetSurfaceY(int32_t s, int32_t y) override {
        log_.push_back("Y(" + std::to_string(s) + "," + std::to_string(y) + ")");
        ys[s] = y;
    }
    void SetSurfaceFrame(int32_t s, int32_t f) override {
        log_.push_back("Frame(" + std::to_string(s) + "," + std::to_string(f) + ")");
    }
    void SetSurfaceSpeed(int32_t s, int32_t v) override {
        log_.push_back("Speed(" + std::to_string(s) + "," + std::to_string(v) + ")");
    }
    void ClearBackBuffer(Colour c) override { log_.push_back("Clear(" + std::to_string(c) + ")"); }
    bool IsSurfaceLost(int32_t s) override {
        log_.push_back("IsLost(" + std::to_string(s) + ")");
        return lost;
    }
    void RestoreSurface(int32_t s) override {
        log_.push_back("Restore(" + std::to_string(s) + ")");
    }
    void DrawSurface(int32_t s) override {
        if (failingDraws > 0) {
            --failingDraws;
            throw std::bad_alloc();
        }
        log_.push_back("Draw(" + std::to_string(s) + ")");
        drawn.push_back(s);
    }
    void DrawSoon(int32_t s) override { soon.push_back(s); }
    void GoesSoon(int32_t s) override { going.push_back(s); }
    void SetTextFont(const std::string& face, int32_t size, int32_t n, bool a, bool b,
                     bool c) override {
        log_.push_back("Font(" + face + "," + std::to_string(size) + "," + std::to_string(n) +
                       (a || b || c ? ",flag" : "") + ")");
    }
    void DrawTextAt(const std::string& text, int32_t x, int32_t y, Colour c) override {
        log_.push_back("Text(" + text + "," + std::to_string(x) + "," + std::to_string(y) + "," +
                       std::to_string(c) + ")");
    }
    void FlipDisplay() override { log_.push_back("Flip"); }

    TegoDDrwEvents* Events() const { return events_; }

    bool openSucceeds = true;
    bool lost = false;
    int failingDraws = 0;  // the next draws run out of memory
    int32_t lastSurface = 0;
    std::map<int32_t, std::vector<std::string>> files;
    std::map<int32_t, int32_t> xs, ys;
    std::vector<int32_t> drawn;
    std::vector<int32_t> soon;   // DrawSoon's surfaces
    std::vector<int32_t> going;  // GoesSoon's

  private:
    CallLog& log_;
};

class FakeDS : public TegoDS {
  public:
    explicit FakeDS(CallLog& log) : log_(log) {}
    void SetVisible(bool) override { log_.push_back("DS.Visible"); }
    int32_t LoadWave(const std::string& path) override {
        log_.push_back("LoadWave(" + path + ")");
        return ++lastBuffer;
    }
    void DropWave(int32_t b) override {
        log_.push_back("DropWave(" + std::to_string(b) + ")");
        playing.erase(b);
    }
    void PlayWaveLooped(int32_t b) override {
        log_.push_back("PlayWaveLooped(" + std::to_string(b) + ")");
        playing[b] = true;
    }
    void StopAllWaves() override {
        log_.push_back("StopAllWaves");
        playing.clear();
    }
    void SetWaveVolume(int32_t b, int32_t v) override {
        log_.push_back("SetWaveVolume(" + std::to_string(b) + "," + std::to_string(v) + ")");
    }
    void TuneWave(int32_t b, int32_t v) override {
        log_.push_back("TuneWave(" + std::to_string(b) + "," + std::to_string(v) + ")");
    }
    bool AnyPlaying() const { return !playing.empty(); }

    int32_t lastBuffer = 0;
    std::map<int32_t, bool> playing;

  private:
    CallLog& log_;
};

// A music control whose tracks last a fixed time on the fake clock.
class FakeSnd : public TegoSnd {
  public:
    FakeSnd(CallLog& log, FakeTimers& timers) : log_(log), timers_(timers) {}
    void SetVisible(bool) override { log_.push_back("Snd.Visible"); }
    void PlayMidiFile(const std::string& path, int32_t a, int32_t b) override {
        log_.push_back("PlayMidiFile(" + path + "," + std::to_string(a) + "," + std::to_string(b) +
                       ")");
        auto slash = path.rfind("midi");
        played.push_back(std::stoi(path.substr(slash + 4)));
        endsAt = timers_.Now() + trackMs;
    }
    void StopMidi() override {
        log_.push_back("StopMidi");
        endsAt = -1;
    }
    bool IsMidiPlaying() override { return endsAt >= 0 && timers_.Now() < endsAt; }

    std::vector<int> played;
    int64_t trackMs = 60000;
    int64_t endsAt = -1;

  private:
    CallLog& log_;
    FakeTimers& timers_;
};

// A scene window with fakes all round. `Start` seeds or fills the store first, then loads.
struct Scene {
    CallLog log;
    InMemoryStore store;
    FakeTimers timers;
    FakeHost host{log};
    FakeDDrw ddrw{log};
    FakeDS ds{log};
    FakeSnd snd{log, timers};
    Module1State module;
    std::unique_ptr<Form1> form;

    Scene() {
        form =
            std::make_unique<Form1>(Form1Parts{store, host, host, timers, ddrw, ds, snd, module});
        host.form = form.get();
        host.timers = &timers;
    }
    // Writes values over a seeded store: {"Settings\\CalPos", "3"}, ...
    void Seeded(const std::vector<std::pair<std::string, std::string>>& values = {}) {
        SetRegistry(store);
        Set(values);
    }
    void Set(const std::vector<std::pair<std::string, std::string>>& values) {
        for (const auto& [key, value] : values) {
            auto slash = key.find('\\');
            store.Write(kAppName, key.substr(0, slash), key.substr(slash + 1), value);
        }
    }
    void Load() {
        form->Load();
        log.push_back("--loaded--");
    }
    // The first frame, which starts the grace period's count.
    void Frame() { form->FrameDue(); }
    void Seconds(double s) { timers.Advance(static_cast<int64_t>(s * 1000)); }
    bool Ended() const { return host.ended; }
};

}  // namespace hg::test
