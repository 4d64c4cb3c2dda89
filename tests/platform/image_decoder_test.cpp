// The image readers: bitmap files of every depth and header built byte by byte from the
// documented layout, run-length encoded ones, hostile ones; PNG and JPEG through their
// libraries; the texture loader's conversion with its colour key.
#include "platform/image_decoder.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gen/bmp_writer.h"
#include "platform/d3dx_texture.h"
#include "platform/png_writer.h"
#include "support/byte_builder.h"
#include "support/temp_dir.h"

// The cases below name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// A bitmap file: file header, a 40-byte info header (or `infoSize` with the later fields
// zero unless `masks` is given), the colour table (0x00RRGGBB entries) and the pixel bytes.
struct BmpLayout {
    int width = 0;
    int height = 0;
    int bits = 8;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> table;
    std::vector<std::uint8_t> pixels;
    std::uint32_t colorsUsed = 0;
    std::uint32_t infoSize = 40;
    std::vector<std::uint32_t> masks;  // after a 40-byte header, or inside a longer one
    bool zeroOffset = false;
};

std::vector<std::uint8_t> Bmp(const BmpLayout& s) {
    const bool masksAfter = s.infoSize == 40 && !s.masks.empty();
    const std::uint32_t headers =
        14 + s.infoSize + (masksAfter ? 4 * static_cast<std::uint32_t>(s.masks.size()) : 0);
    const std::uint32_t offset = headers + 4 * static_cast<std::uint32_t>(s.table.size());
    ByteBuilder b;
    b.U8('B').U8('M').U32(offset + static_cast<std::uint32_t>(s.pixels.size())).U32(0);
    b.U32(s.zeroOffset ? 0 : offset);
    b.U32(s.infoSize).I32(s.width).I32(s.height).U16(1).U16(static_cast<std::uint16_t>(s.bits));
    b.U32(s.compression).U32(static_cast<std::uint32_t>(s.pixels.size())).U32(2835).U32(2835);
    b.U32(s.colorsUsed).U32(0);
    if (s.infoSize > 40) {
        for (std::uint32_t i = 0; i < (s.infoSize - 40) / 4; ++i)
            b.U32(i < s.masks.size() ? s.masks[i] : 0);
    } else {
        for (std::uint32_t m : s.masks) b.U32(m);
    }
    for (std::uint32_t c : s.table) b.U32(c);
    b.Bytes(s.pixels);
    return b.bytes;
}

plat::DecodedImage Decode(const std::vector<std::uint8_t>& bytes) {
    plat::DecodedImage image;
    std::string why;
    EXPECT_TRUE(plat::DecodeBmp(bytes.data(), bytes.size(), image, &why)) << why;
    return image;
}

std::vector<std::uint32_t> Colours(const plat::DecodedImage& image) {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.push_back(image.ColourAt(x, y));
    return out;
}

std::vector<int> Indices(const plat::DecodedImage& image) {
    std::vector<int> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.push_back(image.IndexAt(x, y));
    return out;
}

constexpr std::uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, W = 0xFFFFFFFFu,
                        K = 0xFF000000u;

