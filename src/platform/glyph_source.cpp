#include "platform/glyph_source.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H

#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/cp932.h"

namespace plat {
namespace {

bool IsLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsTrail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

}  // namespace

char32_t Cp932CodePoint(std::uint16_t code) {
    char bytes[2];
    std::size_t n = 0;
    if (code > 0xFF) bytes[n++] = static_cast<char>(code >> 8);
    bytes[n++] = static_cast<char>(code & 0xFF);
    const std::string utf8 = Cp932ToUtf8(std::string_view(bytes, n));
    if (utf8.empty()) return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
    char32_t cp = 0;
    std::size_t len = 1;
    if (u[0] < 0x80) {
        cp = u[0];
    } else if ((u[0] & 0xE0) == 0xC0 && utf8.size() >= 2) {
        cp = (u[0] & 0x1Fu) << 6 | (u[1] & 0x3Fu);
        len = 2;
    } else if ((u[0] & 0xF0) == 0xE0 && utf8.size() >= 3) {
        cp = (u[0] & 0x0Fu) << 12 | (u[1] & 0x3Fu) << 6 | (u[2] & 0x3Fu);
        len = 3;
    } else {
        return 0;
    }
    if (len != utf8.size() || cp == 0xFFFD || cp < 0x20 || cp == 0x7F) return 0;
    return cp;
}

namespace {

// FreeType's library is shared by every face; creating and freeing faces goes through one
// lock, rendering through each face's own.
struct Library {
    std::mutex mutex;
    FT_Library lib = nullptr;
    Library() {
        if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    }
    ~Library() {
        if (lib) FT_Done_FreeType(lib);
    }
};

// Never destroyed: faces held by fonts that live until the process ends are freed after
// every static object of this file would be gone.
Library& SharedLibrary() {
    static Library& library = *new Library;
    return library;
}

class FreeTypeFace final : public GlyphFace {
public:
    FreeTypeFace(FT_Face face, int cellHeight, int ascent)
        : face_(face), cellHeight_(cellHeight), ascent_(ascent) {}
    ~FreeTypeFace() override {
        if (!face_) return;
        std::lock_guard lock(SharedLibrary().mutex);
        FT_Done_Face(face_);
    }
    int CellHeight() const override { return cellHeight_; }
    int Ascent() const override { return ascent_; }

    const Glyph* Find(std::uint16_t code) override {
        std::lock_guard lock(mutex_);
        auto it = glyphs_.find(code);
        if (it != glyphs_.end()) return it->second.get();
        std::unique_ptr<Glyph> glyph = Render(code);
        const Glyph* result = glyph.get();
        glyphs_.emplace(code, std::move(glyph));
        return result;
    }

private:
    std::unique_ptr<Glyph> Render(std::uint16_t code) {
        const char32_t cp = Cp932CodePoint(code);
        if (cp == 0) return nullptr;
        auto glyph = std::make_unique<Glyph>();
        // Without a face (no font file at all) characters still take their cells.
        glyph->advance = code > 0xFF ? cellHeight_ : cellHeight_ / 2;
        if (!face_) return glyph;
        const FT_UInt index = FT_Get_Char_Index(face_, cp);
        if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return glyph;
        const FT_GlyphSlot slot = face_->glyph;
        glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
        const FT_Bitmap& bm = slot->bitmap;
        glyph->left = slot->bitmap_left;
        glyph->top = ascent_ - slot->bitmap_top;
        glyph->width = static_cast<int>(bm.width);
        glyph->height = static_cast<int>(bm.rows);
        glyph->bits.assign(static_cast<std::size_t>(glyph->width) * glyph->height, 0);
        for (int y = 0; y < glyph->height; ++y) {
            const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
            for (int x = 0; x < glyph->width; ++x) {
                const bool ink = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                     ? (row[x >> 3] >> (7 - (x & 7))) & 1
                                     : row[x] >= 128;
                glyph->bits[static_cast<std::size_t>(y) * glyph->width + x] = ink ? 1 : 0;
            }
        }
        return glyph;
    }

