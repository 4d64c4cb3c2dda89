#include "gen/sample_images.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/option_record.h"
#include "gen/bmp_writer.h"

namespace gen {
namespace {

using plat::PALETTEENTRY;

constexpr std::uint8_t kKey = 0;
constexpr std::uint8_t kWhite = 15;
constexpr std::uint8_t kBlack = 224;

// The twelve hues of the ramps 16-207.
constexpr std::uint8_t kHues[12][3] = {
    {255, 0, 0},   {255, 128, 0}, {255, 255, 0}, {128, 255, 0}, {0, 255, 0},   {0, 255, 128},
    {0, 255, 255}, {0, 128, 255}, {0, 0, 255},   {128, 0, 255}, {255, 0, 255}, {255, 0, 128},
};

// Ramp g (0-11), shade k (0 dark - 15 light).
std::uint8_t Ramp(int g, int k) {
    return static_cast<std::uint8_t>(16 + 16 * (g % 12) + std::clamp(k, 0, 15));
}

std::uint8_t Grey(int level) {  // 1-15
    return static_cast<std::uint8_t>(std::clamp(level, 1, 15));
}

std::uint8_t Skin(int k) {  // 0-15: earth to light skin
    return static_cast<std::uint8_t>(208 + std::clamp(k, 0, 15));
}

std::uint8_t Night(int k) {  // 0 black, 1-15 night blues
    return static_cast<std::uint8_t>(224 + std::clamp(k, 0, 15));
}

std::uint8_t Accent(int k) {  // 0-15
    return static_cast<std::uint8_t>(240 + (k & 15));
}

// Rows of 3 bits, top to bottom, for the printable characters that have a glyph.
struct Glyph {
    char c;
    std::uint8_t rows[5];
};
constexpr Glyph kFont[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 2, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}},
    {'G', {3, 4, 5, 5, 3}}, {'H', {5, 5, 7, 5, 5}}, {'I', {7, 2, 2, 2, 7}}, {'J', {1, 1, 1, 5, 2}},
    {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}}, {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}},
    {'O', {2, 5, 5, 5, 2}}, {'P', {6, 5, 6, 4, 4}}, {'Q', {2, 5, 5, 6, 3}}, {'R', {6, 5, 6, 5, 5}},
    {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}}, {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 5, 2}},
    {'W', {5, 5, 7, 7, 5}}, {'X', {5, 5, 2, 5, 5}}, {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}},
    {'(', {1, 2, 2, 2, 1}}, {')', {4, 2, 2, 2, 4}}, {'%', {5, 1, 2, 4, 5}}, {'-', {0, 0, 7, 0, 0}},
    {'.', {0, 0, 0, 0, 2}}, {':', {0, 2, 0, 2, 0}}, {'=', {0, 7, 0, 7, 0}}, {'_', {0, 0, 0, 0, 7}},
    {'/', {1, 1, 2, 4, 4}}, {'+', {0, 2, 7, 2, 0}}, {'!', {2, 2, 2, 0, 2}}, {'?', {7, 1, 2, 0, 2}},
    {',', {0, 0, 0, 2, 4}}, {'*', {5, 2, 7, 2, 5}}, {'#', {5, 7, 5, 7, 5}}, {'<', {1, 2, 4, 2, 1}},
    {'>', {4, 2, 1, 2, 4}}, {'[', {3, 2, 2, 2, 3}}, {']', {6, 2, 2, 2, 6}}, {'\'', {2, 2, 0, 0, 0}},
    {'"', {5, 5, 0, 0, 0}}, {';', {0, 2, 0, 2, 4}}, {'$', {3, 6, 2, 3, 6}}, {'&', {2, 5, 2, 5, 3}},
};

const std::uint8_t* GlyphRows(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kFont)
        if (g.c == c) return g.rows;
    return nullptr;
}

class Canvas {
public:
    Canvas(int w, int h, std::uint8_t fill) {
        image.width = w;
        image.height = h;
        image.indices.assign(static_cast<std::size_t>(w) * h, fill);
    }
    void Set(int x, int y, std::uint8_t v) {
        if (x >= 0 && y >= 0 && x < image.width && y < image.height)
            image.indices[static_cast<std::size_t>(y) * image.width + x] = v;
    }
    void Fill(int x, int y, int w, int h, std::uint8_t v) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) Set(i, j, v);
    }
    void Frame(int x, int y, int w, int h, std::uint8_t v) {
        Fill(x, y, w, 1, v);
        Fill(x, y + h - 1, w, 1, v);
        Fill(x, y, 1, h, v);
        Fill(x + w - 1, y, 1, h, v);
    }
    void Disc(int cx, int cy, int r, std::uint8_t v) {
        for (int j = -r; j <= r; ++j)
            for (int i = -r; i <= r; ++i)
                if (i * i + j * j <= r * r + r / 2) Set(cx + i, cy + j, v);
    }
    // A diamond of half-width r.
    void Diamond(int cx, int cy, int r, std::uint8_t v) {
        for (int j = -r; j <= r; ++j)
            for (int i = -r; i <= r; ++i)
                if ((i < 0 ? -i : i) + (j < 0 ? -j : j) <= r) Set(cx + i, cy + j, v);
    }
    void Text(int x, int y, const char* text, std::uint8_t v, int scale) {
        for (; *text; ++text, x += 4 * scale) {
            const std::uint8_t* rows = GlyphRows(*text);
            if (!rows) continue;
            for (int j = 0; j < 5; ++j)
                for (int i = 0; i < 3; ++i)
                    if (rows[j] & (4 >> i)) Fill(x + i * scale, y + j * scale, scale, scale, v);
        }
    }

    SampleImage image;
};

// A small number from a position, for patterns that look irregular but never change.
unsigned Hash(unsigned a, unsigned b) {
    unsigned h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0xC2B2AE3Du;
    return h ^ (h >> 13);
}

