#pragma once
// What Windows tells about power: the user's idle time and the power plan's sleep timeouts.
// The functions that Vista brought are looked up at run time, so the program still starts on
// the systems before it, where they report nothing.
#include <windows.h>

#include <cstdint>

namespace hg {

// Milliseconds since the last input of this session's user (GetLastInputInfo).
int64_t IdleMilliseconds();

class PowerPlan {
  public:
    PowerPlan();
    ~PowerPlan();
    PowerPlan(const PowerPlan&) = delete;
    PowerPlan& operator=(const PowerPlan&) = delete;

    // Seconds of idleness after which the active power plan sends the computer to sleep or
    // hibernation, whichever comes first, on the power source in use now (the battery's
    // settings only while it runs on battery); 0 when neither ever happens or nothing says.
    int64_t SleepTimeoutSeconds() const;

  private:
    using GetActiveScheme = DWORD(WINAPI*)(HKEY, GUID**);
    using ReadValueIndex = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);

    HMODULE library_ = nullptr;
    GetActiveScheme getActiveScheme_ = nullptr;
    ReadValueIndex readAc_ = nullptr;
    ReadValueIndex readDc_ = nullptr;
};

// Has WM_POWERBROADCAST sent to `window` whenever this setting changes; the handle to give to
// StopPowerNotice, or null where Windows cannot tell.
HPOWERNOTIFY NoticeDisplayPower(HWND window, const GUID& setting);
void StopPowerNotice(HPOWERNOTIFY notice);

// The two settings that tell the display's state: the console display's (Windows 8 and later;
// 0 off, 1 on, 2 dimmed) and the monitor's (Vista and 7; 0 off, 1 on).
extern const GUID kConsoleDisplayState;
extern const GUID kMonitorPowerOn;

}  // namespace hg
