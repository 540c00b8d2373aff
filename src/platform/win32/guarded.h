#pragma once
// Our window procedures are called from inside Windows, whose frames an exception cannot unwind
// through: one escaping would end the process. What fails while one message is handled (memory
// running out, say) is given up, and the program goes on with the next message.
#include <windows.h>

namespace hg {

template <class Handler>
LRESULT Guarded(Handler&& handler, LRESULT failed = 0) noexcept {
    try {
        return handler();
    } catch (...) {
        return failed;
    }
}

}  // namespace hg
