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

// Beside every picture the install folder holds its twin painted at this detail, for large
// screens: of the same stem in the folder HighDetail, exactly kHighDetail times the size, as a
// correction of the picture enlarged (twin_correction.h).
constexpr int kHighDetail = 3;
constexpr const char* kHighDetailFolder = "HighDetail";

struct SceneAsset {
    std::string file;  // exact name in the install folder
    int x, y;          // where the scene draws it (stockings: the default height)
    int width, height;  // at detail 1
    std::function<Image(int detail)> paint;
};

// The 41 bitmaps of the install folder.
const std::vector<SceneAsset>& sceneAssets();

// "HighDetail/Flame1.hgtc" for "Flame1.bmp".
std::string highDetailName(const std::string& file);

// The pictures at detail 1, by file name.
using PictureCache = std::map<std::string, Image>;
// Every catalogue picture at detail 1, painted on up to `threads` threads.
PictureCache paintPictures(int threads);

struct OutputFile {
    std::string name;  // below its folder, '/' between folders
    Bytes bytes;
};
// A file to write and how to make its bytes; nothing is painted until it is made.
struct OutputJob {
    std::string name;
    std::function<Bytes()> make;
};
// The install folder: the 41 bitmaps, then their high-detail twins. A bitmap whose picture is
// in `painted` is encoded from it rather than painted again.
std::vector<OutputJob> installJobs(const PictureCache* painted = nullptr);
// The file of a twin as it ships: a correction of the picture enlarged (twin_correction.h) at
// the coarsest step that keeps it to the eye; throws when none does.
Bytes shippedTwin(const std::string& file, const Image& twin, const Image& picture);
// Makes the files on up to `threads` threads: the same bytes in the same order however many.
std::vector<OutputFile> makeFiles(const std::vector<OutputJob>& jobs, int threads);
// The pictures built into the program: the preview (and its larger twins, twice and three
// times as wide and tall), thumbnails, the wall at detail 1 and at kHighDetail, the icon.
// Pictures missing from the cache are painted into it.
std::vector<OutputFile> resourceFiles(PictureCache& cache);
std::vector<OutputFile> resourceFiles();

// Composes the full 800 x 600 scene of one hearth style (0: no surround),
// painting each picture once into the cache.
Image composeScene(int style, bool mantel, bool decorations, PictureCache& cache);

// Writes both folders on up to `threads` threads; returns an error message, empty on success.
std::string generateAll(const std::string& installDir, const std::string& resourceDir,
                        int threads = 1);

}  // namespace assetgen
