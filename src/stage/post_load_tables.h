// The run-time tables derived from the database right after it has been loaded.
//
// The database records are edit-time descriptions (frame times in tenths of a second,
// key-frame flags, effects given by start and end values). The stage engine and the flows
// play them from these tables: one step sequence per Anime and per Effect record, and one
// prepared character-effect and screen-effect state per record, plain and reversed (the same
// effect played the other way, its start and end exchanged). Built once at start-up on the
// window thread, before the game thread runs; only read afterwards.
#pragma once

#include "base/checked_vector.h"
#include "gfx/anim_pattern.h"
#include "stage/effect_instances.h"

// Sequence i belongs to Anime record i: one step per frame, then the closing step (-2 for
// the "none" animation 0, -4 ending the one-shot animations).
extern CheckedVector<ANIMSEQ> AnimePatternTable;
// Sequence i belongs to Effect record i, likewise.
extern CheckedVector<ANIMSEQ> EffectPatternTable;
// Element i is prepared from record i of the effect table (plain) or of its reversed copy.
extern CheckedVector<CharaEffectInstance> CharaEffectStates;
extern CheckedVector<CharaEffectInstance> CharaEffectStatesRev;
extern CheckedVector<ScreenEffectInstance> ScrEffectStates;
extern CheckedVector<ScreenEffectInstance> ScrEffectStatesRev;

// From the Anime table of EdDatabase. A record without frames gets only its closing step.
void BuildAnimePatternTable(CheckedVector<ANIMSEQ>& table);
// From the Effect table of EdDatabase; no step of an effect is locked.
void BuildEffectPatternTable(CheckedVector<ANIMSEQ>& table);

// The whole post-load step, after a successful cEdDatabase::LoadAll: the reversed copies of
// the two effect tables are made afresh, then the pattern tables and the effect states are
// built. The copies are reversed while the states are prepared, so that happens only here,
// right after they were copied: a second call gives the same tables, never a reversal of
// the reversal.
void BuildPostLoadTables();
