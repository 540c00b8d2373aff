#include "platform/win32/power_win32.h"

#include <algorithm>

namespace hg {

namespace {

// winnt.h's values, here so that nothing needs the GUID definitions linked in.
constexpr GUID kSleepSubgroup = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kStandbyTimeout = {
    0x29f6c1db, 0x86da, 0x48c5, {0x9f, 0xdb, 0xf2, 0xb6, 0x7b, 0x1f, 0x44, 0xda}};
constexpr GUID kHibernateTimeout = {
    0x9d7815a6, 0x7ee4, 0x497e, {0x88, 0x88, 0x51, 0x5a, 0x05, 0xf0, 0x23, 0x64}};

using RegisterNotice = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterNotice = BOOL(WINAPI*)(HPOWERNOTIFY);

template <typename Function>
Function Find(HMODULE library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

int64_t IdleMilliseconds() {
    LASTINPUTINFO last = {};
    last.cbSize = sizeof last;
    if (!GetLastInputInfo(&last)) return 0;
    // Both are the 32-bit tick count, so the difference is right across its wrap; an input
    // stamped a moment after "now" (SendInput brings its own time) is no idleness at all.
    const auto idle = static_cast<int32_t>(GetTickCount() - last.dwTime);
    return std::max<int32_t>(0, idle);
}

PowerPlan::PowerPlan() : library_(LoadLibraryA("powrprof.dll")) {
    getActiveScheme_ = Find<GetActiveScheme>(library_, "PowerGetActiveScheme");
    readAc_ = Find<ReadValueIndex>(library_, "PowerReadACValueIndex");
    readDc_ = Find<ReadValueIndex>(library_, "PowerReadDCValueIndex");
}

PowerPlan::~PowerPlan() {
    if (library_) FreeLibrary(library_);
}

int64_t PowerPlan::SleepTimeoutSeconds() const {
    if (!getActiveScheme_ || !readAc_ || !readDc_) return 0;
    SYSTEM_POWER_STATUS status = {};
    const bool onBattery = GetSystemPowerStatus(&status) && status.ACLineStatus == 0;
    GUID* scheme = nullptr;
    if (getActiveScheme_(nullptr, &scheme) != ERROR_SUCCESS || !scheme) return 0;
    int64_t soonest = 0;
    for (const GUID* setting : {&kStandbyTimeout, &kHibernateTimeout}) {
        DWORD seconds = 0;
        const DWORD read =
            (onBattery ? readDc_ : readAc_)(nullptr, scheme, &kSleepSubgroup, setting, &seconds);
        if (read != ERROR_SUCCESS || seconds == 0) continue;  // never
        if (soonest == 0 || seconds < soonest) soonest = seconds;
    }
    LocalFree(scheme);
    return soonest;
}

HPOWERNOTIFY NoticeDisplayPower(HWND window, const GUID& setting) {
    auto registerNotice =
        Find<RegisterNotice>(GetModuleHandleA("user32.dll"), "RegisterPowerSettingNotification");
    if (!registerNotice) return nullptr;
    return registerNotice(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopPowerNotice(HPOWERNOTIFY notice) {
    auto unregisterNotice = Find<UnregisterNotice>(GetModuleHandleA("user32.dll"),
                                                   "UnregisterPowerSettingNotification");
    if (notice && unregisterNotice) unregisterNotice(notice);
}

}  // namespace hg