void DrawBlock(Canvas& c, int x, int y, int n) {
    const int kind = n % 6, g = (n / 6) % 12;
    switch (kind) {
        case 0:  // bricks
            c.Fill(x, y, 32, 32, Ramp(g, 5));
            for (int row = 0; row < 4; ++row) {
                c.Fill(x, y + row * 8 + 7, 32, 1, Ramp(g, 2));
                const int shift = row % 2 ? 8 : 0;
                for (int col = shift; col < 32; col += 16)
                    c.Fill(x + col, y + row * 8, 1, 7, Ramp(g, 2));
            }
            break;
        case 1:  // earth with grass on top
            c.Fill(x, y, 32, 32, Skin(3));
            c.Fill(x, y, 32, 6, Ramp(4, 6));
            for (int i = 0; i < 32; i += 3) c.Set(x + i, y + 6, Ramp(4, 4));
            for (int i = 0; i < 12; ++i)
                c.Set(x + static_cast<int>(Hash(n, i) % 32),
                      y + 8 + static_cast<int>(Hash(i, n) % 24), Skin(1));
            break;
        case 2:  // stone
            c.Fill(x, y, 32, 32, Grey(8));
            c.Frame(x, y, 32, 32, Grey(5));
            c.Fill(x + 1, y + 1, 30, 1, Grey(11));
            c.Fill(x + 1, y + 1, 1, 30, Grey(11));
            break;
        case 3:  // metal plate with rivets
            c.Fill(x, y, 32, 32, Ramp(g, 9));
            c.Frame(x, y, 32, 32, Ramp(g, 3));
            for (int i : {4, 27})
                for (int j : {4, 27}) c.Disc(x + i, y + j, 1, Ramp(g, 14));
            break;
        case 4:  // wood
            c.Fill(x, y, 32, 32, Skin(6));
            for (int j = 3; j < 32; j += 6) c.Fill(x, y + j, 32, 1, Skin(2));
            break;
        default:  // ladder on the transparent colour
            c.Fill(x + 6, y, 3, 32, Skin(4));
            c.Fill(x + 23, y, 3, 32, Skin(4));
            for (int j = 4; j < 32; j += 8) c.Fill(x + 6, y + j, 20, 2, Skin(7));
            break;
    }
}

// The figures face left, as the sheets are drawn; the player mirrors them for the right.
// Row 1 is the hero, row 2 a walking blob, row 3 a bat, the others people in the row's
// colours. Columns 0-3 walk, 4-7 the same with a flash of armour (the invincible frames).
void DrawPerson(Canvas& c, int x, int y, int g, int frame, bool hero) {
    const std::uint8_t body = Ramp(g, 8), dark = Ramp(g, 3), light = Ramp(g, 12);
    const int step = frame % 2 ? 2 : 0;
    c.Fill(x + 12 + step, y + 23, 3, 8, dark);  // legs
    c.Fill(x + 17 - step, y + 23, 3, 8, dark);
    c.Fill(x + 11, y + 12, 10, 11, body);  // body
    c.Frame(x + 11, y + 12, 10, 11, dark);
    c.Fill(x + 12, y + 17, 8, 1, light);                  // belt
    c.Disc(x + 16, y + 7, 5, Skin(12));                   // head
    c.Fill(x + 12, y + 5, 2, 2, kBlack);                  // the eye, on the left: it looks left
    c.Fill(x + 4, y + 14 + (frame % 4), 7, 2, Skin(10));  // the arm forward
    if (hero) {
        c.Fill(x + 10, y + 1, 12, 3, Ramp(0, 9));  // a red cap with its peak forward
        c.Fill(x + 7, y + 3, 6, 1, Ramp(0, 6));
    }
    if (frame >= 4) {
        c.Frame(x + 10, y + 11, 12, 13, kWhite);
        c.Fill(x + 3, y + 8, 2, 12, Grey(13));  // a raised sword
    }
}

void DrawBlob(Canvas& c, int x, int y, int frame) {
    const int squash = frame % 2;
    const std::uint8_t body = Ramp(4, 8 + (frame >= 4 ? 4 : 0));
    for (int j = 0; j < 16 - squash * 2; ++j) {
        const int half = 12 - (j < 6 ? (6 - j) * (6 - j) / 4 : 0);
        c.Fill(x + 16 - half, y + 31 - j, 2 * half, 1, body);
    }
    c.Fill(x + 5, y + 31, 22, 1, Ramp(4, 3));
    c.Disc(x + 11, y + 21 + squash, 3, kWhite);  // eyes, looking left
    c.Disc(x + 19, y + 21 + squash, 3, kWhite);
    c.Fill(x + 10, y + 21 + squash, 2, 2, kBlack);
    c.Fill(x + 18, y + 21 + squash, 2, 2, kBlack);
}

void DrawBat(Canvas& c, int x, int y, int frame) {
    const std::uint8_t body = Night(6);
    const int flap = frame % 2 ? 6 : -2;
    c.Disc(x + 16, y + 16, 6, body);
    for (int i = 0; i < 10; ++i) {
        c.Fill(x + 10 - i, y + 14 + (i * flap) / 10, 1, 4, body);  // wings
        c.Fill(x + 22 + i, y + 14 + (i * flap) / 10, 1, 4, body);
    }
    c.Fill(x + 12, y + 14, 2, 2, Ramp(0, 12));  // red eyes
    c.Fill(x + 16, y + 14, 2, 2, Ramp(0, 12));
}

void DrawFigure(Canvas& c, int x, int y, int sheet, int row, int frame) {
    if (sheet == 0 && row == 2) return DrawBlob(c, x, y, frame);
    if (sheet == 0 && row == 3) return DrawBat(c, x, y, frame);
    DrawPerson(c, x, y, (sheet * 3 + row) % 12, frame, sheet == 0 && row == 1);
}

