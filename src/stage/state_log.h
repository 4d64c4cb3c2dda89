// The play-state log (K4_STATE_LOG): one line per game-scene frame with the hero's position,
// speeds and flags, the number of characters and a hash over everything that moves in a
// stage. Two runs of the same input must write the same lines; a test compares them with each
// other and with a file kept in the source tree, so any change in how play moves shows up as
// the first line that differs.
//
// Line format (one per frame, fields separated by single spaces):
//   frame=N scene=M state=S x=X y=Y vx=VX vy=VY dying=D falling=F airborne=A contacts=LRUD
//   charas=K lives=L hp=H score=P stagescore=G items=I cpos=X1,Y1;X2,Y2;X3,Y3
//   hash=HHHHHHHHHHHHHHHH
// N is the presented frame the line belongs to (as K4_QUIT_AFTER counts), M the scene's own
// frame counter (0 at every stage set-up), S the scene state; the doubles are printed with 17
// significant digits, so they read back exactly; LRUD are the four contact flags as digits;
// K counts the characters and L the lives left, H is the hero's HP, P the play's score, G
// what the stage earned so far (added to P when it is cleared) and I the number of items
// lying in the stage; cpos holds the positions of the first
// kStateLogCharas characters in list order ("-" when there is none).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/seams.h"

class cGameScene;

// How many characters' positions a line shows.
inline constexpr int kStateLogCharas = 3;

// 64-bit FNV-1a over the exact bytes given.
class StateHash {
public:
    void AddBytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            m_value ^= p[i];
            m_value *= kPrime;
        }
    }
    template <class T>
    void Add(const T& value) {
        static_assert(std::is_arithmetic_v<T>, "only plain numbers have defined bytes");
        AddBytes(&value, sizeof value);
    }
    std::uint64_t Value() const { return m_value; }

private:
    static constexpr std::uint64_t kOffset = 14695981039346656037ull;
    static constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t m_value = kOffset;
};

// The hash of the running stage: the hero and each character (position, speeds, HP, the
// movement flags, contacts, serial, SP, the immunity ticks and the ticks of each recent
// attacker, the knock-back, the ride and its platform's serial; for the hero also its
// block-touch effect and item-block wait; and where each of its flows stands), the items'
// positions, the view, the time limit, the tick counter, the score and the stage score, the
// switches, the common (C) and stage (S) variables, the number of effects, the message
// windows and the last wait (once there were any) and the random generator of the calling
// thread (the game thread's).
std::uint64_t HashPlayState(cGameScene& scene);
// The log line of the frame, without the line end. The scene must have a hero.
std::string FormatStateLine(std::uint32_t frame, cGameScene& scene);
// Appends the line of the current frame to `path` and flushes it, so a run that is killed
// keeps every line it wrote. Nothing while the scene has no hero (no stage is set up).
void WriteStateLine(const std::string& path, cGameScene& scene);

// Called once at the end of every game-scene frame; a single test when the seam is off.
inline void LogPlayState(cGameScene& scene) {
    const std::string& path = plat::GetSeams().stateLogPath;
    if (!path.empty()) WriteStateLine(path, scene);
}
