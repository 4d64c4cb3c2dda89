#include "sound/midi_player_set.h"

#include <cctype>
#include <string>

#include "base/paths.h"

cMidiPlayerSet BgmMidiPlayers;

cMidiPlayerSet::~cMidiPlayerSet() {
    DeleteAll();
}

int cMidiPlayerSet::PlayFile(int p, const char* name, int loop) {
    std::string extension;
    if (!name || !GetExtension(extension, name) || extension.size() != 3 ||
        std::tolower(static_cast<unsigned char>(extension[0])) != 'm' ||
        std::tolower(static_cast<unsigned char>(extension[1])) != 'i' ||
        std::tolower(static_cast<unsigned char>(extension[2])) != 'd') {
        return 0;
    }
    cMidiPlayer*& player = m_vecPlayer[p];
    if (player) {
        player->Stop(1);
        delete player;
        player = nullptr;
    }
    player = new cMidiPlayer(name);
    if (!player->HasImage()) {
        delete player;
        player = nullptr;
        return 0;
    }
    player->Play(0, 0, loop);
    return 1;
}

void cMidiPlayerSet::StopAll(int flag) {
    for (cMidiPlayer* player : m_vecPlayer) {
        if (player) player->Stop(flag);
    }
}

void cMidiPlayerSet::SetCount(int n) {
    if (n < 0) n = 0;
    // Players beyond the new count would be lost: they go first.
    for (std::size_t i = n; i < m_vecPlayer.size(); ++i) {
        if (m_vecPlayer[static_cast<int>(i)]) {
            m_vecPlayer[static_cast<int>(i)]->Stop(1);
            delete m_vecPlayer[static_cast<int>(i)];
        }
    }
    m_vecPlayer.resize(n, nullptr);
    m_vecValue.resize(n, 0);
}

void cMidiPlayerSet::DeleteAll() {
    StopAll(1);
    for (cMidiPlayer*& player : m_vecPlayer) {
        delete player;
        player = nullptr;
    }
}

void cMidiPlayerSet::Clear() {
    m_vecPlayer.Clear();
    m_vecValue.Clear();
}
