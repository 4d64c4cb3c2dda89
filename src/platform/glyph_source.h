// The glyph source behind the GDI font and the utility library's font: faces chosen by a
// Windows face name and a cell height, and one CP932 character at a time rendered
// monochrome, with the metrics of the face that draws it.
//
// A positive height is the cell height (ascent + descent, as GDI reads a positive font
// height); a glyph is placed relative to its cell's top-left corner. A character that CP932
// does not decode has no glyph.
//
// The real source is FreeType over the IPA faces that fontconfig finds; tests inject a small
// synthetic source (synthetic_glyph_source.h) so that exact pixels do not depend on font
// files. Faces keep every glyph they have rendered, so text that is drawn again costs a
// look-up, not a rendering.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// One rendered character. Ink pixels are 1 in `bits` (width x height, row by row); the ink
// rectangle's top-left lies at (left, top) from the cell's top-left.
struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
};

class GlyphFace {
public:
    virtual ~GlyphFace() = default;
    virtual int CellHeight() const = 0;
    virtual int Ascent() const = 0;
    // The glyph of one character: a single byte, or a lead byte << 8 | trail byte. Null when
    // CP932 does not decode it. The glyph lives as long as the face. Safe from any thread.
    virtual const Glyph* Find(std::uint16_t code) = 0;
};

class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // A face for a CP932 face name at a cell height (a height of 0 or less takes 12, as a
    // default font would; a negative height is the character height without the internal
    // leading). Never null: a name that names nothing takes a Japanese Gothic face.
    virtual std::shared_ptr<GlyphFace> OpenFace(std::string_view faceName, int height) = 0;
};

// The source every font draws with: the one a test injected, else the FreeType source.
GlyphSource& CurrentGlyphSource();
// Tests: the source the fonts made from now on use; null goes back to FreeType.
void InjectGlyphSource(std::shared_ptr<GlyphSource> source);

// The family a Windows face name maps to: Gothic names to IPAGothic, proportional Gothic
// (and the empty name) to IPAPGothic, Mincho to IPAMincho or IPAPMincho, anything else to
// the Japanese Gothic fontconfig picks ("sans-serif:lang=ja").
std::string MapFaceName(std::string_view faceNameCp932);
// The font file fontconfig resolves for a family pattern; empty when none.
std::string ResolveFontFile(const std::string& pattern);

// Walking text: the character at p (1 or 2 bytes of the n left) as a code for Find, and
// its length in *bytes.
std::uint16_t NextCharCode(const char* p, int n, int* bytes);
// The Unicode code point of a character code; 0 when CP932 does not decode it or it is a
// control character (which draws nothing).
char32_t Cp932CodePoint(std::uint16_t code);

}  // namespace plat