SampleImage SheetOf(int w, int h, int cellW, int cellH, void (*draw)(Canvas&, int, int, int)) {
    Canvas c(w, h, kKey);
    const int rows = h / cellH;
    for (int cx = 0; cx + cellW <= w; cx += cellW)
        for (int r = 0; r < rows; ++r) draw(c, cx, r * cellH, (cx / cellW) * rows + r);
    return c.image;
}

// The shot sheet: 16 x 16 cells, 30 rows; graphic n has its two animation cells side by side
// in column pair n / 30, row n % 30. A ball flying left with its trail to the right (the
// right-facing sheet is the mirror of each cell); the second cell's ball is a little larger.
SampleImage ShotImage() {
    Canvas c(kShotSheetW, kShotSheetH, kKey);
    for (int pair = 0; pair < kShotSheetW / 32; ++pair) {
        for (int row = 0; row < kShotSheetH / 16; ++row) {
            const int n = pair * 30 + row;
            const int g = n % 12;
            for (int cell = 0; cell < 2; ++cell) {
                const int x = (pair * 2 + cell) * 16;
                const int y = row * 16;
                for (int i = 0; i < 6; ++i)
                    c.Set(x + 9 + i, y + 8 + (i + cell) % 2, Ramp(g, 5 + i));
                c.Disc(x + 7, y + 8, 3 + cell, Ramp(g, 11));
                c.Set(x + 6, y + 7, kWhite);
            }
        }
    }
    return c.image;
}

// A sword type's image: three 32 x 16 cut-outs of a blade, level, raised and lowered, held at
// its left end (the image of the right-facing swing).
SampleImage SwordImage() {
    Canvas c(kSwordImageW, kSwordImageH, kKey);
    for (int frame = 0; frame < 3; ++frame) {
        const int x0 = frame * 32;
        const int lift = frame == 0 ? 0 : (frame == 1 ? -1 : 1);
        c.Fill(x0, 6, 4, 4, Grey(6));  // the hilt
        for (int i = 4; i < 31; ++i) {
            const int y = 7 + (lift * (i - 4)) / 5;
            c.Fill(x0 + i, y, 1, 2, Grey(i < 28 ? 14 : 11));
        }
    }
    return c.image;
}

// The same image facing left: each cut-out mirrored in place.
SampleImage MirroredCells(const SampleImage& image, int cellW) {
    SampleImage out = image;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const int cell = x / cellW;
            const int mx = cell * cellW + (cellW - 1 - x % cellW);
            out.indices[static_cast<std::size_t>(y) * image.width + mx] =
                image.indices[static_cast<std::size_t>(y) * image.width + x];
        }
    return out;
}

// Items are two 32-dot frames side by side (64 dots per column of items): odd numbers are
// coins that turn, even ones gems that sparkle.
void DrawItem(Canvas& c, int x, int y, int n) {
    const int item = (n / 15) / 2 * 15 + n % 15, frame = (n / 15) % 2;
    const int g = item % 12;
    if (item % 2) {
        const int half = frame ? 5 : 10;
        for (int j = -10; j <= 10; ++j) {
            const int w = half * (100 - j * j) / 100;
            c.Fill(x + 16 - w, y + 16 + j, 2 * w + 1, 1, Ramp(2, 10));
        }
        c.Fill(x + 15, y + 10, 2, 12, Ramp(1, 6));
    } else {
        c.Diamond(x + 16, y + 16, 11, Ramp(g, 9));
        c.Diamond(x + 13, y + 13, 4, Ramp(g, 14));
        if (frame) c.Disc(x + 20, y + 10, 1, kWhite);
    }
}

void DrawMiniItem(Canvas& c, int x, int y, int n) {
    if (n % 2)
        c.Disc(x + 8, y + 8, 6, Ramp(2, 10));
    else
        c.Diamond(x + 8, y + 8, 6, Ramp(n % 12, 10));
}

// Marks sit over a character's top right: a badge in the mark's colour with a symbol.
void DrawMark(Canvas& c, int x, int y, int n) {
    const std::uint8_t v = Ramp(n % 12, 10);
    c.Disc(x + 25, y + 6, 5, Night(1));
    c.Disc(x + 25, y + 6, 4, v);
    if (n % 2) {
        c.Fill(x + 24, y + 3, 2, 4, kWhite);  // "!"
        c.Fill(x + 24, y + 8, 2, 1, kWhite);
    } else {
        c.Fill(x + 22, y + 5, 7, 2, kWhite);  // "+"
        c.Fill(x + 24, y + 3, 2, 6, kWhite);
    }
}

void DrawIcon(Canvas& c, int x, int y, int n) {
    c.Disc(x + 16, y + 16, 12, Ramp(n % 12, 4));
    c.Disc(x + 16, y + 16, 8, Ramp(n % 12, 11));
    c.Disc(x + 16, y + 16, 3, Accent(n));
}

void DrawSymbol(Canvas& c, int x, int y, int n) {
    static const char kSymbols[] = "0123456789+-*/=%:.!?";
    const char text[2] = {kSymbols[n % 20], 0};
    c.Text(x + 2, y + 3, text, kWhite, 2);
}

SampleImage Plates(int w, int h, int plateH, const char* const* words, int count, bool keyed) {
    Canvas c(w, h, keyed ? kKey : Night(2));
    for (int i = 0; i < count && (i + 1) * plateH <= h; ++i) {
        const int y = i * plateH;
        c.Fill(2, y + 2, w - 4, plateH - 4, Night(5));
        c.Frame(2, y + 2, w - 4, plateH - 4, Grey(12));
        c.Text(8, y + (plateH - 10) / 2, words[i], kWhite, 2);
    }
    return c.image;
}

