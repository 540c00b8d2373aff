#pragma once
// Broken on purpose: the Windows platform includes an X11 header; <windows.h> here is fine.
#include <X11/Xlib.h>
#include <windows.h>
