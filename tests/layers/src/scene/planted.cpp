// Broken on purpose: scene does not use config, and a sound library's header is the Linux
// platform's; scene may use settings.
#include "config/planted.h"

#include <fluidsynth.h>

#include "settings/planted.h"
