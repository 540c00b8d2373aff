#include "platform/linux/asset_dir.h"

#include <unistd.h>

#include <filesystem>

namespace hg {

namespace {

// The fire's sound is in every asset folder; a folder without it is not one.
bool HoldsAssets(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(dir) / "fire.wav", ec);
}

std::string Normal(const std::filesystem::path& p) { return p.lexically_normal().string(); }

}  // namespace

AssetDirSearch FindAssetDir(const std::string& exeDir, const std::string& named) {
    AssetDirSearch search;
    std::vector<std::string> places;
    if (!named.empty()) places.push_back(named);
    if (!exeDir.empty()) {
        const std::filesystem::path exe(exeDir);
        // The build tree's executable lives in the build folder it was configured in.
        std::error_code ec;
        if (std::filesystem::equivalent(exe, HG_BUILD_BINARY_DIR, ec))
            places.push_back(HG_BUILD_ASSET_DIR);
        places.push_back(Normal(exe / HG_ASSET_DIR_FROM_HACK));
    }
    places.push_back(HG_ASSET_DIR);
    for (const std::string& place : places) {
        bool seen = false;
        for (const std::string& l : search.looked) seen = seen || l == place;
        if (seen) continue;
        search.looked.push_back(place);
        if (HoldsAssets(place)) {
            search.found = place;
            break;
        }
    }
    return search;
}

std::string ExecutableDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

}  // namespace hg
