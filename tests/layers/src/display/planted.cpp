// Broken on purpose: a portable folder includes a Windows header.
#include <windows.h>

#include "display/planted.h"
