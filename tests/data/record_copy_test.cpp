// Copies of every database and option record class: a copy-assigned and a copy-constructed
// record write exactly the bytes of their source, nested lists included. Each source has a
// value unlike the class default in every registered member (checked below, so a member added
// later and left out of its fill function fails here instead of passing unnoticed).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "data/anime_records.h"
#include "data/chara_exc_records.h"
#include "data/effect_records.h"
#include "data/media_records.h"
#include "data/option_record.h"
#include "data/sword_type_records.h"

namespace {

// Lists get elements filled with these, each element its own values from the seed.

void Fill(cEdAnimeFrame& f, int seed) {
    f.nPattern = 10 + seed;
    f.nTime = 20 + seed;
    f.bKeyFrame = 1;
}

void Fill(cEdAnime& a, int seed) {
    a.strName = "anime" + std::to_string(seed);
    a.nSetting1 = static_cast<std::int16_t>(-3 - seed);
    a.bSetting2 = 7;
    a.nSetting3 = static_cast<std::int16_t>(300 + seed);
    a.vecFrame.resize(3);
    for (int i = 0; i < 3; ++i) Fill(a.vecFrame[i], seed * 10 + i);
}

void Fill(cEdAnimeSet& s, int seed) {
    s.strName = "set" + std::to_string(seed);
    s.nOfsInvincible = 5;
    s.nOfs32 = 9;
    s.nOfsFly = 13;
    s.vecAnime.resize(6);
    for (int i = 0; i < 6; ++i) Fill(s.vecAnime[i], seed * 10 + i);
}

void Fill(cEdBmpCharaExc& e, int) {
    e.strName = "exc";
    e.nEditValue = 41;
    e.strFile = "bmp\\exc.bmp";
    e.bCellWidth = 1;
    e.nCellWidth = 3;
}

void Fill(cEdSwordFrame& f, int seed) {
    std::int32_t* values[] = {&f.nOffsetX, &f.nOffsetY, &f.bFlipX,    &f.bFlipY,     &f.nPlace,
                              &f.nSrcX,    &f.nSrcY,    &f.nCutWidth, &f.nCutHeight, &f.nTime};
    int n = 2;
    for (std::int32_t* v : values) *v = seed * 100 + n++;
}

void Fill(cEdSwordType& t, int seed) {
    t.strName = "sword";
    t.nEditValue = 17;
    t.strFileLeft = "bmp\\l.bmp";
    t.strFileRight = "bmp\\r.bmp";
    t.vecFrame.resize(3);
    for (int i = 0; i < 3; ++i) Fill(t.vecFrame[i], seed * 10 + i + 1);
}

void Fill(cEdEffectFrame& f, int seed) {
    f.nPattern = 30 + seed;
    f.nTime = 40 + seed;
}

void Fill(cEdEffect& e, int seed) {
    e.strName = "spark";
    e.nEditValue = 23;
    e.strFile = "bmp\\fx.bmp";
    e.nPatWidth = 48;
    e.nPatHeight = 16;
    e.bScaleWithChara = 1;
    e.vecFrame.resize(4);
    for (int i = 0; i < 4; ++i) Fill(e.vecFrame[i], seed * 10 + i);
}

void Fill(cEdEffectParams& p, int) {
    p.strName = "fx";
    p.nKind = 7;
    for (int i = 0; i < kEffectParamCount; ++i) p.anParam[i] = -50 + 11 * i;
}

template <class T>
requires std::is_same_v<T, cEdPicture> || std::is_same_v<T, cEdSound> || std::is_same_v<T, cEdBgm>
void Fill(T& m, int) {
    m.strName = "media";
    m.nEditValue = 61;
    m.strFile = "sound\\a.wav";
}

void Fill(OptionData& o, int) {
    o.nPaletteNo = 5;
    o.bBgmOn = 0;
    o.nSeVolume = 3;
    o.nRankingMode = 2;
    o.strRankingName = "bob";
}

// Every element of every registered member of the filled record differs from the class
// default; the member's name is returned for the first that does not.
template <class T>
std::string FirstDefaultMember(T& filled) {
    T blank;
    filled.Rebind(kCurrentDataVersion);
    blank.Rebind(kCurrentDataVersion);
    for (int i = 0; i < filled.FieldCount(); ++i) {
        const FieldEntry& a = filled.FieldAt(i);
        const FieldEntry& b = blank.FieldAt(i);
        for (std::uint32_t k = 0; k < a.count; ++k) {
            const std::size_t at = std::size_t{k} * a.size;
            if (std::memcmp(static_cast<char*>(a.address) + at, static_cast<char*>(b.address) + at,
                            a.size) == 0) {
                return a.name;
            }
        }
    }
    for (int i = 0; i < filled.StringCount(); ++i) {
        if (*filled.StringAt(i).address == *blank.StringAt(i).address) {
            return filled.StringAt(i).name;
        }
    }
    return "";
}

template <class T>
void ExpectCopiesWriteTheSourceBytes() {
    T source;
    Fill(source, 1);
    ASSERT_EQ(FirstDefaultMember(source), "");
    const std::vector<std::uint8_t> bytes = source.SaveToBytes();
    ASSERT_NE(bytes, T().SaveToBytes());

    T assigned;
    assigned = source;
    EXPECT_EQ(assigned.SaveToBytes(), bytes);

    // Assigned over a record holding other values, with longer lists where it has any.
    T longer;
    Fill(longer, 2);
    if constexpr (requires { longer.vecAnime; }) longer.vecAnime.resize(9);
    if constexpr (requires { longer.vecFrame; }) longer.vecFrame.resize(9);
    longer = source;
    EXPECT_EQ(longer.SaveToBytes(), bytes);

    T constructed(source);
    EXPECT_EQ(constructed.SaveToBytes(), bytes);
    // The source is left as it was.
    EXPECT_EQ(source.SaveToBytes(), bytes);
}

TEST(RecordCopies, CopiesOfEveryRecordClassWriteTheSourceBytes) {
    struct Case {
        const char* what;
        void (*check)();
    } const cases[] = {
        {"cEdAnimeFrame", ExpectCopiesWriteTheSourceBytes<cEdAnimeFrame>},
        {"cEdAnime", ExpectCopiesWriteTheSourceBytes<cEdAnime>},
        {"cEdAnimeSet", ExpectCopiesWriteTheSourceBytes<cEdAnimeSet>},
        {"cEdBmpCharaExc", ExpectCopiesWriteTheSourceBytes<cEdBmpCharaExc>},
        {"cEdSwordFrame", ExpectCopiesWriteTheSourceBytes<cEdSwordFrame>},
        {"cEdSwordType", ExpectCopiesWriteTheSourceBytes<cEdSwordType>},
        {"cEdEffectFrame", ExpectCopiesWriteTheSourceBytes<cEdEffectFrame>},
        {"cEdEffect", ExpectCopiesWriteTheSourceBytes<cEdEffect>},
        {"cEdEffectParams", ExpectCopiesWriteTheSourceBytes<cEdEffectParams>},
        {"cEdCharaEffect", ExpectCopiesWriteTheSourceBytes<cEdCharaEffect>},
        {"cEdScrEffect", ExpectCopiesWriteTheSourceBytes<cEdScrEffect>},
        {"cEdPicture", ExpectCopiesWriteTheSourceBytes<cEdPicture>},
        {"cEdSound", ExpectCopiesWriteTheSourceBytes<cEdSound>},
        {"cEdBgm", ExpectCopiesWriteTheSourceBytes<cEdBgm>},
        {"OptionData", ExpectCopiesWriteTheSourceBytes<OptionData>},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.check();
    }
}

}  // namespace
