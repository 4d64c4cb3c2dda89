// Record bodies of the database tables, written by hand from the documented layouts (not by
// the program's own writer), for the golden and upgrade tests.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/byte_builder.h"

namespace bodies {

struct Frame {
    std::int32_t pattern = 0;
    std::int32_t time = 1;
    std::int32_t key = 0;
};

// cEdAnimeFrame: F 3, the three numbers, S 0.
inline void AnimeFrame(ByteBuilder& b, const Frame& f) {
    b.U32(3).I32(f.pattern).I32(f.time).I32(f.key).U32(0);
}

// cEdAnime: the three settings from version 55 on, the name, then the frame list.
inline void Anime(ByteBuilder& b, std::uint32_t version, std::string_view name,
                  const std::vector<Frame>& frames, std::int16_t s1 = 0, std::uint8_t s2 = 1,
                  std::int16_t s3 = 0) {
    if (version >= 55) {
        b.U32(3).U16(static_cast<std::uint16_t>(s1)).U8(s2).U16(static_cast<std::uint16_t>(s3));
    } else {
        b.U32(0);
    }
    b.U32(1).Str(name);
    b.U32(static_cast<std::uint32_t>(frames.size()));
    for (const Frame& f : frames) AnimeFrame(b, f);
}

// cEdAnimeSet: the offsets (nOfsFly from 119 on), the name, then animations of one frame.
inline void AnimeSet(ByteBuilder& b, std::uint32_t version, std::string_view name,
                     std::int32_t invincible, std::int32_t ofs32, std::int32_t fly,
                     const std::vector<std::string_view>& animeNames) {
    b.U32(version >= 119 ? 3 : 2).I32(invincible).I32(ofs32);
    if (version >= 119) b.I32(fly);
    b.U32(1).Str(name);
    b.U32(static_cast<std::uint32_t>(animeNames.size()));
    for (std::string_view n : animeNames) Anime(b, version, n, {{5, 2, 0}});
}

// cEdEffect: the editor value from 151 on, the cell size and scale flag, name and file, then
// frames of pattern and time.
inline void Effect(ByteBuilder& b, std::uint32_t version, std::string_view name,
                   std::int32_t editValue, const std::vector<Frame>& frames) {
    b.U32(version >= 151 ? 4 : 3);
    if (version >= 151) b.I32(editValue);
    b.I32(48).I32(16).I32(1);
    b.U32(2).Str(name).Str("bmp\\fx.bmp");
    b.U32(static_cast<std::uint32_t>(frames.size()));
    for (const Frame& f : frames) b.U32(2).I32(f.pattern).I32(f.time).U32(0);
}

// cEdCharaEffect and cEdScrEffect: kind and five parameters, then the name.
inline void KindEffect(ByteBuilder& b, std::string_view name, std::int32_t kind,
                       const std::int32_t (&params)[5]) {
    b.U32(2).I32(kind);
    for (std::int32_t p : params) b.I32(p);
    b.U32(1).Str(name);
}

// cEdPicture, cEdSound, cEdBgm: the editor value from 151 on, name, file.
inline void Media(ByteBuilder& b, std::uint32_t version, std::string_view name,
                  std::string_view file, std::int32_t editValue) {
    if (version >= 151) {
        b.U32(1).I32(editValue);
    } else {
        b.U32(0);
    }
    b.U32(2).Str(name).Str(file);
}

// cEdBmpCharaExc: the editor value from 152 on, the cell width pair from 172 on.
inline void CharaExc(ByteBuilder& b, std::uint32_t version, std::string_view name,
                     std::int32_t editValue, std::int32_t cellFlag, std::int32_t cellWidth) {
    b.U32(version >= 172 ? 3 : version >= 152 ? 1 : 0);
    if (version >= 152) b.I32(editValue);
    if (version >= 172) b.I32(cellFlag).I32(cellWidth);
    b.U32(2).Str(name).Str("bmp\\exc.bmp");
}

struct SwordFrame {
    std::int32_t values[10] = {1, 2, 0, 1, 3, 4, 5, 6, 7, 8};  // in the member order
};

// cEdSwordType: the editor value from 151 on, three strings, then frames of 10 values (8
// before 138, without the two flip flags).
inline void SwordType(ByteBuilder& b, std::uint32_t version, std::string_view name,
                      std::int32_t editValue, const std::vector<SwordFrame>& frames) {
    if (version >= 151) {
        b.U32(1).I32(editValue);
    } else {
        b.U32(0);
    }
    b.U32(3).Str(name).Str("bmp\\l.bmp").Str("bmp\\r.bmp");
    b.U32(static_cast<std::uint32_t>(frames.size()));
    for (const SwordFrame& f : frames) {
        b.U32(version >= 138 ? 10 : 8);
        for (int i = 0; i < 10; ++i) {
            if (version < 138 && (i == 2 || i == 3)) continue;
            b.I32(f.values[i]);
        }
        b.U32(0);
    }
}

}  // namespace bodies
