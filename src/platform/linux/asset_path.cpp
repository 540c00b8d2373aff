#include "platform/linux/asset_path.h"

#include <cctype>

#include "settings/settings.h"

namespace hg {

std::string AssetPath(const std::string& path, const std::string& assetDir) {
    const std::string folder = kInstallFolder;
    std::string rest = path;
    std::string out;
    bool inFolder = path.size() >= folder.size();
    for (size_t i = 0; inFolder && i < folder.size(); ++i)
        inFolder = std::tolower(static_cast<unsigned char>(path[i])) ==
                   std::tolower(static_cast<unsigned char>(folder[i]));
    if (inFolder) {
        out = assetDir;
        rest = path.substr(folder.size());
        if (!out.empty() && out.back() != '/') out += '/';
    }
    for (char c : rest) {
        if (c == '\\') c = '/';
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    return out;
}

}  // namespace hg
