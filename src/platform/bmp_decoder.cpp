#include "platform/bmp_decoder.h"

#include <algorithm>
#include <new>

namespace plat {
namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;
constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

constexpr std::size_t kFileHeader = 14;

std::uint32_t U16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool Fail(DecodedImage& out, std::string* why, const char* reason) {
    out = DecodedImage{};
    if (why) *why = reason;
    return false;
}

// One channel of a bit-field pixel: its lowest bit and how many bits it spans.
struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

Field MakeField(std::uint32_t mask) {
    Field f;
    f.mask = mask;
    if (mask == 0) return f;
    while (!(mask & (1u << f.shift))) ++f.shift;
    int top = 31;
    while (!(mask & (1u << top))) --top;
    f.bits = top - f.shift + 1;
    return f;
}

// A channel of `bits` bits widened to 8 by repeating its bits (the top 8 bits of a wider one).
std::uint32_t Widen(std::uint32_t v, int bits) {
    if (bits <= 0) return 0;
    if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = out << bits | v;
        filled += bits;
    }
    return (out >> (filled - 8)) & 0xFF;
}

std::uint32_t Extract(std::uint32_t p, const Field& f) {
    return Widen((p & f.mask) >> f.shift, f.bits);
}

struct Header {
    long long width = 0;
    long long height = 0;  // negative: top-down
    int bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colorsUsed = 0;
    std::size_t headerEnd = 0;  // where the colour table (or the masks after the header) start
    int entrySize = 4;          // bytes per colour-table entry
    bool core = false;
    bool hasMasks = false;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha
};

bool ReadHeader(const std::uint8_t* data, std::size_t size, Header& h, const char** why) {
    if (size < kFileHeader + 12 || data[0] != 'B' || data[1] != 'M') {
        *why = "not a bitmap file";
        return false;
    }
    const std::uint8_t* info = data + kFileHeader;
    const std::uint32_t infoSize = U32(info);
    if (infoSize > size - kFileHeader) {
        *why = "truncated header";
        return false;
    }
    if (infoSize == 12) {
        h.core = true;
        h.width = U16(info + 4);
        h.height = U16(info + 6);
        h.bitCount = static_cast<int>(U16(info + 10));
        h.entrySize = 3;
        h.headerEnd = kFileHeader + 12;
        return true;
    }
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 && infoSize != 108 &&
        infoSize != 124) {
        *why = "unknown header size";
        return false;
    }
    h.width = static_cast<std::int32_t>(U32(info + 4));
    h.height = static_cast<std::int32_t>(U32(info + 8));
    h.bitCount = static_cast<int>(U16(info + 14));
    h.compression = U32(info + 16);
    h.colorsUsed = U32(info + 32);
    h.headerEnd = kFileHeader + infoSize;
    if (infoSize == 64 && h.compression > BI_RLE4) {
        // The 64-byte header of the other system numbers its compressions differently.
        *why = "unsupported compression";
        return false;
    }
    if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
        h.hasMasks = true;
        if (infoSize >= 52) {
            for (int i = 0; i < 3; ++i) h.masks[i] = U32(info + 40 + 4 * i);
            if (infoSize >= 56) h.masks[3] = U32(info + 52);
        } else {
            // The masks follow a 40-byte header.
            const std::size_t count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
            if (h.headerEnd + 4 * count > size) {
                *why = "truncated bit fields";
                return false;
            }
            for (std::size_t i = 0; i < count; ++i) h.masks[i] = U32(data + h.headerEnd + 4 * i);
            h.headerEnd += 4 * count;
        }
    }
    return true;
}

bool ValidDepth(const Header& h) {
    switch (h.compression) {
        case BI_RGB:
            return h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 ||
                   h.bitCount == 24 || h.bitCount == 32;
        case BI_RLE8:
            return h.bitCount == 8 && h.height > 0;
        case BI_RLE4:
            return h.bitCount == 4 && h.height > 0;
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS:
            return h.bitCount == 16 || h.bitCount == 32;
        default:
            return false;
    }
}

// Unpacks the run-length encoded pixels. Runs and moves past the edges are cut; pixels the
// stream never reaches stay index 0; the stream may end early.
void DecodeRle(const std::uint8_t* p, const std::uint8_t* end, bool four, DecodedImage& out) {
    const int w = out.width, h = out.height;
    int x = 0, row = 0;  // row counts from the bottom
    auto put = [&](int px, std::uint8_t v) {
        if (px < w) out.indices[static_cast<std::size_t>(h - 1 - row) * w + px] = v;
    };
    while (end - p >= 2 && row < h) {
        const int n = p[0];
        const std::uint8_t c = p[1];
        p += 2;
        if (n > 0) {
            for (int i = 0; i < n && x + i < w; ++i)
                put(x + i, four ? static_cast<std::uint8_t>((i & 1) ? c & 15 : c >> 4) : c);
            x = std::min(x + n, w);
            continue;
        }
        if (c == 0) {  // end of line
            x = 0;
            ++row;
        } else if (c == 1) {  // end of bitmap
            break;
        } else if (c == 2) {  // move
            if (end - p < 2) break;
            x = std::min(x + p[0], w);
            row += p[1];
            p += 2;
        } else {  // absolute run of c pixels, padded to a whole word
            const std::size_t bytes = four ? (static_cast<std::size_t>(c) + 1) / 2 : c;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            const std::size_t have =
                std::min<std::size_t>(bytes, static_cast<std::size_t>(end - p));
            for (int i = 0; i < c && x + i < w; ++i) {
                const std::size_t at = four ? static_cast<std::size_t>(i) / 2 : i;
                if (at >= have) break;
                put(x + i,
                    four ? static_cast<std::uint8_t>((i & 1) ? p[at] & 15 : p[at] >> 4) : p[at]);
            }
            x = std::min(x + c, w);
            if (static_cast<std::size_t>(end - p) < padded) break;
            p += padded;
        }
    }
}

