// cVox: the music manager's wrapper of the Ogg player library ("Vox.dll", platform/vox.h):
// the library, its factory and one player object per music player.
#pragma once

#include <cstdint>

#include "platform/vox.h"

// Replaces the library's factory (tests: players that record their calls); null uses the
// library's own. The library is still loaded, so its failure still counts.
extern plat::VoxFactory VoxFactoryOverride;

class cVox {
public:
    cVox() = default;
    cVox(const cVox&) = delete;
    cVox& operator=(const cVox&) = delete;
    ~cVox() { Release(); }

    // Loads the library and finds its factory; 0 after the box "oggの初期化に失敗！".
    int Init();
    // n players from the factory; 0 after the out-of-memory close.
    int Create(int n);
    // Plays `path` on player i, endlessly when `loop` is set, else once; 0 when the file
    // cannot be played.
    int Play(int i, const char* path, int loop);
    void Stop();
    void Release();

    int Playing() const { return m_nPlaying; }

private:
    plat::IVox** m_lpPlayers = nullptr;
    int m_nCount = 0;
    int m_nPlaying = -1;
    plat::VoxLibrary* m_hLibrary = nullptr;
    plat::VoxFactory m_lpCreateVox = nullptr;
};
