#pragma once
// Makes the Win32 controls of a window. Each factory falls back to a silent, invisible control
// when the real one cannot be made.
#include <windows.h>

#include <memory>

#include "platform/win32/message_hook.h"
#include "scene/controls.h"
#include "sound/threaded_music.h"

namespace hg {

struct DrawingControl {
    std::unique_ptr<TegoDDrw> control;
    WindowMessageHook* hook = nullptr;  // owned by `control`; may be null
};

DrawingControl CreateDrawingControl(HWND window);
std::unique_ptr<TegoDS> CreateWaveControl(HWND window);
std::unique_ptr<ThreadedMusic> CreateMusicControl(HWND window);

}  // namespace hg
