#pragma once
// Clean on its own (config uses settings); only the scene's include of it is broken.
#include "settings/planted.h"
