#include "gfx/anim_pattern.h"

void cAnimPattern::Clear() {
    m_vecSeq.Clear();
    m_nSeq = 0;
    m_nStep = 0;
    m_nCount = 0;
}

void cAnimPattern::Set(const ANIMSTEPDEF* const* table) {
    if (table == nullptr) return;
    Clear();
    int sequences = 0;
    while (table[sequences] != nullptr) ++sequences;
    m_vecSeq.resize(static_cast<std::size_t>(sequences));
    for (int k = 0; k < sequences; ++k) {
        const ANIMSTEPDEF* steps = table[k];
        int count = 0;
        while (steps[count].nPattern >= 0) ++count;
        ++count;  // the closing step
        ANIMSEQ& seq = m_vecSeq[k];
        seq.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            seq[i].nPattern = steps[i].nPattern;
            seq[i].nFrames = steps[i].nFrames;
            seq[i].bLock = steps[i].bLock;
        }
    }
}

const ANIMSTEP& cAnimPattern::CurrentStep() {
    if (m_vecSeq.empty()) {
        // Outside the sequencer's range: the checked access reports the call once, and the
        // caller sees an unlocked step of pattern 0.
        static const ANIMSTEP none{};
        (void)m_vecSeq[m_nSeq];
        return none;
    }
    return m_vecSeq[m_nSeq][m_nStep];
}

int cAnimPattern::SetSeq(int nSeq, int bForce) {
    if (bForce == 0 && CurrentStep().bLock != 0) return 0;
    m_nSeq = nSeq;
    m_nStep = 0;
    m_nCount = 0;
    return 1;
}

int cAnimPattern::ChangeSeq(int nSeq, int bForce) {
    if (nSeq == m_nSeq) return 1;
    return SetSeq(nSeq, bForce);
}

int cAnimPattern::GetPattern() {
    return CurrentStep().nPattern;
}

int cAnimPattern::Next() {
    if (m_vecSeq.empty()) return 0;
    ANIMSEQ& seq = m_vecSeq[m_nSeq];
    const ANIMSTEP& current = seq[m_nStep];
    if (current.nPattern < 0) {
        // Resting on a closing step: the end of a one-shot animation that its owner asks
        // again, or a sequence with no pattern step at all (an animation without frames).
        // Stepping on would leave the sequence; the code is returned again instead, and a
        // jump is taken without looking further, so no chain of steps can loop here.
        if (current.nPattern == ANIM_JUMP) {
            SetSeq(current.nFrames, 1);
            return CurrentStep().nPattern;
        }
        return current.nPattern;
    }
    if (++m_nCount >= current.nFrames) {
        m_nCount = 0;
        ++m_nStep;
        const ANIMSTEP& reached = seq[m_nStep];
        switch (reached.nPattern) {
            case ANIM_JUMP:
                // Never refused by a lock.
                SetSeq(reached.nFrames, 1);
                break;
            case ANIM_RESTART:
                m_nStep = 0;
                break;
            case ANIM_HOLD:
                --m_nStep;
                break;
            default:
                break;
        }
    }
    return CurrentStep().nPattern;
}
