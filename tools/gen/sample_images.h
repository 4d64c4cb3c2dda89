// The images of the sample game: simple generated pixel art for every file the standard
// surface table names, 8-bit bitmaps on one palette whose entry 0 is the transparent colour,
// the palette image, stage backgrounds, and the half-mix tables of the 8-bit display.
//
// Everything is computed, nothing random: the same call writes the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/pixel_format.h"

namespace gen {

// The sample palette: entry 0 the transparent colour (255, 0, 255), 1-15 greys up to white,
// 16-207 twelve ramps of 16 shades, 208-255 skin, earth and night tones. No two entries
// share a colour.
void SamplePalette(plat::PALETTEENTRY out[256]);
// The palette the player shows for palette number n (0-23): below 12 the ramps 16-207 turned
// down by n ramps, from 12 on ramp n - 11 copied over every ramp.
void HbtPalette(const plat::PALETTEENTRY base[256], int number, plat::PALETTEENTRY out[256]);
// Entry [a * 256 + b]: the first palette entry nearest to the half-and-half mix of a and b.
void MakeHbtTable(const plat::PALETTEENTRY palette[256], std::uint8_t table[65536]);

// One image in memory: 8-bit indices on the sample palette, rows top-down.
struct SampleImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
};

// The palette image: the colour table holds the palette, pixel (0, 0) the transparent colour,
// and the 16 x 16 grid at rows 8-23 (entry 16k + c at column c, row 8 + k) the palette again.
SampleImage PaletteImage();
// A glyph sheet of 16 x 16 cells of 8 x 16 pixels (white printable ASCII on the key).
SampleImage DebugFontImage();
// A sheet of 32 x 32 cells (8 columns, 15 rows) of figures facing right, for sheet 0-7.
SampleImage CharacterImage(int sheet);
// A 640 x 480 background picture, variant 0-7.
SampleImage BackgroundImage(int variant);

// The shot sheet's size: four column pairs of 16-dot cells, 30 rows.
inline constexpr int kShotSheetW = 128;
inline constexpr int kShotSheetH = 480;
// The sample sword type's images (in bmp/), three 32 x 16 frames side by side.
inline constexpr char kSwordImageRight[] = "SwordR.bmp";
inline constexpr char kSwordImageLeft[] = "SwordL.bmp";
inline constexpr int kSwordImageW = 96;
inline constexpr int kSwordImageH = 16;

// DIR/bmp/... : every image the standard surface table names (the palette image under
// bmp/plt), and backgrounds bmp/back/Back1.bmp to Back8.bmp. `dir` is a host path.
bool WriteSampleImages(const std::string& dir);
// DIR/bmp/hbt/hbt00.dat to hbt23.dat, for the palettes of HbtPalette.
bool WriteHbtTables(const std::string& dir);
// An image as an 8-bit bitmap file on the sample palette.
bool WriteSampleBitmap(const std::string& path, const SampleImage& image);

}  // namespace gen
