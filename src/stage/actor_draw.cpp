// Drawing an actor: which pattern of its animations shows this frame, and the frames of a
// dying actor until it may be removed.
#include <cstdint>
#include <limits>

#include "flow/flow_instance.h"
#include "gfx/anim_pattern.h"
#include "stage/actor.h"
#include "stage/effect_instances.h"
#include "stage/game_object.h"

namespace {

// The hero lies dead for one second of frames when no death effect shows its end.
constexpr std::int32_t kHeroDeathFrames = 60;

// PLACEHOLDER(effects): the handler of the running effect draws the actor through the effect
// and reports whether the effect ended. No handler exists, so the effect is reported ended
// at once: a dying actor must not wait for an effect that never runs out.
int RunEffectHandler(cActorBase& /*actor*/, DDSURFACEDATA* /*surface*/, int /*paused*/) {
    return 1;
}

}  // namespace

int cActorBase::GetDrawPattern(int paused) {
    if (!paused) {
        m_AnimPattern.Next();
        for (auto it = m_listAnime.begin(); it != m_listAnime.end();) {
            if (it->m_bPaused) {
                ++it;
                continue;
            }
            // A one-shot animation that reached its closing step is over.
            if (it->m_Pattern.Next() == ANIM_ONESHOT_END) {
                it = m_listAnime.erase(it);
            } else {
                it->m_nLength = Wrap32(std::int64_t{it->m_nLength} - 1);
                ++it;
            }
        }
    }

    // Among the running entries, a limited entry with the least length left wins over the
    // entries before it; an unlimited one is taken only while nothing has been taken yet.
    // A limited entry that has run out while the best one has too fixes the choice; after
    // that only an entry that ran out more recently than the best (a greater length of 0 or
    // less) wins.
    AnimeEntry* chosen = nullptr;
    std::int32_t best = std::numeric_limits<std::int32_t>::max();
    bool fixed = false;
    for (AnimeEntry& entry : m_listAnime) {
        if (entry.m_bPaused) continue;
        const std::int32_t length = entry.m_nLength;
        if (!fixed) {
            if (entry.m_bLimited == 1 && length <= 0 && best <= 0) {
                chosen = &entry;
                best = length;
                fixed = true;
            } else if (entry.m_bLimited == 1 && length < best) {
                chosen = &entry;
                best = length;
            } else if (entry.m_bLimited != 1 && chosen == nullptr) {
                chosen = &entry;
                best = std::numeric_limits<std::int32_t>::max();
            }
        } else if (length <= 0 && length > best) {
            chosen = &entry;
            best = length;
        }
    }
    // With every entry paused none is chosen, and the base animation shows.
    if (chosen) return chosen->m_Pattern.GetPattern();
    return m_AnimPattern.GetPattern();
}

int cActorBase::DrawDying(DDSURFACEDATA* surface, int paused) {
    // PLACEHOLDER(stage-images): the graphic source of the actor is resolved here with
    // pattern 0, and the surface receives the drawing of the effect handlers.
    const bool effectRunning = m_CharaEffect.nNumber != 0;
    if (m_nOperator != 0) {
        // A character goes when its death effect has run out, or at once without one.
        if (!effectRunning) return 1;
        const int ended = RunEffectHandler(*this, surface, paused);
        if (ended == 1) m_CharaEffect.nNumber = 0;
        return ended;
    }
    // The hero's death effect plays to its end; only then does the hero lie still for the
    // counted frames, so that the player sees the death before the stage goes on.
    if (effectRunning) {
        if (RunEffectHandler(*this, surface, paused) == 1) m_CharaEffect.nNumber = 0;
        return 0;
    }
    if (!paused) m_nDeathFrames = Wrap32(std::int64_t{m_nDeathFrames} + 1);
    return m_nDeathFrames > kHeroDeathFrames ? 1 : 0;
}
