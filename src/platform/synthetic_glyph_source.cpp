#include "platform/synthetic_glyph_source.h"

#include <mutex>
#include <unordered_map>

namespace plat {
namespace {

class SyntheticFace final : public GlyphFace {
public:
    explicit SyntheticFace(int height) : cell_(height > 0 ? height : 12) {}
    int CellHeight() const override { return cell_; }
    int Ascent() const override { return cell_ * 3 / 4; }
    const Glyph* Find(std::uint16_t code) override {
        std::lock_guard lock(mutex_);
        auto it = glyphs_.find(code);
        if (it != glyphs_.end()) return it->second.get();
        std::unique_ptr<Glyph> glyph;
        if (Cp932CodePoint(code) != 0) {
            glyph = std::make_unique<Glyph>();
            glyph->advance = code > 0xFF ? cell_ : cell_ / 2;
            glyph->left = 1;
            glyph->top = 1;
            glyph->width = glyph->advance > 2 ? glyph->advance - 2 : 0;
            glyph->height = cell_ > 2 ? cell_ - 2 : 0;
            glyph->bits.resize(static_cast<std::size_t>(glyph->width) * glyph->height);
            for (int y = 0; y < glyph->height; ++y)
                for (int x = 0; x < glyph->width; ++x)
                    glyph->bits[static_cast<std::size_t>(y) * glyph->width + x] =
                        SyntheticInk(code, x, y) ? 1 : 0;
        }
        const Glyph* result = glyph.get();
        glyphs_.emplace(code, std::move(glyph));
        return result;
    }

private:
    int cell_;
    std::mutex mutex_;
    std::unordered_map<std::uint16_t, std::unique_ptr<Glyph>> glyphs_;
};

}  // namespace

bool SyntheticInk(std::uint16_t code, int x, int y) {
    std::uint32_t h = code * 2654435761u ^ static_cast<std::uint32_t>(x) * 40503u ^
                      static_cast<std::uint32_t>(y) * 2246822519u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return (h & 1) != 0;
}

std::shared_ptr<GlyphFace> SyntheticGlyphSource::OpenFace(std::string_view, int height) {
    ++faces_;
    return std::make_shared<SyntheticFace>(height);
}

}  // namespace plat