TEST(BmpDecoder, IndexedDepthsUnpackToIndicesRowsBottomUp) {
    // 1 bit, 10 x 2: rows padded to 4 bytes; the bottom row comes first.
    plat::DecodedImage one = Decode(Bmp({.width = 10,
                                         .height = 2,
                                         .bits = 1,
                                         .table = {0xFF0000, 0x0000FF},
                                         .pixels = {0xFF, 0xC0, 0, 0, 0xA5, 0x40, 0, 0}}));
    EXPECT_EQ(one.bitCount, 1);
    EXPECT_EQ(Indices(one), (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1, 0, 1,  // stored second
                                              1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(one.ColourAt(0, 0), B);
    EXPECT_EQ(one.ColourAt(1, 0), R);
    // 4 bits, 3 x 1.
    plat::DecodedImage four = Decode(Bmp({.width = 3,
                                          .height = 1,
                                          .bits = 4,
                                          .table = {0, 0xFF0000, 0x00FF00},
                                          .pixels = {0x12, 0x00, 0, 0}}));
    EXPECT_EQ(Indices(four), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(four.ColourAt(1, 0), G);
    // 8 bits with a short table: an index past it is black.
    plat::DecodedImage eight = Decode(Bmp({.width = 3,
                                           .height = 1,
                                           .bits = 8,
                                           .table = {0xFFFFFF, 0x0000FF},
                                           .pixels = {1, 0, 9, 0},
                                           .colorsUsed = 2}));
    EXPECT_EQ(eight.paletteCount, 2);
    EXPECT_EQ(Colours(eight), (std::vector<std::uint32_t>{B, W, K}));
}

TEST(BmpDecoder, DirectColourDepths) {
    // 16 bits 5-5-5, widened by repeating bits: 1 -> 8.
    plat::DecodedImage d16 =
        Decode(Bmp({.width = 2, .height = 1, .bits = 16, .pixels = {0x00, 0x7C, 0x21, 0x04}}));
    EXPECT_EQ(Colours(d16), (std::vector<std::uint32_t>{R, 0xFF080808u}));
    // 16 bits 5-6-5 by bit fields after the header.
    plat::DecodedImage d565 = Decode(Bmp({.width = 2,
                                          .height = 1,
                                          .bits = 16,
                                          .compression = 3,
                                          .pixels = {0xE0, 0x07, 0x41, 0x08},
                                          .masks = {0xF800, 0x07E0, 0x001F}}));
    EXPECT_EQ(Colours(d565), (std::vector<std::uint32_t>{G, 0xFF080808u}));
    // 24 bits, 3 x 2: 9 bytes of pixels and 3 of padding per row.
    plat::DecodedImage d24 = Decode(
        Bmp({.width = 3, .height = 2, .bits = 24, .pixels = {0, 0, 255, 0, 255, 0,   255, 0,
                                                             0, 9, 9,   9, 255, 255, 255, 0,
                                                             0, 0, 1,   2, 3,   9,   9,   9}}));
    EXPECT_EQ(Colours(d24), (std::vector<std::uint32_t>{W, K, 0xFF030201u, R, G, B}));
    // 32 bits without masks: the fourth byte is unused, the pixel opaque.
    plat::DecodedImage d32 =
        Decode(Bmp({.width = 1, .height = 1, .bits = 32, .pixels = {0x10, 0x20, 0x30, 0x00}}));
    EXPECT_EQ(d32.ColourAt(0, 0), 0xFF302010u);
    // 32 bits with an alpha mask in a 124-byte header.
    plat::DecodedImage d32a = Decode(Bmp({.width = 1,
                                          .height = 1,
                                          .bits = 32,
                                          .compression = 3,
                                          .pixels = {0x10, 0x20, 0x30, 0x40},
                                          .infoSize = 124,
                                          .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}));
    EXPECT_EQ(d32a.ColourAt(0, 0), 0x40302010u);
}

TEST(BmpDecoder, TopDownCoreHeaderAndZeroOffset) {
    plat::DecodedImage topDown =
        Decode(Bmp({.width = 1, .height = -2, .bits = 24, .pixels = {0, 0, 255, 0, 0, 255, 0, 0}}));
    EXPECT_EQ(Colours(topDown), (std::vector<std::uint32_t>{R, G}));
    // The 12-byte core header: 16-bit sizes and three-byte table entries.
    ByteBuilder core;
    core.U8('B').U8('M').U32(0).U32(0).U32(14 + 12 + 6);
    core.U32(12).U16(2).U16(1).U16(1).U16(8);
    core.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0);  // red, green
    core.U8(1).U8(0).U8(0).U8(0);
    plat::DecodedImage c = Decode(core.bytes);
    EXPECT_EQ(Colours(c), (std::vector<std::uint32_t>{G, R}));
    // A file header that leaves the pixel offset 0: the pixels follow the table.
    plat::DecodedImage zero = Decode(Bmp({.width = 1,
                                          .height = 1,
                                          .bits = 8,
                                          .table = {0x123456, 0xABCDEF},
                                          .pixels = {1, 0, 0, 0},
                                          .colorsUsed = 2,
                                          .zeroOffset = true}));
    EXPECT_EQ(zero.ColourAt(0, 0), 0xFFABCDEFu);
}

TEST(BmpDecoder, RunLengthEncoded) {
    // RLE8, 6 x 3, bottom row first: a run and an absolute run (padded) on it, end of line,
    // a move of one column and one row (to the top row), a run, end of bitmap.
    plat::DecodedImage rle8 =
        Decode(Bmp({.width = 6,
                    .height = 3,
                    .bits = 8,
                    .compression = 1,
                    .table = {0, 0xFF0000, 0x00FF00, 0x0000FF},
                    .pixels = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1}}));
    EXPECT_EQ(Indices(rle8), (std::vector<int>{0, 3, 3, 0, 0, 0,  // after the move
                                               0, 0, 0, 0, 0, 0,  // never reached
                                               1, 1, 1, 2, 3, 2}));
    // RLE4, 6 x 1: a run of alternating nibbles, an absolute run of 3.
    plat::DecodedImage rle4 = Decode(Bmp({.width = 6,
                                          .height = 1,
                                          .bits = 4,
                                          .compression = 2,
                                          .table = {0, 0xFF0000, 0x00FF00, 0x0000FF},
                                          .pixels = {3, 0x12, 0, 3, 0x30, 0x10, 0, 1}}));
    EXPECT_EQ(Indices(rle4), (std::vector<int>{1, 2, 1, 3, 0, 1}));
    // Runs and moves past the edges are cut, a stream without its end stops where it stops,
    // an absolute run longer than the data reads no further.
    plat::DecodedImage wild = Decode(Bmp({.width = 2,
                                          .height = 2,
                                          .bits = 8,
                                          .compression = 1,
                                          .table = {0, 0xFF0000},
                                          .pixels = {200, 1, 0, 2, 255, 255, 0, 40, 1, 1}}));
    EXPECT_EQ(Indices(wild), (std::vector<int>{0, 0, 1, 1}));
}

struct HostileCase {
    const char* name;
    BmpLayout layout;
    std::size_t cut;  // bytes dropped from the end
};

std::vector<HostileCase> HostileCases() {
    return {
        {"TruncatedPixels",
         {.width = 4, .height = 4, .bits = 24, .pixels = std::vector<std::uint8_t>(47)},
         0},
        {"TooWide",
         {.width = 16385,
          .height = 1,
          .bits = 8,
          .table = {0},
          .pixels = std::vector<std::uint8_t>(16388)},
         0},
        {"TooTall", {.width = 1, .height = 16385, .bits = 8}, 0},
        {"TooLargeDecoded", {.width = 16384, .height = 4097, .bits = 1}, 0},
        {"ZeroWidth", {.width = 0, .height = 1, .bits = 8, .pixels = {0, 0, 0, 0}}, 0},
        {"ZeroHeight", {.width = 1, .height = 0, .bits = 8, .pixels = {0, 0, 0, 0}}, 0},
        {"NegativeWidth", {.width = -1, .height = 1, .bits = 8, .pixels = {0, 0, 0, 0}}, 0},
        {"MostNegativeHeight",
         {.width = 1, .height = INT32_MIN, .bits = 8, .pixels = {0, 0, 0, 0}},
         0},
        {"TwoBits", {.width = 1, .height = 1, .bits = 2, .pixels = {0, 0, 0, 0}}, 0},
        {"Rle8WithFourBits",
         {.width = 1, .height = 1, .bits = 4, .compression = 1, .pixels = {1, 1, 0, 1}},
         0},
        {"TopDownRle",
         {.width = 1, .height = -1, .bits = 8, .compression = 1, .pixels = {1, 1, 0, 1}},
         0},
        {"EmbeddedJpeg",
         {.width = 1, .height = 1, .bits = 0, .compression = 4, .pixels = {0xFF, 0xD8}},
         0},
        {"UnknownHeader",
         {.width = 1, .height = 1, .bits = 8, .pixels = {0, 0, 0, 0}, .infoSize = 44},
         0},
        {"HeaderPastTheEnd",
         {.width = 1, .height = 1, .bits = 8, .pixels = {}, .infoSize = 124},
         100},
        {"MasksCut",
         {.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {1, 2, 3}},
         8},
        {"NoPixels", {.width = 1, .height = 1, .bits = 8, .table = {0}}, 0},
    };
}

TEST(BmpDecoder, HostileFilesAreRefused) {
    for (const HostileCase& c : HostileCases()) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = Bmp(c.layout);
        bytes.resize(bytes.size() - std::min(c.cut, bytes.size()));
        plat::DecodedImage image;
        std::string why;
        EXPECT_FALSE(plat::DecodeBmp(bytes.data(), bytes.size(), image, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(image.indices.empty() && image.argb.empty());
        EXPECT_EQ(image.width, 0);
    }
    plat::DecodedImage image;
    const std::uint8_t notBmp[] = {'B', 'X', 0, 0};
    EXPECT_FALSE(plat::DecodeBmp(notBmp, sizeof notBmp, image, nullptr));
    EXPECT_FALSE(plat::DecodeBmp(nullptr, 0, image, nullptr));
    // The largest image allowed decodes.
    EXPECT_TRUE(plat::ImageSizeAllowed(16384, 4096));
    EXPECT_FALSE(plat::ImageSizeAllowed(16384, 4097));
}

// ---- PNG and JPEG

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
    return bytes;
}

std::vector<std::uint8_t> EncodeJpeg(int w, int h, std::uint32_t colour, bool progressive = false) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[3 * x] = static_cast<JSAMPLE>(colour >> 16);
        row[3 * x + 1] = static_cast<JSAMPLE>(colour >> 8);
        row[3 * x + 2] = static_cast<JSAMPLE>(colour);
    }
    JSAMPROW rows[1] = {row.data()};
    for (int y = 0; y < h; ++y) jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