// The captions of the game scene as strips 32 dots high: the stage caption (0, 0), the replay
// caption (0, 32), the stage-clear caption (0, 64), game over (0, 96), the digits 0-9 in
// 32 x 32 cells from (0, 128) for the stage's series number, and the clock's digits from
// (0, 160) for the time limit (the second start caption, which no sample stage shows, would
// share that place).
SampleImage WordImage() {
    Canvas c(320, 192, kKey);
    struct Plate {
        const char* word;
        int y, w;
    };
    const Plate plates[] = {
        {"STAGE", 0, 128}, {"REPLAY", 32, 128}, {"CLEAR", 64, 128}, {"GAME OVER", 96, 144}};
    for (const Plate& p : plates) {
        c.Fill(2, p.y + 2, p.w - 4, 28, Night(5));
        c.Frame(2, p.y + 2, p.w - 4, 28, Grey(12));
        c.Text(8, p.y + 11, p.word, kWhite, 2);
    }
    for (int d = 0; d < 10; ++d) {
        const char digit[2] = {static_cast<char>('0' + d), 0};
        c.Fill(d * 32 + 2, 130, 28, 28, Night(5));
        c.Frame(d * 32 + 2, 130, 28, 28, Grey(12));
        c.Text(d * 32 + 10, 136, digit, kWhite, 4);
        // The clock: yellow digits with a dark outline, no plate.
        for (int oy = -1; oy <= 1; ++oy)
            for (int ox = -1; ox <= 1; ++ox) c.Text(d * 32 + 10 + ox, 166 + oy, digit, Night(1), 4);
        c.Text(d * 32 + 10, 166, digit, Ramp(2, 13), 4);
    }
    return c.image;
}

// A window shows the top-left part of this background at its size: it covers the screen, so
// that a whole-screen window (the stage list, the options) is filled too.
SampleImage WindowImage() {
    Canvas c(640, 480, Night(4));
    c.Frame(0, 0, 640, 480, Grey(14));
    c.Frame(1, 1, 638, 478, Grey(9));
    c.Frame(2, 2, 636, 476, Night(8));
    return c.image;
}

SampleImage Landscape(int w, int h, int variant, const char* title) {
    Canvas c(w, h, Night(0));
    const int skyRamp = variant % 2 ? 7 : 8;
    for (int y = 0; y < h; ++y) {
        const int shade = 4 + y * 10 / h;
        c.Fill(0, y, w, 1, variant >= 4 ? Night(1 + y * 14 / h) : Ramp(skyRamp, shade));
    }
    // Hills: a sum of slow waves, different for each variant.
    for (int x = 0; x < w; ++x) {
        const int top = h * 2 / 3 - static_cast<int>((Hash(x / 40, variant) % 40)) -
                        ((x * (variant + 3)) % 97) / 4;
        c.Fill(x, top, 1, h - top, Ramp(4, 3 + (x / 40) % 3));
    }
    for (int i = 0; i < 12; ++i)
        c.Disc(static_cast<int>(Hash(i, variant + 7) % w),
               static_cast<int>(Hash(variant, i) % (h / 3)), 1 + i % 2,
               variant >= 4 ? kWhite : Grey(14));
    if (title) c.Text(w / 2 - static_cast<int>(std::strlen(title)) * 12, h / 4, title, kWhite, 6);
    return c.image;
}

SampleImage WorldBackImage() {
    Canvas c(640, 480, Ramp(4, 5));
    for (int y = 0; y < 480; ++y) {
        const int x = 300 + ((y * 7) % 120) - 60 + y / 8;
        c.Fill(x, y, 28, 1, Ramp(7, 7));
    }
    for (int i = 0; i < 200; ++i)
        c.Set(static_cast<int>(Hash(i, 1) % 640), static_cast<int>(Hash(1, i) % 480), Ramp(4, 8));
    return c.image;
}

// The status bar: a dark band across the top of the screen, 640 x 20, with a light edge.
SampleImage StatusWindowImage() {
    Canvas c(640, 20, kKey);
    c.Fill(0, 0, 640, 19, Night(3));
    c.Fill(0, 19, 640, 1, Grey(11));
    c.Fill(0, 0, 640, 1, Night(6));
    return c.image;
}

