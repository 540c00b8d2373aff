#pragma once
// The high-detail twins as the setup ships them: not the twin's own pixels but what must be
// added to its picture enlarged smoothly (Enlarger) to give them, each channel's difference
// divided by a step and rounded, so a pixel is off by at most half a step. Enlargement already
// gives most of a twin; what is left is small numbers a compressor packs far tighter than the
// pixels, and the setup shrinks by half. The twin's holes are kept exactly, as runs.
//
// The file, little-endian:
//   "HGTC", version 1, detail, step, rows a band, width (u16), height (u16), the checksum of
//   the picture it corrects (u32, PictureChecksum): a picture replaced by a user's own never
//   gets the old picture's grain;
//   then for each band of rows: its length (u32) and a zlib stream holding, for each row,
//   the number of runs (u16), each run's x and length (u16 each), then for the pixels of the
//   runs in order three planes of signed bytes: green's steps, then red's and blue's less
//   green's (grain darkens and lightens all three alike, so those are mostly 0).
// A band is inflated on its own, so a twin is read a band at a time, never whole.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hg {

class Picture;

struct TwinCorrectionFormat {
    static constexpr char kMagic[4] = {'H', 'G', 'T', 'C'};
    static constexpr uint8_t kVersion = 1;
    static constexpr size_t kHeaderBytes = 16;
    // The largest twin: of an 800 x 600 picture (as drawn) at 3, and some room.
    static constexpr int kMaxSide = 4096;
    static constexpr int kMaxBandRows = 64;
};

// Where a picture's shipped twin lies: "HighDetail" beside the file, the same name ending in
// ".hgtc". A plain PNG twin beside it (TwinPath) is read first.
std::string TwinCorrectionPath(const std::string& path);

// FNV-1a over the picture's pixels, a hole counting as one value of its own.
uint32_t PictureChecksum(const Picture& picture);

// Reads a twin correction row by row. Every count, run and length in the file is checked
// against the header and the bytes there are; a file found wrong at any point gives no more
// rows.
class TwinCorrectionReader {
  public:
    // Null unless `bytes` start a correction of `picture` at exactly `width` x `height` pixels.
    static std::optional<TwinCorrectionReader> Open(std::vector<uint8_t> bytes, int width,
                                                    int height, const Picture& picture);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The next row of the twin into `rgba` (Width() pixels of r, g, b, a; holes all zero),
    // from the same row of the picture enlarged, `predicted`. False when the file is damaged
    // or every row has been read.
    bool NextRow(const uint8_t* predicted, uint8_t* rgba);
    // The next row passed over (a cover hides it all), checked as NextRow checks it.
    bool SkipRow() { return Row(nullptr, nullptr); }

  private:
    bool NextBand();
    bool Row(const uint8_t* predicted, uint8_t* rgba);  // only passed over without `predicted`
    std::vector<uint8_t> bytes_;
    int width_ = 0, height_ = 0, step_ = 1, bandRows_ = 1;
    size_t at_ = 0;              // in bytes_, the next band's length
    std::vector<uint8_t> band_;  // one band inflated
    size_t bandLength_ = 0, bandAt_ = 0;
    int row_ = 0, bandLeft_ = 0;  // rows read; rows of the band not yet read
    bool failed_ = false;
};

}  // namespace hg