TEST(ImageDecoder, PngThroughItsLibrary) {
    TempDir dir;
    const std::uint32_t pixels[6] = {R, G, B, W, K, 0xFF123456u};
    ASSERT_TRUE(plat::WritePng("a.png", pixels, 3, 2, 3, nullptr));
    std::vector<std::uint8_t> bytes = ReadBytes("a.png");
    plat::DecodedImage image;
    ASSERT_TRUE(plat::DecodeImage(bytes.data(), bytes.size(), image, nullptr));
    EXPECT_EQ(image.bitCount, 32);
    EXPECT_EQ(Colours(image), (std::vector<std::uint32_t>(pixels, pixels + 6)));
    // Damaged data after a sound header is refused.
    bytes.resize(bytes.size() - 20);
    EXPECT_FALSE(plat::DecodeImage(bytes.data(), bytes.size(), image, nullptr));
    // Wider than 16384: refused from the header.
    std::vector<std::uint32_t> wide(16385, R);
    ASSERT_TRUE(plat::WritePng("wide.png", wide.data(), 16385, 1, 16385, nullptr));
    bytes = ReadBytes("wide.png");
    std::string why;
    EXPECT_FALSE(plat::DecodePng(bytes.data(), bytes.size(), image, &why));
    EXPECT_EQ(why, "image too large or empty");
}