void DecodeIndexedRow(const std::uint8_t* src, int bits, int w, std::uint8_t* dst) {
    switch (bits) {
        case 1:
            for (int x = 0; x < w; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x] = static_cast<std::uint8_t>((x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4);
            break;
        default:
            std::copy(src, src + w, dst);
            break;
    }
}

}  // namespace

bool ImageSizeAllowed(long long w, long long h) {
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) return false;
    return static_cast<unsigned long long>(w) * static_cast<unsigned long long>(h) * 4 <=
           kMaxImageBytes;
}

bool DecodeBmp(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why) {
    out = DecodedImage{};
    if (!data) return Fail(out, why, "no data");
    Header h;
    const char* reason = nullptr;
    if (!ReadHeader(data, size, h, &reason)) return Fail(out, why, reason);
    if (!ValidDepth(h)) return Fail(out, why, "unsupported depth or compression");
    const bool topDown = h.height < 0;
    const long long height = topDown ? -h.height : h.height;
    if (!ImageSizeAllowed(h.width, height)) return Fail(out, why, "image too large or empty");
    const int w = static_cast<int>(h.width), ht = static_cast<int>(height);

    // The colour table: as many entries as the file says (all of the depth's when it says
    // 0), as far as the file holds them before the pixels.
    std::size_t tableEnd = h.headerEnd;
    const std::uint32_t fileOffset = U32(data + 10);
    if (h.bitCount <= 8) {
        const std::uint32_t want = h.colorsUsed == 0 || h.core
                                       ? (1u << h.bitCount)
                                       : std::min<std::uint32_t>(h.colorsUsed, 256);
        std::size_t limit = size;
        if (fileOffset >= h.headerEnd && fileOffset < size) limit = fileOffset;
        const std::size_t room = limit > h.headerEnd ? limit - h.headerEnd : 0;
        const std::size_t count = std::min<std::size_t>(want, room / h.entrySize);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = data + h.headerEnd + i * h.entrySize;
            out.palette[i] =
                0xFF000000u | std::uint32_t{e[2]} << 16 | std::uint32_t{e[1]} << 8 | e[0];
        }
        for (std::size_t i = count; i < 256; ++i) out.palette[i] = 0xFF000000u;
        out.paletteCount = static_cast<int>(count);
        tableEnd = h.headerEnd + want * static_cast<std::size_t>(h.entrySize);
    }
    // The pixels start where the file header says; a writer that left that at 0 (or inside
    // the headers) put them right after the colour table.
    std::size_t start = fileOffset;
    if (fileOffset == 0 || fileOffset < h.headerEnd) start = tableEnd;
    if (start >= size) return Fail(out, why, "no pixel data");
    const std::uint8_t* pixels = data + start;
    const std::size_t available = size - start;

    out.width = w;
    out.height = ht;
    out.bitCount = h.bitCount;
    const std::size_t count = static_cast<std::size_t>(w) * ht;
    try {
        if (h.bitCount <= 8)
            out.indices.assign(count, 0);
        else
            out.argb.assign(count, 0);
    } catch (const std::bad_alloc&) {
        return Fail(out, why, "out of memory");
    }

    if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
        DecodeRle(pixels, pixels + available, h.compression == BI_RLE4, out);
        return true;
    }

    const std::size_t stride = (static_cast<std::size_t>(w) * h.bitCount + 31) / 32 * 4;
    if (stride * ht > available) return Fail(out, why, "truncated pixel data");
    auto rowOf = [&](int y) { return pixels + stride * (topDown ? y : ht - 1 - y); };

    if (h.bitCount <= 8) {
        for (int y = 0; y < ht; ++y)
            DecodeIndexedRow(rowOf(y), h.bitCount, w,
                             &out.indices[static_cast<std::size_t>(y) * w]);
        return true;
    }
    if (h.bitCount == 24) {
        for (int y = 0; y < ht; ++y) {
            const std::uint8_t* s = rowOf(y);
            std::uint32_t* d = &out.argb[static_cast<std::size_t>(y) * w];
            for (int x = 0; x < w; ++x, s += 3)
                d[x] = 0xFF000000u | std::uint32_t{s[2]} << 16 | std::uint32_t{s[1]} << 8 | s[0];
        }
        return true;
    }
    if (h.bitCount == 32 && !h.hasMasks) {
        // Plain 32-bit pixels carry no alpha: the fourth byte is unused.
        for (int y = 0; y < ht; ++y) {
            const std::uint8_t* s = rowOf(y);
            std::uint32_t* d = &out.argb[static_cast<std::size_t>(y) * w];
            for (int x = 0; x < w; ++x) d[x] = 0xFF000000u | (U32(s + 4 * x) & 0x00FFFFFFu);
        }
        return true;
    }
    std::uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0};  // plain 16 bits: 5-5-5
    if (h.hasMasks) std::copy(h.masks, h.masks + 4, masks);
    const Field r = MakeField(masks[0]), g = MakeField(masks[1]), b = MakeField(masks[2]),
                a = MakeField(masks[3]);
    for (int y = 0; y < ht; ++y) {
        const std::uint8_t* s = rowOf(y);
        std::uint32_t* d = &out.argb[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = h.bitCount == 16 ? U16(s + 2 * x) : U32(s + 4 * x);
            const std::uint32_t alpha = a.mask ? Extract(p, a) : 0xFF;
            d[x] = alpha << 24 | Extract(p, r) << 16 | Extract(p, g) << 8 | Extract(p, b);
        }
    }
    return true;
}

}  // namespace plat
