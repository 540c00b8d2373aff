#pragma once
// The monitor-power filter of the scene window: the portable half of its window procedure.
#include <cstdint>

#include "startup/module1_state.h"

namespace hg {

class Form1;

constexpr uint32_t kWmCreate = 0x0001;
constexpr uint32_t kWmSysCommand = 0x0112;
constexpr uintptr_t kScMonitorPower = 0xF170;

// The message number to hand to the previous window procedure: a monitor power-down request
// is turned into a harmless WM_CREATE when PwrSave is on; otherwise it passes and Timer3 starts.
uint32_t FilterSceneMessage(const Module1State& module, Form1& form, uint32_t message,
                            uintptr_t wParam);

}  // namespace hg
