#pragma once
// The scene names its files under the Windows install folder ("C:\Tallowmere\hrthglow\",
// sometimes with a doubled separator); on Linux the same files live in a folder of the
// installation's choosing.
#include <string>

namespace hg {

// `path` with the install folder replaced by `assetDir` and every backslash by a slash, runs
// of separators collapsed. A path outside the install folder only has its separators turned.
std::string AssetPath(const std::string& path, const std::string& assetDir);

}  // namespace hg
