#include "platform/linux/monitors.h"

namespace hg {

Area HearthMonitor(const Area& window, const std::vector<Area>& monitors, int primary) {
    auto local = [&](const Area& a) {
        return Area{a.left - window.left, a.top - window.top, a.right - window.left,
                    a.bottom - window.top};
    };
    if (primary >= 0 && primary < static_cast<int>(monitors.size())) {
        const Area onPrimary = monitors[static_cast<size_t>(primary)].Intersect(window);
        if (!onPrimary.Empty()) return local(onPrimary);
    }
    const int cx = window.left + window.Width() / 2, cy = window.top + window.Height() / 2;
    for (const Area& m : monitors)
        if (cx >= m.left && cx < m.right && cy >= m.top && cy < m.bottom)
            return local(m.Intersect(window));
    return {};
}

}  // namespace hg
