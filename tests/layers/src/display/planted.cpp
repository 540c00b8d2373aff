// Broken on purpose: a portable folder includes a Windows header.
#include "display/planted.h"

#include <windows.h>