// The accessories of the game scene: the row of cursors at the top (unchanged 32-dot
// discs), the status bar's 16 x 16 icons at (0, 32) .. (64, 32), the status bar's gauges
// (frame at row 128, fill at 144, warning fill at 160; HP at x 0, SP at x 64), the actors'
// gauges as rows 2 dots high from 208 (frame, bar, warning bar, loss, gain), and the ranking
// cursor at (16, 48).
SampleImage AccessoryImage() {
    SampleImage image = SheetOf(256, 256, 32, 32, DrawIcon);
    Canvas c(256, 256, kKey);
    c.image.indices.assign(image.indices.begin(), image.indices.begin() + 256 * 32);
    c.image.indices.resize(256 * 256, kKey);
    // Icons: a coin, a star, a heart, a drop, the hero's head.
    c.Disc(8, 40, 6, Ramp(2, 12));
    c.Disc(8, 40, 3, Ramp(2, 8));
    for (int i = 0; i < 7; ++i) {
        c.Fill(24 - i / 2, 33 + i, 1 + i, 1, Ramp(2, 13));
        c.Fill(19 + i / 3, 40 + i, 10 - 2 * (i / 3), 1, Ramp(2, 13));
    }
    c.Disc(37, 38, 3, Ramp(0, 10));
    c.Disc(43, 38, 3, Ramp(0, 10));
    for (int j = 0; j < 6; ++j) c.Fill(34 + j, 40 + j, 12 - 2 * j, 1, Ramp(0, 10));
    c.Disc(56, 42, 4, Ramp(8, 11));
    for (int j = 0; j < 5; ++j) c.Fill(56 - j / 2, 34 + j, 1 + j, 1, Ramp(8, 11));
    c.Disc(72, 41, 5, Skin(12));
    c.Fill(66, 34, 12, 3, Ramp(0, 9));
    c.Fill(69, 40, 2, 2, kBlack);
    // The ranking cursor: an arrow pointing right at a place or a result line.
    for (int j = 0; j < 6; ++j) c.Fill(20 + j, 50 + j, 1, 12 - 2 * j, Ramp(4, 13));
    for (int g = 0; g < 2; ++g) {
        const int x = 64 * g;
        const int hue = g ? 8 : 4;
        c.Fill(x, 128, 50, 16, Night(2));
        c.Frame(x, 128, 50, 16, Grey(12));
        c.Fill(x, 144, 50, 16, kKey);
        for (int j = 2; j < 14; ++j) c.Fill(x + 1, 144 + j, 48, 1, Ramp(hue, 7 + j / 3));
        for (int j = 2; j < 14; ++j) c.Fill(x + 1, 160 + j, 48, 1, Ramp(0, 7 + j / 3));
        c.Fill(x, 208, 50, 2, kBlack);
        c.Fill(x, 210, 50, 2, Ramp(hue, 11));
        c.Fill(x, 212, 50, 2, Ramp(0, 11));
        c.Fill(x, 214, 50, 2, Ramp(0, 5));
        c.Fill(x, 216, 50, 2, kWhite);
    }
    // The world map's hero, 32 x 32, two frames each: facing down at (0, 64), up at (64, 64),
    // right at (0, 96), left at (64, 96); and the lives icon, his head, at (0, 48).
    for (int f = 0; f < 8; ++f) {
        const int x = 32 * (f % 4), y = 64 + 32 * (f / 4);
        const bool side = f >= 4, second = f % 2 == 1;
        const bool back = !side && f >= 2, left = side && f >= 6;
        c.Fill(x + 10, y + 14, 12, 10, Ramp(8, 8));                 // the tunic
        c.Fill(x + 11 + (second ? 2 : 0), y + 24, 4, 6, Night(3));  // the legs, stepping
        c.Fill(x + 17 - (second ? 2 : 0), y + 24, 4, 6, Night(3));
        c.Disc(x + 16, y + 9, 6, Skin(12));
        c.Fill(x + 10, y + 2, 12, 4, Ramp(0, 9));  // the cap
        if (back) c.Fill(x + 11, y + 6, 10, 5, Ramp(0, 9));
        if (!back && !side) {
            c.Set(x + 14, y + 9, kBlack);
            c.Set(x + 18, y + 9, kBlack);
        }
        if (side) c.Set(left ? x + 12 : x + 20, y + 9, kBlack);
    }
    c.Disc(8, 56, 6, Skin(12));
    c.Fill(2, 49, 12, 3, Ramp(0, 9));
    c.Set(6, 56, kBlack);
    c.Set(10, 56, kBlack);
    return c.image;
}

// The own bitmap of the sample's giant: a stone golem in cells of 64 x 64 (two blocks), four
// walking frames facing left.
SampleImage GolemImage() {
    Canvas c(512, 128, kKey);
    for (int frame = 0; frame < 8; ++frame) {
        const int x = frame * 64, step = frame % 2 ? 4 : 0;
        c.Fill(x + 18 + step, 48, 10, 16, Grey(5));
        c.Fill(x + 38 - step, 48, 10, 16, Grey(5));
        c.Fill(x + 12, 18, 40, 32, Grey(8));
        c.Frame(x + 12, 18, 40, 32, Grey(4));
        for (int i = 0; i < 6; ++i)
            c.Set(x + 14 + static_cast<int>(Hash(frame, i) % 36),
                  20 + static_cast<int>(Hash(i, 9) % 28), Grey(5));
        c.Fill(x + 20, 4, 24, 16, Grey(9));
        c.Fill(x + 23, 10, 4, 3, Ramp(0, 12));  // glowing eyes, looking left
        c.Fill(x + 31, 10, 4, 3, Ramp(0, 12));
        c.Fill(x + 2, 24 + (frame % 4) * 2, 12, 8, Grey(7));  // the fist forward
    }
    // The second row: the same in moss green (another colour of the same golem).
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 512; ++x) {
            const std::uint8_t v = c.image.indices[static_cast<std::size_t>(y) * 512 + x];
            c.Set(x, y + 64, v == kKey ? kKey : (v == Grey(8) ? Ramp(4, 7) : v));
        }
    return c.image;
}

// The hit effect: two 32 x 32 frames of a star burst.
SampleImage HitEffectImage() {
    Canvas c(64, 32, kKey);
    for (int frame = 0; frame < 2; ++frame) {
        const int cx = 32 * frame + 16, r = 6 + 6 * frame;
        for (int i = -r; i <= r; ++i) {
            c.Set(cx + i, 16, Ramp(2, 14));
            c.Set(cx, 16 + i, Ramp(2, 14));
            c.Set(cx + i / 2 * 1, 16 + i / 2, Ramp(1, 12));
            c.Set(cx - i / 2, 16 + i / 2, Ramp(1, 12));
        }
        c.Disc(cx, 16, 3 - frame, kWhite);
    }
    return c.image;
}

// The node icons of the world map: one row per kind of node, the node before its clear in
// the first cell, after it in the second. Row 0 a stage flag (red, then green with a tick),
// row 1 a castle, row 2 a boulder that bars the way, row 3 a signpost.
SampleImage WorldEventImage() {
    Canvas c(64, 128, kKey);
    for (int cleared = 0; cleared < 2; ++cleared) {
        const int x = 32 * cleared;
        const int hue = cleared ? 4 : 0;
        // A flag on a pole.
        c.Fill(x + 9, 4, 2, 26, Grey(3));
        c.Fill(x + 11, 4, 14, 10, Ramp(hue, 9));
        c.Fill(x + 11, 13, 14, 1, Ramp(hue, 5));
        if (cleared) {
            for (int i = 0; i < 4; ++i) c.Fill(x + 13 + i, 8 + i, 1, 2, kWhite);
            for (int i = 0; i < 6; ++i) c.Fill(x + 17 + i, 11 - i, 1, 2, kWhite);
        }
        // A castle: walls, battlements and a gate.
        c.Fill(x + 4, 32 + 12, 24, 18, cleared ? Ramp(4, 8) : Grey(9));
        for (int i = 0; i < 4; ++i)
            c.Fill(x + 4 + 7 * i, 32 + 7, 3, 5, cleared ? Ramp(4, 8) : Grey(9));
        c.Fill(x + 13, 32 + 20, 6, 10, Night(2));
        c.Frame(x + 4, 32 + 12, 24, 18, Grey(4));
        // A boulder.
        c.Disc(x + 16, 64 + 18, 12, Grey(6 + 2 * cleared));
        c.Disc(x + 12, 64 + 14, 4, Grey(10 + 2 * cleared));
        // A signpost.
        c.Fill(x + 15, 96 + 12, 3, 18, Skin(4));
        c.Fill(x + 6, 96 + 5, 22, 9, Skin(9));
        c.Frame(x + 6, 96 + 5, 22, 9, Skin(3));
    }
    return c.image;
}

