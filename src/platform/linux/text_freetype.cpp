#include "platform/linux/text_freetype.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include <algorithm>
#include <cmath>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "display/detail.h"

namespace hg {

namespace {

// Sizes come through FontAtDetail, already in the display's bounds; this only keeps FreeType
// from ever being asked for more than the finest display is tall.
constexpr int kMaxCellHeight = Compositor::kHeight * Compositor::kFinestDetail;
// The calendar and the message use a few dozen glyphs; this bounds a pathological message.
constexpr size_t kMaxCachedGlyphs = 4096;

struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0;
    int64_t advance = 0;  // 26.6
    std::vector<uint8_t> coverage;
};

struct LoadedFace {
    FT_Face face = nullptr;
    double cellPerEm = 1.0;    // cell height over the em, GDI's definition
    double ascentPerEm = 1.0;  // from the top of the cell to the baseline
};

void Blend(uint32_t& px, Colour colour, unsigned alpha) {
    if (alpha == 0) return;
    const unsigned r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    auto mix = [alpha](unsigned fg, unsigned bgc) {
        return (fg * alpha + bgc * (255 - alpha) + 127) / 255;
    };
    px = mix(r, (px >> 16) & 255) << 16 | mix(g, (px >> 8) & 255) << 8 | mix(b, px & 255);
}

}  // namespace

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned c = s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        char32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not letters to draw.
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out += U'\uFFFD';
            ++i;
        } else {
            out += cp;
            i += static_cast<size_t>(extra) + 1;
        }
    }
    return out;
}

struct TextPainter::Impl {
    FT_Library library = nullptr;
    std::map<std::pair<std::string, int>, LoadedFace> faces;  // by file and index
    std::map<std::tuple<std::string, bool, bool>, LoadedFace*> byFont;
    std::map<std::tuple<char32_t, bool, bool>, LoadedFace*> fallbacks;
    std::map<std::tuple<FT_Face, int, unsigned>, Glyph> glyphs;  // face, cell height, glyph index

    template <typename Visit>
    int64_t Layout(const TextFont& font, const std::string& utf8, int x, Visit visit);

    ~Impl() {
        for (auto& [key, f] : faces)
            if (f.face) FT_Done_Face(f.face);
        if (library) FT_Done_FreeType(library);
    }

    LoadedFace* Open(const std::string& file, int index) {
        auto key = std::make_pair(file, index);
        if (auto it = faces.find(key); it != faces.end())
            return it->second.face ? &it->second : nullptr;
        LoadedFace& f = faces[key];
        if (!library || FT_New_Face(library, file.c_str(), index, &f.face) != 0) {
            f.face = nullptr;
            return nullptr;
        }
        const double em = f.face->units_per_EM ? f.face->units_per_EM : 2048;
        double ascent = f.face->ascender, descent = -f.face->descender;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
        if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        if (ascent + descent <= 0) ascent = em;
        f.cellPerEm = (ascent + descent) / em;
        f.ascentPerEm = ascent / em;
        return &f;
    }

    // Fontconfig's best match for the pattern, opened.
    LoadedFace* Match(FcPattern* pattern) {
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        LoadedFace* f = nullptr;
        FcChar8* file = nullptr;
        int index = 0;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            f = Open(reinterpret_cast<const char*>(file), index);
        }
        if (match) FcPatternDestroy(match);
        return f;
    }

    FcPattern* PatternFor(const std::string& family, bool bold, bool italic) {
        FcPattern* p = FcPatternCreate();
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(p, FC_SCALABLE, FcTrue);
        return p;
    }

    LoadedFace* Primary(const TextFont& font) {
        auto key = std::make_tuple(font.face, font.bold, font.italic);
        if (auto it = byFont.find(key); it != byFont.end()) return it->second;
        FcPattern* p =
            PatternFor(font.face.empty() ? "sans-serif" : font.face, font.bold, font.italic);
        LoadedFace* f = Match(p);
        FcPatternDestroy(p);
        return byFont[key] = f;
    }

    LoadedFace* Fallback(char32_t cp, const TextFont& font) {
        auto key = std::make_tuple(cp, font.bold, font.italic);
        if (auto it = fallbacks.find(key); it != fallbacks.end()) return it->second;
        FcPattern* p = PatternFor("sans-serif", font.bold, font.italic);
        FcCharSet* set = FcCharSetCreate();
        FcCharSetAddChar(set, cp);
        FcPatternAddCharSet(p, FC_CHARSET, set);
        LoadedFace* f = Match(p);
        FcCharSetDestroy(set);
        FcPatternDestroy(p);
        if (f && FT_Get_Char_Index(f->face, cp) == 0) f = nullptr;
        return fallbacks[key] = f;
    }

    void SetCell(LoadedFace& f, int cell) {
        const FT_F26Dot6 em = std::max<FT_F26Dot6>(64, std::lround(cell / f.cellPerEm * 64));
        FT_Set_Char_Size(f.face, 0, em, 72, 72);  // at 72 dpi a point is a pixel
    }

    const Glyph* GlyphOf(LoadedFace& f, int cell, unsigned index) {
        auto key = std::make_tuple(f.face, cell, index);
        if (auto it = glyphs.find(key); it != glyphs.end()) return &it->second;
        if (glyphs.size() >= kMaxCachedGlyphs) glyphs.clear();
        SetCell(f, cell);
        if (FT_Load_Glyph(f.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            return nullptr;
        const FT_GlyphSlot slot = f.face->glyph;
        Glyph g;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.advance = slot->advance.x;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            g.width = static_cast<int>(bm.width);
            g.rows = static_cast<int>(bm.rows);
            g.coverage.resize(static_cast<size_t>(g.width) * g.rows);
            for (int y = 0; y < g.rows; ++y)
                std::copy_n(bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch, g.width,
                            g.coverage.begin() + static_cast<ptrdiff_t>(y) * g.width);
        }
        return &(glyphs[key] = std::move(g));
    }
};