TEST(ImageDecoder, JpegThroughItsLibrary) {
    const std::vector<std::uint8_t> bytes = EncodeJpeg(16, 8, 0x3080C0);
    plat::DecodedImage image;
    std::string why;
    ASSERT_TRUE(plat::DecodeImage(bytes.data(), bytes.size(), image, &why)) << why;
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 8);
    EXPECT_EQ(image.bitCount, 24);
    for (std::uint32_t c : Colours(image)) {
        // A flat colour survives the transform to within rounding.
        EXPECT_NEAR(static_cast<int>((c >> 16) & 0xFF), 0x30, 2);
        EXPECT_NEAR(static_cast<int>((c >> 8) & 0xFF), 0x80, 2);
        EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0, 2);
        EXPECT_EQ(c >> 24, 0xFFu);
    }
    // Cut inside its headers: refused.
    EXPECT_FALSE(plat::DecodeJpeg(bytes.data(), 40, image, &why));
    const std::vector<std::uint8_t> wide = EncodeJpeg(16385, 1, 0);
    EXPECT_FALSE(plat::DecodeJpeg(wide.data(), wide.size(), image, &why));
    EXPECT_EQ(why, "image too large or empty");
    const std::uint8_t unknown[] = {'G', 'I', 'F', '8'};
    EXPECT_FALSE(plat::DecodeImage(unknown, sizeof unknown, image, &why));
}

