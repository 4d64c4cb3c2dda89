// The frame sequencer of every animated thing on screen.
//
// It knows nothing of pictures: it holds one sequence of steps per animation of its owner
// (standing, walking, ...), each step a pattern number shown for a number of calls, and
// answers once per frame which pattern the owner is to draw. A sequence closes with one
// negative step: -1 holds the last pattern, -2 restarts the sequence, -3 jumps to the
// sequence named in its nFrames; any other negative value means nothing here and is handed
// back to the caller (the one-shot animations of the database end with -4).
//
// Owners copy each other whole, and the flow cues adjust the counters and the frames of a
// locked step directly, so the state is plain public data.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"

struct ANIMSTEP {
    std::int32_t nPattern = 0;  // 0 or more; negative only in the closing step
    std::int32_t nFrames = 0;   // calls the step stays current; the target of a -3 step
    std::int32_t bLock = 0;     // not 0: an unforced sequence change is refused

    friend bool operator==(const ANIMSTEP&, const ANIMSTEP&) = default;
};

// A step as the owners' constant step tables write it: there the lock is a byte.
struct ANIMSTEPDEF {
    std::int32_t nPattern;
    std::int32_t nFrames;
    std::uint8_t bLock;
};

using ANIMSEQ = CheckedVector<ANIMSTEP>;

inline constexpr std::int32_t ANIM_HOLD = -1;
inline constexpr std::int32_t ANIM_RESTART = -2;
inline constexpr std::int32_t ANIM_JUMP = -3;
// Not a code of the sequencer: the closing step of a one-shot animation, returned by Next
// when it is reached; the owner then drops the animation.
inline constexpr std::int32_t ANIM_ONESHOT_END = -4;

class cAnimPattern {
public:
    // Destroys every sequence and zeroes the counters.
    void Clear();
    // Takes the sequences of a table of step arrays ended by a null pointer, each array
    // ended by a step with a negative pattern (kept as the sequence's last step). A null
    // table changes nothing. Selects no sequence: the owner calls SetSeq with force next.
    void Set(const ANIMSTEPDEF* const* table);
    // 0 and no change while the current step is locked and bForce is 0; otherwise the
    // sequence starts from its first step (also when it is the current one) and 1.
    int SetSeq(int nSeq, int bForce);
    // As SetSeq, except that the current sequence goes on where it is (result 1).
    int ChangeSeq(int nSeq, int bForce);
    // One frame on; the pattern to draw now. 0 without sequences.
    int Next();
    // The current step's pattern, without advancing.
    int GetPattern();

    CheckedVector<ANIMSEQ> m_vecSeq;
    std::int32_t m_nSeq = 0;
    std::int32_t m_nStep = 0;
    std::int32_t m_nCount = 0;

private:
    const ANIMSTEP& CurrentStep();
};