// The tiles of the world map, five to a row as the map reads them: 0 the sea (the colour key:
// the map's background picture shows through), 1 mountains, 2 a forest, 3 a stone wall,
// 4 rocks (0 to 4 bar the way), 5 the road, 6 grass, 7 a bridge, 8 sand, 9 flowers.
SampleImage WorldMapChipImage() {
    Canvas c(160, 64, kKey);
    for (int chip = 1; chip < 10; ++chip) {
        const int x = 32 * (chip % 5), y = 32 * (chip / 5);
        const std::uint8_t grass = Ramp(4, 6);
        switch (chip) {
            case 1:
                c.Fill(x, y, 32, 32, grass);
                for (int j = 0; j < 22; ++j)
                    c.Fill(x + 16 - j * 2 / 3, y + 6 + j, 1 + j * 4 / 3, 1, Grey(7));
                for (int j = 0; j < 6; ++j) c.Fill(x + 16 - j / 2, y + 6 + j, 1 + j, 1, kWhite);
                break;
            case 2:
                c.Fill(x, y, 32, 32, grass);
                for (int t = 0; t < 3; ++t)
                    c.Disc(x + 8 + 8 * t, y + 12 + 8 * (t % 2), 7, Ramp(4, 3));
                break;
            case 3:
                c.Fill(x, y, 32, 32, Grey(8));
                for (int j = 0; j < 4; ++j) {
                    c.Fill(x, y + 8 * j, 32, 1, Grey(4));
                    c.Fill(x + (j % 2 ? 0 : 16), y + 8 * j, 1, 8, Grey(4));
                }
                break;
            case 4:
                c.Fill(x, y, 32, 32, Skin(8));
                c.Disc(x + 10, y + 12, 7, Grey(6));
                c.Disc(x + 22, y + 22, 6, Grey(5));
                break;
            case 5:
                c.Fill(x, y, 32, 32, Skin(10));
                for (int i = 0; i < 6; ++i)
                    c.Set(x + static_cast<int>(Hash(chip, i) % 32),
                          y + static_cast<int>(Hash(i, chip) % 32), Skin(7));
                break;
            case 6:
                c.Fill(x, y, 32, 32, grass);
                for (int i = 0; i < 8; ++i)
                    c.Fill(x + static_cast<int>(Hash(chip, i) % 30),
                           y + static_cast<int>(Hash(i, chip) % 28), 1, 3, Ramp(4, 9));
                break;
            case 7:
                c.Fill(x, y, 32, 32, Ramp(7, 6));
                c.Fill(x + 4, y, 24, 32, Skin(6));
                for (int j = 2; j < 32; j += 6) c.Fill(x + 4, y + j, 24, 1, Skin(3));
                break;
            case 8:
                c.Fill(x, y, 32, 32, Skin(12));
                break;
            default:
                c.Fill(x, y, 32, 32, grass);
                for (int i = 0; i < 5; ++i)
                    c.Disc(x + 4 + static_cast<int>(Hash(chip, i) % 24),
                           y + 4 + static_cast<int>(Hash(i, chip) % 24), 2, Accent(i));
                break;
        }
    }
    return c.image;
}

// The map's background picture, larger than the screen: the sea with its waves, which the
// map's sea tiles let through and which shows beyond the map's edges.
SampleImage WorldSeaImage() {
    Canvas c(1024, 640, Ramp(8, 4));
    for (int y = 0; y < 640; y += 16)
        for (int x = (y / 16) % 2 * 24; x < 1024; x += 48) c.Fill(x, y + 6, 14, 2, Ramp(7, 8));
    for (int i = 0; i < 120; ++i)
        c.Set(static_cast<int>(Hash(i, 5) % 1024), static_cast<int>(Hash(5, i) % 640), kWhite);
    return c.image;
}

}  // namespace

void SamplePalette(PALETTEENTRY out[256]) {
    out[0] = PALETTEENTRY{255, 0, 255, 0};
    for (int i = 1; i < 16; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 17);
        out[i] = PALETTEENTRY{v, v, v, 0};
    }
    for (int g = 0; g < 12; ++g) {
        for (int k = 0; k < 16; ++k) {
            std::uint8_t rgb[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int full = kHues[g][ch] * 15 / 16;
                const int v = k < 8 ? full * (k + 1) / 8 : full + (250 - full) * (k - 7) / 9;
                rgb[ch] = static_cast<std::uint8_t>(v);
            }
            out[16 + 16 * g + k] = PALETTEENTRY{rgb[0], rgb[1], rgb[2], 0};
        }
    }
    for (int k = 0; k < 16; ++k) {
        out[208 + k] = PALETTEENTRY{static_cast<std::uint8_t>(60 + k * 12),
                                    static_cast<std::uint8_t>(30 + k * 11),
                                    static_cast<std::uint8_t>(10 + k * 10), 0};
        out[224 + k] = k == 0 ? PALETTEENTRY{0, 0, 0, 0}
                              : PALETTEENTRY{static_cast<std::uint8_t>(4 * k),
                                             static_cast<std::uint8_t>(6 * k),
                                             static_cast<std::uint8_t>(20 + 9 * k), 0};
    }
    constexpr std::uint8_t kAccents[16][3] = {
        {255, 220, 0},   {255, 90, 60},   {90, 255, 200}, {200, 120, 255},
        {255, 160, 200}, {120, 60, 0},    {0, 90, 40},    {60, 0, 90},
        {250, 250, 200}, {200, 250, 250}, {150, 150, 60}, {60, 150, 150},
        {180, 40, 40},   {40, 40, 180},   {40, 180, 40},  {100, 100, 100}};
    for (int k = 0; k < 16; ++k)
        out[240 + k] = PALETTEENTRY{kAccents[k][0], kAccents[k][1], kAccents[k][2], 0};
    // No two entries alike, none but entry 0 the transparent colour.
    for (int i = 1; i < 256; ++i) {
        for (bool clash = true; clash;) {
            clash = out[i].peRed == 255 && out[i].peGreen == 0 && out[i].peBlue == 255;
            for (int j = 1; j < i && !clash; ++j)
                clash = out[j].peRed == out[i].peRed && out[j].peGreen == out[i].peGreen &&
                        out[j].peBlue == out[i].peBlue;
            if (clash) out[i].peBlue = static_cast<std::uint8_t>(out[i].peBlue + 1);
        }
    }
}

