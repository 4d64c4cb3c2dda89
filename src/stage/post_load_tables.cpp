#include "stage/post_load_tables.h"

#include <cstdint>

#include "data/database.h"

CheckedVector<ANIMSEQ> AnimePatternTable;
CheckedVector<ANIMSEQ> EffectPatternTable;
CheckedVector<CharaEffectInstance> CharaEffectStates;
CheckedVector<CharaEffectInstance> CharaEffectStatesRev;
CheckedVector<ScreenEffectInstance> ScrEffectStates;
CheckedVector<ScreenEffectInstance> ScrEffectStatesRev;

namespace {

// Tenths of a second to game frames. A stored time is any 32-bit value; the product wraps as
// 32-bit arithmetic does instead of overflowing.
std::int32_t FramesOfTenths(std::int32_t tenths) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(tenths) * 6u);
}

// The closing step of sequence i: record 0 is the "none" entry, which loops locked.
ANIMSTEP ClosingStep(int record) {
    if (record == 0) return {ANIM_RESTART, 0, 1};
    return {ANIM_ONESHOT_END, 0, 0};
}

// Indices of the preparations are 16-bit like the effect numbers that refer to them; a
// table larger than that prepares its first 32768 records.
int PreparedCount(unsigned records) {
    return records > 32768u ? 32768 : static_cast<int>(records);
}

void InitCharaEffectStates(CheckedVector<CharaEffectInstance>& plain,
                           CheckedVector<CharaEffectInstance>& reversed) {
    const int count = PreparedCount(EdDatabase.vecCharaEffect.Size());
    plain.Clear();
    reversed.Clear();
    plain.resize(static_cast<std::size_t>(count));
    reversed.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        plain[i].Init(static_cast<std::int16_t>(i), 0);
        reversed[i].Init(static_cast<std::int16_t>(i), 1);
    }
}

void InitScrEffectStates(CheckedVector<ScreenEffectInstance>& plain,
                         CheckedVector<ScreenEffectInstance>& reversed) {
    const int count = PreparedCount(EdDatabase.vecScrEffect.Size());
    plain.Clear();
    reversed.Clear();
    plain.resize(static_cast<std::size_t>(count));
    reversed.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        plain[i].Init(static_cast<std::int16_t>(i), 0);
        reversed[i].Init(static_cast<std::int16_t>(i), 1);
    }
}

}  // namespace

void BuildAnimePatternTable(CheckedVector<ANIMSEQ>& table) {
    const int records = static_cast<int>(EdDatabase.vecAnime.Size());
    table.Clear();
    table.resize(static_cast<std::size_t>(records));
    for (int i = 0; i < records; ++i) {
        const cEdAnime& anime = EdDatabase.vecAnime[i];
        const int frames = static_cast<int>(anime.vecFrame.Size());
        ANIMSEQ& seq = table[i];
        seq.resize(static_cast<std::size_t>(frames) + 1);
        // Free animations lock from their first key frame on: the command that plays
        // the animation acts there, and the rest must not be cut off.
        bool locked = false;
        for (int k = 0; k < frames; ++k) {
            const cEdAnimeFrame& frame = anime.vecFrame[k];
            ANIMSTEP& step = seq[k];
            step.nPattern = frame.nPattern;
            if (i == 0) {
                step.nFrames = 0;
                step.bLock = 1;
            } else {
                if (frame.bKeyFrame != 0) locked = true;
                step.nFrames = FramesOfTenths(frame.nTime);
                step.bLock = locked ? 1 : 0;
            }
        }
        seq[frames] = ClosingStep(i);
    }
}

void BuildEffectPatternTable(CheckedVector<ANIMSEQ>& table) {
    const int records = static_cast<int>(EdDatabase.vecEffect.Size());
    table.Clear();
    table.resize(static_cast<std::size_t>(records));
    for (int i = 0; i < records; ++i) {
        const cEdEffect& effect = EdDatabase.vecEffect[i];
        const int frames = static_cast<int>(effect.vecFrame.Size());
        ANIMSEQ& seq = table[i];
        seq.resize(static_cast<std::size_t>(frames) + 1);
        for (int k = 0; k < frames; ++k) {
            const cEdEffectFrame& frame = effect.vecFrame[k];
            ANIMSTEP& step = seq[k];
            step.nPattern = frame.nPattern;
            step.nFrames = i == 0 ? 0 : FramesOfTenths(frame.nTime);
            step.bLock = i == 0 ? 1 : 0;
        }
        seq[frames] = ClosingStep(i);
    }
}

void BuildPostLoadTables() {
    EdDatabase.vecCharaEffectRev.Assign(EdDatabase.vecCharaEffect);
    EdDatabase.vecScrEffectRev.Assign(EdDatabase.vecScrEffect);
    BuildAnimePatternTable(AnimePatternTable);
    BuildEffectPatternTable(EffectPatternTable);
    InitCharaEffectStates(CharaEffectStates, CharaEffectStatesRev);
    InitScrEffectStates(ScrEffectStates, ScrEffectStatesRev);
}
