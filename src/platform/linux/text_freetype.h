#pragma once
// The scene's texts on Linux: FreeType draws them straight onto the 32-bit back buffer, as GDI
// draws onto the DIB section on Windows. Fontconfig chooses the font for the face name the
// scene asks for ("Arial" becomes its metric twin Liberation Sans, by the system's own alias
// rules) and finds another font for any letter the first one lacks, so a message in any
// language shows.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "display/retained_frame.h"
#include "scene/controls.h"

namespace hg {

class TextPainter {
  public:
    TextPainter();
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    // `font.size` is the height of the character cell in pixels, as GDI takes a positive
    // height; (x, y) is the cell's top-left corner; the background stays as it was. Nothing
    // outside `clip` (nor outside the picture) is touched.
    void Paint(uint32_t* pixels, int width, int height, const TextFont& font,
               const std::string& utf8, int x, int y, Colour colour, const Area& clip);
    // Every pixel that Paint of this text may touch: the cells, widened by what a glyph may
    // reach beyond its cell (a slant, a smoothed edge).
    Area Bounds(const TextFont& font, const std::string& utf8, int x, int y);

    // The file of the font chosen for `font`, empty when there is none (for the note and tests).
    std::string FontFile(const TextFont& font);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// UTF-8 to code points; each malformed byte becomes U+FFFD.
std::u32string DecodeUtf8(const std::string& text);

}  // namespace hg
