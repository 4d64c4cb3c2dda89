// A glyph source for tests: no font files, every glyph a fixed pattern made from its code,
// so that exact pixels can be written down and a glyph drawn in the wrong place or for the
// wrong character shows.
//
// A face of height h (12 when 0 or less) has cells h high, ascent h * 3 / 4; a single-byte
// character advances h / 2, a double-byte one h. Ink lies inside the advance by the cell
// height with a one-pixel margin; pixel (x, y) of it is set by SyntheticInk. What CP932 does
// not decode has no glyph, as in the real source.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/glyph_source.h"

namespace plat {

bool SyntheticInk(std::uint16_t code, int x, int y);

class SyntheticGlyphSource final : public GlyphSource {
public:
    std::shared_ptr<GlyphFace> OpenFace(std::string_view faceName, int height) override;
    // Faces opened so far.
    int FacesOpened() const { return faces_; }

private:
    int faces_ = 0;
};

}  // namespace plat
