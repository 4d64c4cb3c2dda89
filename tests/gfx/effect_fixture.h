// Effect tests over the six configurations: small painted surfaces and what they show.
#pragma once

#include <string>
#include <vector>

#include "draw_fixture.h"
#include "gfx/batch.h"

class EffectTest : public DrawTest {
public:
    // The channels of a pixel in its own format's units (red, green, blue).
    struct Rgb {
        unsigned r, g, b;
        bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    };

protected:
    // A surface of the painted rows (a render target in Direct3D unless memoryType says
    // otherwise).
    void Make(DDSURFACEDATA* sd, const std::vector<std::string>& rows,
              int memoryType = DTMEMORYTYPE_VIDEO_RT) {
        DDReleaseSurface(sd);
        ASSERT_TRUE(DDCreateSurface(sd, static_cast<int>(rows[0].size()),
                                    static_cast<int>(rows.size()), 0,
                                    memoryType == DTMEMORYTYPE_SYSTEM, memoryType, nullptr, 0));
        Paint(sd, rows);
    }
    // Every row of a surface as letters.
    static std::vector<std::string> Picture(DDSURFACEDATA* sd) {
        std::vector<std::string> rows;
        for (int y = 0; y < sd->nHeight; ++y) rows.push_back(Shows(sd, y));
        return rows;
    }
    // 'k' shows as 't' in a Direct3D texture.
    std::vector<std::string> Expect(std::vector<std::string> rows) const {
        if (Direct3D())
            for (std::string& r : rows)
                for (char& c : r)
                    if (c == 'k') c = 't';
        return rows;
    }
    static Rgb ChannelsOf(DDSURFACEDATA* sd, int x, int y) {
        const std::uint32_t p = RawPixel(sd, x, y);
        if (Storage(sd)->BytesPerPixel() == 4) return {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
        const DDPIXFMT f = (sd == &BackBuffer && !bWindowMode) ? PixFmtBack : PixFmt;
        return {(p >> f.nShiftR) & unsigned(f.nMaxR), (p >> f.nShiftG) & unsigned(f.nMaxG),
                (p >> f.nShiftB) & unsigned(f.nMaxB)};
    }

    DDSURFACEDATA src, dst;
};

inline void PrintTo(const EffectTest::Rgb& c, std::ostream* os) {
    *os << '(' << c.r << ',' << c.g << ',' << c.b << ')';
}
