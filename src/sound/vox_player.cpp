#include "sound/vox_player.h"

#include <new>

#include "base/message_box.h"

plat::VoxFactory VoxFactoryOverride = nullptr;

int cVox::Init() {
    if (!m_hLibrary) m_hLibrary = plat::LoadVoxLibrary();
    m_lpCreateVox = nullptr;
    if (m_hLibrary)
        m_lpCreateVox = VoxFactoryOverride ? VoxFactoryOverride : plat::GetVoxFactory(m_hLibrary);
    if (!m_lpCreateVox) {
        ErrorBoxF("oggの初期化に失敗！");
        return 0;
    }
    return 1;
}

int cVox::Create(int n) {
    // The old players go first.
    if (m_lpPlayers) {
        for (int i = 0; i < m_nCount; ++i)
            if (m_lpPlayers[i]) m_lpPlayers[i]->Delete();
        delete[] m_lpPlayers;
        m_lpPlayers = nullptr;
    }
    m_nCount = 0;
    m_nPlaying = -1;
    if (n < 0 || !m_lpCreateVox) return 0;
    m_lpPlayers = new (std::nothrow) plat::IVox*[n]();
    if (!m_lpPlayers) {
        MemoryErrorAndClose();
        return 0;
    }
    m_nCount = n;
    for (int i = 0; i < n; ++i) {
        m_lpPlayers[i] = m_lpCreateVox();
        if (!m_lpPlayers[i]) {
            MemoryErrorAndClose();
            return 0;
        }
    }
    return 1;
}

int cVox::Play(int i, const char* path, int loop) {
    if (!path || !*path) return 0;
    Stop();
    if (i < 0 || i >= m_nCount || !m_lpPlayers || !m_lpPlayers[i]) return 0;
    plat::IVox* player = m_lpPlayers[i];
    player->Clear();
    if (!player->Load(path)) {
        m_nPlaying = -1;
        return 0;
    }
    player->SetLoop(loop ? plat::kVoxLoopEndless : 0);
    player->Play();
    m_nPlaying = i;
    return 1;
}

void cVox::Stop() {
    if (m_nPlaying != -1 && m_nPlaying < m_nCount && m_lpPlayers && m_lpPlayers[m_nPlaying])
        m_lpPlayers[m_nPlaying]->Stop();
    m_nPlaying = -1;
}

void cVox::Release() {
    if (m_lpPlayers) {
        for (int i = 0; i < m_nCount; ++i) {
            if (m_lpPlayers[i]) m_lpPlayers[i]->Delete();
            m_lpPlayers[i] = nullptr;
        }
        delete[] m_lpPlayers;
        m_lpPlayers = nullptr;
    }
    m_nCount = 0;
    m_nPlaying = -1;
    if (m_hLibrary) plat::FreeVoxLibrary(m_hLibrary);
    m_hLibrary = nullptr;
    m_lpCreateVox = nullptr;
}