    std::mutex mutex_;
    FT_Face face_;
    int cellHeight_;
    int ascent_;
    std::unordered_map<std::uint16_t, std::unique_ptr<Glyph>> glyphs_;
};

class FreeTypeSource final : public GlyphSource {
public:
    std::shared_ptr<GlyphFace> OpenFace(std::string_view faceName, int height) override {
        const std::string family = MapFaceName(faceName);
        std::lock_guard lock(mutex_);
        const auto key = std::make_pair(family, height);
        if (auto it = faces_.find(key); it != faces_.end()) {
            if (auto face = it->second.lock()) return face;
        }
        std::shared_ptr<GlyphFace> face = Make(family, height);
        faces_[key] = face;
        return face;
    }

private:
    static std::shared_ptr<GlyphFace> Make(const std::string& family, int height) {
        const bool character = height < 0;
        int size = height < 0 ? -height : height;
        if (size == 0) size = 12;
        Library& library = SharedLibrary();
        const std::string file = ResolveFontFile(family);
        FT_Face face = nullptr;
        {
            std::lock_guard lock(library.mutex);
            if (library.lib && !file.empty() &&
                FT_New_Face(library.lib, file.c_str(), 0, &face) != 0)
                face = nullptr;
        }
        if (!face) return std::make_shared<FreeTypeFace>(nullptr, size, size * 7 / 8);
        FT_Size_RequestRec request{};
        // GDI's positive height is the cell (ascent + descent), its negative one the em.
        request.type = character ? FT_SIZE_REQUEST_TYPE_NOMINAL : FT_SIZE_REQUEST_TYPE_CELL;
        request.height = static_cast<FT_Long>(size) << 6;
        FT_Request_Size(face, &request);
        const int ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
        const int descent = static_cast<int>((-face->size->metrics.descender + 32) >> 6);
        const int cell = character ? ascent + descent : size;
        return std::make_shared<FreeTypeFace>(face, cell, ascent);
    }

    std::mutex mutex_;
    std::map<std::pair<std::string, int>, std::weak_ptr<GlyphFace>> faces_;
};

std::mutex injectedMutex;
std::shared_ptr<GlyphSource> injected;

// Literals in UTF-8 whatever the execution character set: the name is compared after
// decoding.
bool Contains(std::string_view text, std::u8string_view part) {
    return text.find(std::string_view(reinterpret_cast<const char*>(part.data()), part.size())) !=
           std::string_view::npos;
}

}  // namespace

GlyphSource& CurrentGlyphSource() {
    static FreeTypeSource& freeType = *new FreeTypeSource;
    std::lock_guard lock(injectedMutex);
    if (injected) return *injected;
    return freeType;
}

void InjectGlyphSource(std::shared_ptr<GlyphSource> source) {
    std::lock_guard lock(injectedMutex);
    injected = std::move(source);
}

std::string MapFaceName(std::string_view faceNameCp932) {
    const std::string name = Cp932ToUtf8(faceNameCp932);
    if (name.empty()) return "IPAPGothic";
    const bool proportional = Contains(name, u8"Ｐ") || Contains(name, u8"P");
    if (Contains(name, u8"ゴシック") || Contains(name, u8"Gothic"))
        return proportional ? "IPAPGothic" : "IPAGothic";
    if (Contains(name, u8"明朝") || Contains(name, u8"Mincho"))
        return proportional ? "IPAPMincho" : "IPAMincho";
    return "sans-serif:lang=ja";
}

std::string ResolveFontFile(const std::string& pattern) {
    static std::mutex fcMutex;
    // Asked once per pattern: fonts are made again at every device reset.
    static std::map<std::string, std::string>& resolved = *new std::map<std::string, std::string>;
    std::lock_guard lock(fcMutex);
    if (auto it = resolved.find(pattern); it != resolved.end()) return it->second;
    if (!FcInit()) return {};
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (!pat) return {};
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    std::string file;
    if (match) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    resolved[pattern] = file;
    return file;
}

std::uint16_t NextCharCode(const char* p, int n, int* bytes) {
    const auto lead = static_cast<unsigned char>(p[0]);
    if (n >= 2 && IsLead(lead) && IsTrail(static_cast<unsigned char>(p[1]))) {
        *bytes = 2;
        return static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(p[1]));
    }
    *bytes = 1;
    return lead;
}

}  // namespace plat
