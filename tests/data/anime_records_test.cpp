// The animation records: the documented bytes of a class-default set, and the upgrades of
// old sets and animations, each case read from bytes written at the old version.
#include "data/anime_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record_bodies.h"
#include "support/byte_builder.h"

namespace {

template <class T>
void LoadFrom(T& record, const std::vector<std::uint8_t>& bytes, bool* stopped = nullptr) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    ASSERT_TRUE(reader.Ok());
    record.Load(reader);
    if (stopped) *stopped = reader.StoppedEarly();
}

std::vector<std::string> Names(const cEdAnimeSet& set) {
    std::vector<std::string> names;
    for (const cEdAnime& a : set.vecAnime) names.push_back(a.strName);
    return names;
}

TEST(AnimeRecords, ClassDefaultSetWritesTheDocumentedBytesAndReadsBackTheSame) {
    ByteBuilder golden;
    golden.U32(747).U32(3).I32(4).I32(8).I32(0).U32(1).U32(1).U32(4);
    // "立ち", "立ち移動", "飛行", "飛行移動" in CP932.
    for (const char* name : {"\x97\xa7\x82\xbf", "\x97\xa7\x82\xbf\x88\xda\x93\xae",
                             "\x94\xf2\x8d\x73", "\x94\xf2\x8d\x73\x88\xda\x93\xae"}) {
        golden.U32(3).U16(0).U8(1).U16(0).U32(1).Str(name);
        golden.U32(1).U32(3).I32(0).I32(1).I32(0).U32(0);
    }
    cEdAnimeSet set;
    EXPECT_EQ(set.SaveToBytes(), golden.bytes);

    cEdAnimeSet back;
    back.vecAnime.resize(7);
    back.nOfsFly = 9;
    bool stopped = true;
    LoadFrom(back, golden.bytes, &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(back.vecAnime.Size(), 4u);
    EXPECT_EQ(back.nOfsFly, 0);
    EXPECT_EQ(back.SaveToBytes(), golden.bytes);
}

// One chain: sets before 119 have four animations and no flying offset, sets before 128 get
// the standard names of the flying animations, later sets are kept as stored.
TEST(AnimeRecords, OldSetsAreBroughtToTheFourBasicAnimations) {
    struct Case {
        std::uint32_t version;
        std::vector<std::string_view> stored;
        std::vector<std::string> expected;
        std::int32_t expectedFly;  // the record holds 77 before the load
    } cases[] = {
        {118, {"a", "b", "c", "d", "e", "f"}, {"a", "b", "飛行", "飛行移動"}, 77},
        {125, {"a", "b", "c"}, {"a", "b", "飛行", "飛行移動"}, 3},
        {127, {"a", "b", "c", "d", "e"}, {"a", "b", "飛行", "飛行移動"}, 3},
        {128, {"x", "y", "z"}, {"x", "y", "z"}, 3},
        {747, {"p", "q", "r", "s", "t", "u"}, {"p", "q", "r", "s", "t", "u"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ByteBuilder b;
        b.U32(c.version);
        bodies::AnimeSet(b, c.version, "set", 5, 9, 3, c.stored);
        cEdAnimeSet set;
        set.nOfsFly = 77;
        bool stopped = true;
        LoadFrom(set, b.bytes, &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(set.strName, "set");
        EXPECT_EQ(set.nOfsInvincible, 5);
        EXPECT_EQ(set.nOfs32, 9);
        EXPECT_EQ(set.nOfsFly, c.expectedFly);
        EXPECT_EQ(Names(set), c.expected);
        // Stored animations keep their frames; an appended one is a class default.
        ASSERT_EQ(set.vecAnime[0].vecFrame.Size(), 1u);
        EXPECT_EQ(set.vecAnime[0].vecFrame[0].nPattern, 5);
        if (c.stored.size() < set.vecAnime.Size()) {
            const cEdAnime& added = set.vecAnime.back();
            ASSERT_EQ(added.vecFrame.Size(), 1u);
            EXPECT_EQ(added.vecFrame[0].nPattern, 0);
            EXPECT_EQ(added.vecFrame[0].nTime, 1);
        }
    }
}

// One chain: animations before 55 store no settings and keep the values they held.
TEST(AnimeRecords, SettingsAreStoredFromVersion55AndFramesFollowTheListConvention) {
    struct Case {
        std::uint32_t version;
        std::int16_t s1;
        std::uint8_t s2;
        std::int16_t s3;
    } cases[] = {{54, 9, 9, 9}, {55, -3, 0, 300}, {747, 12, 7, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ByteBuilder b;
        b.U32(c.version);
        bodies::Anime(b, c.version, "walk", {{3, 2, 0}, {4, 5, 1}}, c.s1, c.s2, c.s3);
        cEdAnime anime;
        anime.nSetting1 = 9;
        anime.bSetting2 = 9;
        anime.nSetting3 = 9;
        anime.vecFrame.resize(5);  // emptied by the list reader
        LoadFrom(anime, b.bytes);
        EXPECT_EQ(anime.strName, "walk");
        EXPECT_EQ(anime.nSetting1, c.s1);
        EXPECT_EQ(anime.bSetting2, c.s2);
        EXPECT_EQ(anime.nSetting3, c.s3);
        ASSERT_EQ(anime.vecFrame.Size(), 2u);
        EXPECT_EQ(anime.vecFrame[1].nPattern, 4);
        EXPECT_EQ(anime.vecFrame[1].nTime, 5);
        EXPECT_EQ(anime.vecFrame[1].bKeyFrame, 1);
    }
}

TEST(AnimeRecords, AnAnimationStoredWithoutFramesStaysEmptyAndCopiesAreDeep) {
    ByteBuilder b;
    b.U32(747);
    bodies::Anime(b, 747, "none", {});
    cEdAnime anime;
    LoadFrom(anime, b.bytes);
    EXPECT_TRUE(anime.vecFrame.empty());

    cEdAnimeSet set;
    set.vecAnime[1].vecFrame[0].nPattern = 6;
    cEdAnimeSet copy(set);
    cEdAnimeSet assigned;
    assigned.vecAnime.resize(9);
    assigned = set;
    set.vecAnime[1].vecFrame[0].nPattern = 1;
    EXPECT_EQ(copy.vecAnime[1].vecFrame[0].nPattern, 6);
    EXPECT_EQ(assigned.vecAnime.Size(), 4u);
    EXPECT_EQ(assigned.vecAnime[1].vecFrame[0].nPattern, 6);
    // Each copy writes its own values.
    cEdAnimeSet fromCopy;
    LoadFrom(fromCopy, copy.SaveToBytes());
    EXPECT_EQ(fromCopy.vecAnime[1].vecFrame[0].nPattern, 6);
}

}  // namespace
