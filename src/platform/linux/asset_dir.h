#pragma once
// Where the pictures and sounds are: beside a run from the build tree, the build's own; beside
// an installed hack, the installed ones, found from where the executable is before the prefix
// it was built for, so that a staged (DESTDIR) or moved installation finds its own.
#include <string>
#include <vector>

namespace hg {

struct AssetDirSearch {
    std::string found;                // empty when none of the places holds the files
    std::vector<std::string> looked;  // every place tried, in order
};

// `exeDir` is the folder of the running executable. `named` (HEARTHGLOW_ASSETS) wins when set.
AssetDirSearch FindAssetDir(const std::string& exeDir, const std::string& named);

// The folder of the running executable, or empty when the system does not say.
std::string ExecutableDir();

}  // namespace hg