// A progressive image is decoded from coefficients of the whole image kept until the last
// scan. A small file that declares 8192 wide, 8191 high (just under the decoded limit) with
// three full-size components would need some 400 MB of them: the load fails before any is
// allocated, while a normal progressive image still decodes.
TEST(ImageDecoder, ProgressiveJpegMemoryIsCapped) {
    const std::vector<std::uint8_t> small = EncodeJpeg(24, 16, 0x3080C0, true);
    plat::DecodedImage image;
    std::string why;
    ASSERT_TRUE(plat::DecodeJpeg(small.data(), small.size(), image, &why)) << why;
    EXPECT_EQ(image.width, 24);
    EXPECT_EQ(image.height, 16);
    EXPECT_NEAR(static_cast<int>((Colours(image)[0] >> 8) & 0xFF), 0x80, 2);

    std::vector<std::uint8_t> hostile = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    hostile.insert(hostile.end(), 64, 1);  // quantisation table 0
    // Progressive, 8192 wide, 8191 high, three components sampled 1 x 1.
    const std::uint8_t frame[] = {0xFF, 0xC2, 0x00, 0x11, 8,    0x1F, 0xFF, 0x20, 0x00, 3,
                                  1,    0x11, 0,    2,    0x11, 0,    3,    0x11, 0};
    // DC table 0: one code, "0", for a difference of 0.
    const std::uint8_t dc[] = {0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0, 0,
                               0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0};
    // The first DC scan of all three, then its data.
    const std::uint8_t scan[] = {0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0, 2, 0, 3, 0, 0, 0, 0};
    for (const auto& part : {std::vector<std::uint8_t>(frame, frame + sizeof frame),
                             std::vector<std::uint8_t>(dc, dc + sizeof dc),
                             std::vector<std::uint8_t>(scan, scan + sizeof scan)})
        hostile.insert(hostile.end(), part.begin(), part.end());
    hostile.insert(hostile.end(), 16, 0);
    hostile.push_back(0xFF);
    hostile.push_back(0xD9);
    EXPECT_FALSE(plat::DecodeJpeg(hostile.data(), hostile.size(), image, &why));
    EXPECT_EQ(why, "JPEG image needs too much memory");
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.argb.empty());
}

TEST(ImageDecoder, FilesByProgramPath) {
    TempDir dir;
    std::vector<std::uint32_t> one = {G};
    ASSERT_TRUE(gen::WriteFileBytes("Bmp/Sub/One.bmp", gen::EncodeDirectBmp(1, 1, 24, one)));
    ASSERT_TRUE(plat::WritePng("Bmp/two.png", one.data(), 1, 1, 1, nullptr));
    plat::DecodedImage image;
    EXPECT_TRUE(plat::LoadImageFile("bmp\\sub\\one.bmp", true, image, nullptr));
    EXPECT_EQ(image.ColourAt(0, 0), G);
    // The window system's bitmap loader reads bitmaps only; the texture loader all three.
    EXPECT_FALSE(plat::LoadImageFile("bmp\\two.png", true, image, nullptr));
    EXPECT_TRUE(plat::LoadImageFile("bmp\\two.png", false, image, nullptr));
    EXPECT_FALSE(plat::LoadImageFile("bmp\\missing.bmp", false, image, nullptr));
    EXPECT_FALSE(plat::LoadImageFile("", false, image, nullptr));
}

// The loader's texels: the key colour exactly becomes transparent black, the others are
// converted to the texture's format (5-bit channels cut), the rest of the texture stays 0.
TEST(TextureLoader, KeyAndFormats) {
    plat::DecodedImage image;
    image.width = 3;
    image.height = 1;
    image.bitCount = 24;
    image.argb = {0xFFFF00FFu, 0xFFFE00FFu, 0xFF0F0F0Fu};
    auto wide = plat::SoftSurface::Create(4, 2, plat::D3DFMT_A8R8G8B8);
    plat::WriteImageTexels(image, 0xFFFF00FFu, *wide);
    EXPECT_EQ(wide->Pixel(0, 0), 0u);
    EXPECT_EQ(wide->Pixel(1, 0), 0xFFFE00FFu);
    EXPECT_EQ(wide->Pixel(2, 0), 0xFF0F0F0Fu);
    EXPECT_EQ(wide->Pixel(3, 0), 0u);
    EXPECT_EQ(wide->Pixel(0, 1), 0u);
    auto narrow = plat::SoftSurface::Create(3, 1, plat::D3DFMT_A1R5G5B5);
    plat::WriteImageTexels(image, 0xFFFF00FFu, *narrow);
    EXPECT_EQ(narrow->Pixel(0, 0), 0u);
    EXPECT_EQ(narrow->Pixel(1, 0), 0xFC1Fu);  // 254 and 255 cut to 31 alike: only the key is keyed
    EXPECT_EQ(narrow->Pixel(2, 0), 0x8000u | 1u << 10 | 1u << 5 | 1u);
    // Key 0 keys nothing.
    plat::WriteImageTexels(image, 0, *wide);
    EXPECT_EQ(wide->Pixel(0, 0), 0xFFFF00FFu);
}

}  // namespace