void HbtPalette(const PALETTEENTRY base[256], int number, PALETTEENTRY out[256]) {
    PALETTEENTRY copy[256];
    std::memcpy(copy, base, sizeof copy);
    std::memcpy(out, copy, sizeof copy);
    if (number < 12) {
        const int c = (number * 16) % 192;
        for (int i = 0; i < 192; ++i) out[16 + (i - c + 192) % 192] = copy[16 + i];
    } else {
        const int from = (number - 11) * 16;
        for (int g = 0; g < 12; ++g)
            for (int j = 0; j < 16; ++j)
                if (from + j < 256) out[16 + 16 * g + j] = copy[from + j];
    }
}

void MakeHbtTable(const PALETTEENTRY palette[256], std::uint8_t table[65536]) {
    for (int a = 0; a < 256; ++a) {
        for (int b = a; b < 256; ++b) {
            std::uint8_t result;
            // Index 0 is the transparent colour: mixing with it leaves the other colour.
            if (a == 0 || b == 0) {
                result = static_cast<std::uint8_t>(a == 0 ? b : a);
            } else {
                const int r = (palette[a].peRed + palette[b].peRed) / 2;
                const int g = (palette[a].peGreen + palette[b].peGreen) / 2;
                const int bl = (palette[a].peBlue + palette[b].peBlue) / 2;
                int best = 1;
                long bestDistance = -1;
                for (int i = 1; i < 256; ++i) {
                    const long dr = palette[i].peRed - r, dg = palette[i].peGreen - g,
                               db = palette[i].peBlue - bl;
                    const long d = dr * dr + dg * dg + db * db;
                    if (bestDistance < 0 || d < bestDistance) {
                        best = i;
                        bestDistance = d;
                    }
                }
                result = static_cast<std::uint8_t>(best);
            }
            table[a * 256 + b] = result;
            table[b * 256 + a] = result;
        }
    }
}

SampleImage PaletteImage() {
    Canvas c(128, 32, kKey);
    for (int k = 0; k < 16; ++k)
        for (int col = 0; col < 16; ++col)
            c.Set(col, 8 + k, static_cast<std::uint8_t>(16 * k + col));
    // Larger swatches beside the grid, for a person looking at the file.
    for (int i = 0; i < 256; ++i)
        c.Fill(16 + (i % 28) * 4, (i / 28) * 3 + 2, 3, 2, static_cast<std::uint8_t>(i));
    c.Set(0, 0, kKey);
    return c.image;
}

SampleImage DebugFontImage() {
    Canvas c(128, 256, kKey);
    for (int b = 0x20; b < 0x7F; ++b) {
        const char text[2] = {static_cast<char>(b), 0};
        c.Text((b & 15) * 8 + 1, (b >> 4) * 16 + 3, text, kWhite, 2);
    }
    return c.image;
}

SampleImage CharacterImage(int sheet) {
    Canvas c(256, 480, kKey);
    for (int row = 0; row < 15; ++row)
        for (int frame = 0; frame < 8; ++frame)
            DrawFigure(c, frame * 32, row * 32, sheet, row, frame);
    return c.image;
}

