// The animation records of two database tables.
//
// AnimeSet.dat holds the basic animation sets of the characters: the set's animations become
// a character's sequences in the order standing, moving on the ground, flying, moving in
// flight, further ones after them, and the three offsets move the shown pattern in three
// character states. Anime.dat holds the free animations that commands and flows play on an
// actor; entry 0 is the "none" animation. Both use cEdAnime with its cEdAnimeFrame frames.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/serial_record.h"

class cEdAnimeFrame : public SerialRecord {
public:
    cEdAnimeFrame();
    cEdAnimeFrame(const cEdAnimeFrame&) = default;
    cEdAnimeFrame& operator=(const cEdAnimeFrame&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t nPattern = 0;   // the cell of the owner's image shown in this frame
    std::int32_t nTime = 1;      // tenths of a second (6 game frames each)
    std::int32_t bKeyFrame = 0;  // the first flagged frame is when the playing command acts
};

class cEdAnime : public SerialRecord {
public:
    cEdAnime();
    cEdAnime(const cEdAnime&) = default;
    cEdAnime& operator=(const cEdAnime&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;
    void SetDefaults();

    std::string strName;
    CheckedVector<cEdAnimeFrame> vecFrame;
    // Editor settings from version 55 on; the player only keeps them.
    std::int16_t nSetting1 = 0;
    std::uint8_t bSetting2 = 1;
    std::int16_t nSetting3 = 0;
};

class cEdAnimeSet : public SerialRecord {
public:
    cEdAnimeSet();
    cEdAnimeSet(const cEdAnimeSet&) = default;
    cEdAnimeSet& operator=(const cEdAnimeSet&) = default;
    void Rebind(std::uint32_t version) override;
    // Sets of files older than 128 end with the four basic animations, the flying ones under
    // their standard names.
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;
    void SetDefaults();

    std::string strName;
    std::int32_t nOfsInvincible = 4;  // added to the pattern while invincible (無敵)
    std::int32_t nOfs32 = 8;          // added while the 32×32 mode is on
    std::int32_t nOfsFly = 0;         // added while flying (飛行); stored from version 119 on
    CheckedVector<cEdAnime> vecAnime;
};
