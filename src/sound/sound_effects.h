// Sound effects: one slot per effect in a vector of DSSOUNDDATA, each holding a static sound
// buffer made from a WAVE file and optionally duplicates sharing its samples; playing a slot
// restarts its next copy, so an effect with several copies can overlap itself. Slots 0 to 16
// are the system sounds, slot 16 + n entry n of the project's sound table.
//
// Every function does nothing (and reports success) while the sound object does not exist.
// The slots are played from the window thread (WM_USER_PLAYSE) and the game thread
// (PlayCursorSe, the option scene's volume): one lock guards the slot records.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "platform/dsound.h"

// The definition of one slot, made at start-up.
struct DSSOUNDDEF {
    char szFileName[260] = {};
    std::int32_t nCopies = 0;
    std::int32_t nVolume = 0;  // hundredths of a decibel, 0 = full
    std::int32_t nUsed = 0;    // set to 1 for every filled entry; nothing reads it
};

// One live slot.
struct DSSOUNDDATA {
    char szFileName[260] = {};
    plat::IDirectSoundBuffer** lpBuffers = nullptr;  // [0] the static buffer, then duplicates
    std::int32_t nCount = 0;
    std::int32_t nNext = 0;
};

// A WAVE file read into memory.
struct DSWAVE {
    plat::WAVEFORMATEX wfx;
    std::uint8_t* lpData = nullptr;
    plat::DWORD dwSize = 0;
};

// The slots and their definitions (start-up sizes them; the window procedure plays them).
extern CheckedVector<DSSOUNDDATA> DSSoundData;
extern CheckedVector<DSSOUNDDEF> SoundFileList;

// The sound-effect volume of option step 0 to 10, hundredths of a decibel.
inline constexpr std::int32_t kSeVolumeTable[11] = {-10000, -3000, -2000, -1300, -800, -500,
                                                    -300,   -150,  -80,   -30,   0};

bool DS_Init(plat::HWND hwnd, int rate, int bits, int channels);
void DS_UnInit();
bool DS_Initialised();
int DS_LoadSoundEffects(CheckedVector<DSSOUNDDATA>& data, CheckedVector<DSSOUNDDEF>& defs,
                        std::int32_t volume);
bool DS_CreateSoundEffect(DSSOUNDDATA& slot, const char* file, int copies, std::int32_t volume);
void DS_ReleaseSoundEffect(DSSOUNDDATA& slot);
bool DS_CreateStaticBuffer(plat::IDirectSoundBuffer** out, const char* file);
bool DS_DuplicateBuffer(plat::IDirectSoundBuffer** out, plat::IDirectSoundBuffer* source);
bool DS_LoadWave(const char* file, DSWAVE& wave);
void DS_FreeWave(DSWAVE& wave);
void DS_PlaySoundEffect(DSSOUNDDATA& slot, plat::DWORD flags);
std::int32_t DS_SetVolume(DSSOUNDDATA& slot, int copy, std::int32_t volume, int relative);
std::int32_t DS_GetVolume(DSSOUNDDATA& slot, int copy);

// System sound 0 (the menu cursor), played at once on the calling thread.
void PlayCursorSe();

// Releases everything and forgets the sound object (the globals' reset).
void ResetSoundEffects();
