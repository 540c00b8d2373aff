// Broken on purpose: one platform includes the other.
#include "platform/win32/planted.h"

#include <X11/Xlib.h>
