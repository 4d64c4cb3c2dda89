// The music manager: five music slots (0 title, 1 world map and map menu, 2 stage select,
// 3 options, 4 the stage), each naming an Ogg file, a MIDI file or both, played one at a time
// on player 0: Ogg through cVox, MIDI through the MIDI player set. It exists only while the
// music option is on; every operation returns at once while it is not initialised. Used on
// the window thread (and by the option scene on the game thread while no request is in
// flight).
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "sound/vox_player.h"

inline constexpr int kBgmSlotCount = 5;
inline constexpr int kBgmPlayerCount = 1;
inline constexpr int kBgmStageSlot = 4;

// Slot kinds.
inline constexpr std::int32_t kBgmKindEither = 0;  // the Ogg name first, then the MIDI name
inline constexpr std::int32_t kBgmKindOgg = 1;
inline constexpr std::int32_t kBgmKindMidi = 2;

// The name tables the manager is given (entry 0 starts as "bgm\Title.ogg" and
// "bgm\Title.mid").
extern char BgmOggNames[kBgmSlotCount][260];
extern char BgmMidiNames[kBgmSlotCount][264];

// The MIDI player set as the manager uses it.
class cBgmMidiEngine {
public:
    virtual ~cBgmMidiEngine() = default;
    // Empties the per-player vectors without deleting players.
    virtual void Clear() = 0;
    // Sizes the per-player vectors to n (new entries none).
    virtual void SetCount(int n) = 0;
    // Player p plays the file; 1, or 0 when it cannot (an extension other than "mid").
    virtual int PlayFile(int p, const char* name, int loop) = 0;
    // Stops (and rewinds) every player.
    virtual void StopAll(int flag) = 0;
    // Deletes every player and empties the vectors.
    virtual void DeleteAll() = 0;
};

class cBgmManager {
public:
    cBgmManager() = default;
    cBgmManager(const cBgmManager&) = delete;
    cBgmManager& operator=(const cBgmManager&) = delete;
    ~cBgmManager() { UnInit(); }

    int Init(int players, char (*oggNames)[260], char (*midNames)[264], int slots);
    void SetSlotCount(int n);
    int SetSlotFile(int slot, const char* path);
    int Play(int p, int slot, int loop, int midiStop, int force);
    void Stop();
    void UnInit();

    // The MIDI side (null: every MIDI file is refused). Not owned.
    void SetMidiEngine(cBgmMidiEngine* engine) { m_lpMidi = engine; }

    int Initialised() const { return m_bInit; }
    int SlotPlaying() const { return m_nSlotPlaying; }
    std::int32_t SlotKind(int slot) const;
    const char* OggName(int slot) const;
    const char* MidiName(int slot) const;

private:
    int MidiPlayFile(int p, const char* name, int loop);
    void MidiStopAll(int flag);

    int m_bInit = 0;
    cVox m_Vox;
    char (*m_lpOggNames)[260] = nullptr;
    cBgmMidiEngine* m_lpMidi = nullptr;
    char (*m_lpMidNames)[264] = nullptr;
    int m_nSlotPlaying = -1;
    CheckedVector<std::int32_t> m_vecSlotKind;
};

extern cBgmManager Bgm;
