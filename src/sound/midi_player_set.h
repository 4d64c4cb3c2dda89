// The music manager's MIDI players: one player pointer per player number (null when none)
// and a parallel vector of values that play no part. A player lives from PlayFile until the
// next PlayFile on its number or DeleteAll.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "sound/bgm_manager.h"
#include "sound/midi_player.h"

class cMidiPlayerSet : public cBgmMidiEngine {
public:
    cMidiPlayerSet() = default;
    ~cMidiPlayerSet() override;
    cMidiPlayerSet(const cMidiPlayerSet&) = delete;
    cMidiPlayerSet& operator=(const cMidiPlayerSet&) = delete;

    // Player p plays the named ".mid" file (any case), looping when loop is set: 1; 0 for
    // another extension (player p untouched) or a file without a usable image (player p
    // deleted).
    int PlayFile(int p, const char* name, int loop) override;
    // cMidiPlayer::Stop(flag) on every player.
    void StopAll(int flag) override;

    // n player numbers, the new ones without a player.
    void SetCount(int n) override;
    // Pauses every player, then deletes them; the numbers stay, without players.
    void DeleteAll() override;
    // Forgets the players without deleting them (the manager's Init does so).
    void Clear() override;

    CheckedVector<cMidiPlayer*> m_vecPlayer;
    CheckedVector<std::int32_t> m_vecValue;
};

// The music manager's MIDI players (start-up hands them to Bgm).
extern cMidiPlayerSet BgmMidiPlayers;
