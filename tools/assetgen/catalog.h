// What the generator produces: every scene picture with its file name and
// screen place, plus the built-in pictures of the program itself.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "canvas.h"
#include "writers.h"

namespace assetgen {

struct SceneAsset {
    std::string file;  // exact name in the install folder
    int x, y;          // where the scene draws it (stockings: the default height)
    int width, height;
    std::function<Image()> paint;
};

// The 41 bitmaps of the install folder.
const std::vector<SceneAsset>& sceneAssets();

struct OutputFile {
    std::string name;
    Bytes bytes;
};
std::vector<OutputFile> installFiles();
std::vector<OutputFile> resourceFiles();

// Composes the full 800 x 600 scene of one hearth style (0: no surround),
// painting each picture once into the cache.
using PictureCache = std::map<std::string, Image>;
Image composeScene(int style, bool mantel, bool decorations, PictureCache& cache);

// Writes both folders; returns an error message, empty on success.
std::string generateAll(const std::string& installDir, const std::string& resourceDir);

}  // namespace assetgen
