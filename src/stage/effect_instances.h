// The running states of the character effects and screen effects.
//
// Init prepares one instance per record of the CharaEffect and ScrEffect tables at start-up
// (post_load_tables.h), plain and reversed; Start copies a prepared one into a running slot,
// and Advance moves it on by one drawn frame (the draw handlers call it).
//
// A reversed instance refers to its record in the database's reversed copy of the table,
// whose start and end parameters Init exchanges in place: the copy must be prepared exactly
// once after it was made.
#pragma once

#include <cstdint>

class cEdCharaEffect;
class cEdScrEffect;

// The run time of an effect as a divisor: the editor allows 1 to 9999, but old or edited
// files may hold 0 or less, which counts as 1.
inline std::int64_t EffectTimeDivisor(std::int32_t time) {
    return time < 1 ? 1 : time;
}

// The state of one character effect (one per actor, and the prepared ones per record).
class CharaEffectInstance {
public:
    // Takes record index of the CharaEffect table (reversed 0) or of its reversed copy
    // (reversed 1, whose start and end are first exchanged for the kinds that have them),
    // through the checked access, and derives the run-time values from it.
    void Init(std::int16_t index, int reversed);
    // The slot takes the prepared state of record `number` (the reversed one for mode 1) and
    // starts it: mode 0 normal, 1 reversed, 2 back and forth; repeat starts it again at
    // every end.
    void Start(int number, int mode, int repeat);
    // A run ended and goes on: back and forth turns round, then the prepared state of the
    // current direction is taken again.
    void Restart();
    // The run-time values of a prepared state (not the number, mode, repeat or direction).
    void CopyFrom(const CharaEffectInstance& prepared);
    // One drawn frame: 1 when the effect has ended (the level compared untruncated).
    int Advance();

    std::int16_t nNumber = 0;  // the record number; 0 = no effect
    cEdCharaEffect* lpRecord = nullptr;
    std::int32_t nMode = 0;  // 0 "通常実行", 1 "反転実行", 2 "往復実行"
    std::int32_t bRepeat = 0;
    std::int32_t bReversed = 0;  // 1 while the reversed preparation is in use
    std::int32_t nCounter = 0;   // 0 at every (re)start; for the draw handlers
    std::int32_t nFrom = 0;      // start and end of the level
    std::int32_t nTo = 0;
    double dLevel = 0;           // the running value
    double dStep = 0;            // its change per frame
    double dElapsed = 0;         // tenths of a second, while nFrom equals nTo (fixed mode)
    std::int32_t nDuration = 0;  // parameter 0, the time in tenths of a second
    std::int32_t nWorkA = 0;     // wave phase, blink counter
    std::int32_t nWorkB = 0;     // blink toggle
};

// The state of a screen effect (the game scene's slot, and the prepared ones per record).
class ScreenEffectInstance {
public:
    // As CharaEffectInstance::Init, over the ScrEffect table and its reversed copy.
    void Init(std::int16_t index, int reversed);
    // As CharaEffectInstance::Start, from the prepared screen-effect states.
    void Start(int number, int mode, int repeat);
    void Restart();
    // The record, level, shake, step, work values, fixed mode, elapsed time and duration.
    void CopyFrom(const ScreenEffectInstance& prepared);
    // One drawn frame with the level going from `from` to `to` by `step`: 1 when the effect
    // has ended. The level is compared truncated; in fixed mode only the time counts.
    int Advance(int from, int to, double step);

    std::int16_t nNumber = 0;  // the record number; 0 = no effect
    cEdScrEffect* lpRecord = nullptr;
    std::int32_t nMode = 0;  // 0 "通常実行", 1 "反転実行", 2 "往復実行"
    std::int32_t bRepeat = 0;
    std::int32_t bReversed = 0;
    std::int32_t nCounter = 0;
    double dLevel = 0;           // the running value, or the elapsed time of kinds 1, 2, 3 and 8
    double dShake = 0;           // the displacement of kinds 2 and 3
    double dStep = 0;            // change of the level per frame
    std::int32_t nWorkA = 0;     // kind 1 x; kinds 2, 3 direction; kinds 6, 7 phase; kind 8 count
    std::int32_t nWorkB = 0;     // kind 1 y; kind 8 visible toggle
    std::int32_t bFixed = 0;     // 1 when start and end are equal: the effect only lasts its time
    double dElapsed = 0;         // tenths of a second in fixed mode
    std::int32_t nDuration = 0;  // parameter 0 in fixed mode
};