TextPainter::TextPainter() : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library) != 0) impl_->library = nullptr;
}

TextPainter::~TextPainter() = default;

std::string TextPainter::FontFile(const TextFont& font) {
    LoadedFace* f = impl_->Primary(font);
    for (auto& [key, loaded] : impl_->faces)
        if (&loaded == f) return key.first;
    return {};
}

namespace {

int CellOf(const TextFont& font) { return std::clamp(font.size, 1, kMaxCellHeight); }

}  // namespace

// Each letter with the face that has it: the chosen one, or one fontconfig finds for it.
template <typename Visit>
int64_t TextPainter::Impl::Layout(const TextFont& font, const std::string& utf8, int x,
                                  Visit visit) {
    LoadedFace* primary = Primary(font);
    if (!primary) return int64_t{x} * 64;
    const int cell = CellOf(font);
    int64_t pen = int64_t{x} * 64;
    for (char32_t cp : DecodeUtf8(utf8)) {
        if (cp < 0x20) continue;  // line breaks and tabs draw nothing, as in one line of GDI
        LoadedFace* f = primary;
        unsigned index = FT_Get_Char_Index(primary->face, cp);
        if (index == 0) {
            if (LoadedFace* other = Fallback(cp, font)) {
                f = other;
                index = FT_Get_Char_Index(other->face, cp);
            }
        }
        const Glyph* g = GlyphOf(*f, cell, index);
        if (!g) continue;
        visit(*g, static_cast<int>((pen + 32) >> 6));
        pen += g->advance;
    }
    return pen;
}

Area TextPainter::Bounds(const TextFont& font, const std::string& utf8, int x, int y) {
    const int cell = CellOf(font);
    int64_t left = x, right = x;
    const int64_t end = impl_->Layout(font, utf8, x, [&](const Glyph& g, int penX) {
        left = std::min<int64_t>(left, penX + g.left);
        right = std::max<int64_t>(right, int64_t{penX} + g.left + g.width);
    });
    right = std::max<int64_t>(right, (end + 32) >> 6);
    const int reach = cell / 3 + 2;
    auto fit = [](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(v, -1000000, 1000000));
    };
    return {fit(left - reach), fit(int64_t{y} - reach), fit(right + reach),
            fit(int64_t{y} + cell + reach)};
}

void TextPainter::Paint(uint32_t* pixels, int width, int height, const TextFont& font,
                        const std::string& utf8, int x, int y, Colour colour, const Area& clip) {
    LoadedFace* primary = impl_->Primary(font);
    if (!primary || !pixels) return;
    const Area box = clip.Intersect({0, 0, width, height});
    if (box.Empty()) return;
    const int cell = CellOf(font);
    const int baseline =
        y + static_cast<int>(std::lround(cell / primary->cellPerEm * primary->ascentPerEm));
    auto plot = [&](int px, int py, unsigned alpha) {
        if (px >= box.left && px < box.right && py >= box.top && py < box.bottom)
            Blend(pixels[static_cast<size_t>(py) * width + px], colour, alpha);
    };
    const int64_t end = impl_->Layout(font, utf8, x, [&](const Glyph& g, int penX) {
        const int gx = penX + g.left, gy = baseline - g.top;
        for (int row = 0; row < g.rows; ++row)
            for (int col = 0; col < g.width; ++col)
                plot(gx + col, gy + row, g.coverage[static_cast<size_t>(row) * g.width + col]);
    });
    if (font.underline) {
        const int thickness = std::max(1, cell / 16);
        const int uy = baseline + std::max(1, cell / 12);
        for (int py = uy; py < uy + thickness; ++py)
            for (int64_t px = x; px < ((end + 32) >> 6); ++px) plot(static_cast<int>(px), py, 255);
    }
}

}  // namespace hg