// Backgrounds come in pairs: an even variant is a sky that fills the screen (day, dusk, a
// cave's rock, night), the odd one after it hills or rocks on the transparent colour, to lie
// over that sky with a parallax of its own.
SampleImage BackgroundImage(int variant) {
    const int pair = variant / 2;
    if (variant % 2 == 0) {
        Canvas c(640, 480, Night(0));
        for (int y = 0; y < 480; ++y) {
            std::uint8_t v = 0;
            switch (pair) {
                case 0:
                    v = Ramp(8, 14 - y * 6 / 480);
                    break;
                case 1:
                    v = Ramp(1, 13 - y * 8 / 480);
                    break;
                case 2:
                    v = Grey(2 + y * 3 / 480);
                    break;
                default:
                    v = Night(1 + y * 6 / 480);
                    break;
            }
            c.Fill(0, y, 640, 1, v);
        }
        if (pair == 2) {
            // Rock: cracks and stones.
            for (int i = 0; i < 300; ++i)
                c.Disc(static_cast<int>(Hash(i, 3) % 640), static_cast<int>(Hash(3, i) % 480),
                       1 + static_cast<int>(Hash(i, i) % 3),
                       Grey(4 + static_cast<int>(Hash(i, 5) % 3)));
        } else {
            // Clouds (stars at night), tiling across the width.
            for (int i = 0; i < (pair == 3 ? 80 : 7); ++i) {
                const int cx = static_cast<int>(Hash(i, pair) % 640);
                const int cy = 30 + static_cast<int>(Hash(pair, i) % 200);
                if (pair == 3) {
                    c.Set(cx, cy, kWhite);
                    continue;
                }
                for (int k = 0; k < 5; ++k)
                    c.Disc((cx + k * 14) % 640, cy + (k % 2) * 4, 10 + (k % 3) * 3,
                           Grey(15 - (k == 4)));
            }
        }
        return c.image;
    }
    Canvas c(640, 480, kKey);
    for (int x = 0; x < 640; ++x) {
        // Hills that join at the edges: a sum of waves whole over 640 dots.
        const double a = x * 6.283185307179586 / 640;
        const int top =
            300 - static_cast<int>(40 * std::sin(a * (pair + 2)) + 25 * std::sin(a * 5 + pair));
        for (int y = top; y < 480; ++y) {
            std::uint8_t v = pair == 2 ? Grey(3 + (y - top) / 40) : Ramp(4, 6 - (y - top) / 60);
            if (pair == 3) v = Ramp(4, 2);
            c.Set(x, y, v);
        }
        if (pair != 2 && x % 53 == 17) {
            // A tree on the hill.
            c.Fill(x - 1, top - 14, 3, 16, Skin(3));
            c.Disc(x, top - 20, 8, Ramp(4, pair == 3 ? 3 : 9));
        }
        if (pair == 2 && x % 37 == 5) {
            // A stalactite from the cave's ceiling.
            const int len = 20 + static_cast<int>(Hash(x, 2) % 60);
            for (int j = 0; j < len; ++j)
                c.Fill(x - (len - j) / 10, j, 1 + 2 * ((len - j) / 10), 1, Grey(4));
        }
    }
    return c.image;
}

bool WriteSampleBitmap(const std::string& path, const SampleImage& image) {
    PALETTEENTRY palette[256];
    SamplePalette(palette);
    return WriteFileBytes(
        path, EncodeIndexedBmp(image.width, image.height, 8,
                               std::vector<PALETTEENTRY>(palette, palette + 256), image.indices));
}

bool WriteSampleImages(const std::string& dir) {
    const std::string bmp = dir + "/bmp/";
    bool ok = WriteSampleBitmap(bmp + "plt/Palette.bmp", PaletteImage());
    ok = WriteSampleBitmap(bmp + "Debug.bmp", DebugFontImage()) && ok;
    ok = WriteSampleBitmap(bmp + "Block.bmp", SheetOf(256, 480, 32, 32, DrawBlock)) && ok;
    for (int s = 0; s < 8; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "Character%d.bmp", s + 1);
        ok = WriteSampleBitmap(bmp + name, CharacterImage(s)) && ok;
    }
    ok = WriteSampleBitmap(bmp + "Shot.bmp", ShotImage()) && ok;
    ok = WriteSampleBitmap(bmp + "Item.bmp", SheetOf(256, 480, 32, 32, DrawItem)) && ok;
    ok = WriteSampleBitmap(bmp + "Item_Mini.bmp", SheetOf(256, 240, 32, 16, DrawMiniItem)) && ok;
    ok = WriteSampleBitmap(bmp + "Mark.bmp", SheetOf(256, 480, 32, 32, DrawMark)) && ok;
    ok = WriteSampleBitmap(bmp + "Window.bmp", WindowImage()) && ok;
    ok = WriteSampleBitmap(bmp + "StatusWindow.bmp", StatusWindowImage()) && ok;
    ok = WriteSampleBitmap(bmp + "Title.bmp", Landscape(640, 480, 1, "SAMPLE")) && ok;
    // The title menu's items, one 32-dot strip each in the order of the title-menu list.
    static const char* const kModes[] = {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY",
                                         "REPLAY",   "OPTION",   "EXIT"};
    ok = WriteSampleBitmap(bmp + "GameMode.bmp", Plates(256, 224, 32, kModes, 7, true)) && ok;
    ok = WriteSampleBitmap(bmp + "Accessory.bmp", AccessoryImage()) && ok;
    ok = WriteSampleBitmap(bmp + "Symbol.bmp", SheetOf(256, 64, 16, 16, DrawSymbol)) && ok;
    ok = WriteSampleBitmap(bmp + "Word.bmp", WordImage()) && ok;
    ok = WriteSampleBitmap(bmp + "WorldMapChip.bmp", WorldMapChipImage()) && ok;
    ok = WriteSampleBitmap(bmp + "WorldEvent.bmp", WorldEventImage()) && ok;
    ok = WriteSampleBitmap(bmp + "WorldBack.bmp", WorldBackImage()) && ok;
    ok = WriteSampleBitmap(bmp + kSwordImageRight, SwordImage()) && ok;
    ok = WriteSampleBitmap(bmp + kSwordImageLeft, MirroredCells(SwordImage(), 32)) && ok;
    for (int v = 0; v < 8; ++v) {
        char name[32];
        std::snprintf(name, sizeof name, "back/Back%d.bmp", v + 1);
        ok = WriteSampleBitmap(bmp + name, BackgroundImage(v)) && ok;
    }
    ok = WriteSampleBitmap(bmp + "chara/Golem.bmp", GolemImage()) && ok;
    ok = WriteSampleBitmap(bmp + "effect/Hit.bmp", HitEffectImage()) && ok;
    ok = WriteSampleBitmap(bmp + "WorldSea.bmp", WorldSeaImage()) && ok;
    return ok;
}

bool WriteHbtTables(const std::string& dir) {
    PALETTEENTRY base[256], palette[256];
    SamplePalette(base);
    std::vector<std::uint8_t> table(65536);
    bool ok = true;
    for (int n = 0; n <= kMaxPaletteNo; ++n) {
        HbtPalette(base, n, palette);
        MakeHbtTable(palette, table.data());
        char name[40];
        std::snprintf(name, sizeof name, "/bmp/hbt/hbt%02d.dat", n);
        ok = WriteFileBytes(dir + name, table) && ok;
    }
    return ok;
}

}  // namespace gen
