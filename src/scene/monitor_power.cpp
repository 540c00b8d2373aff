#include "scene/monitor_power.h"

#include "scene/form1.h"

namespace hg {

uint32_t FilterSceneMessage(const Module1State& module, Form1& form, uint32_t message,
                            uintptr_t wParam) {
    if (message == kWmSysCommand && wParam == kScMonitorPower) {
        if (module.PwrSave != 0) return kWmCreate;
        form.Timer3.SetEnabled(true);
    }
    return message;
}

void Form1::Timer3_Timer() {
    // The count stops at 4, so it can never overflow and the music is stopped only once.
    if (PowerOffTicks >= 4) return;
    ++PowerOffTicks;
    if (PowerOffTicks == 4) {
        TegoSnd1.StopMidi();
        TimerMIDI.SetEnabled(false);
    }
}

}  // namespace hg
