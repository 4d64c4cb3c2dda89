#include "sound/bgm_manager.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/log.h"
#include "base/paths.h"

char BgmOggNames[kBgmSlotCount][260] = {"bgm\\Title.ogg"};
char BgmMidiNames[kBgmSlotCount][264] = {"bgm\\Title.mid"};

cBgmManager Bgm;

namespace {

// The name tables hold 259 bytes and a terminator.
constexpr std::size_t kMaxMusicName = 259;

template <std::size_t N>
void SetName(char (&entry)[N], const std::string& name) {
    std::snprintf(entry, N, "%s", name.c_str());
}

}  // namespace

int cBgmManager::Init(int players, char (*oggNames)[260], char (*midNames)[264], int slots) {
    m_bInit = 1;
    if (m_lpMidi) m_lpMidi->Clear();
    if (!m_Vox.Init()) {
        ErrorLog("m_Vox.Init失敗！");
        // Without the Ogg library the music stays off: nothing plays, nothing closes.
        m_bInit = 0;
        return 0;
    }
    SetSlotCount(players);
    m_lpOggNames = oggNames;
    m_lpMidNames = midNames;
    m_vecSlotKind.Clear();
    m_vecSlotKind.resize(slots > 0 ? slots : 0, kBgmKindEither);
    m_nSlotPlaying = -1;
    return 1;
}

void cBgmManager::SetSlotCount(int n) {
    if (!m_bInit) return;
    if (m_lpMidi) m_lpMidi->SetCount(n);
    m_Vox.Create(n);
}

int cBgmManager::SetSlotFile(int slot, const char* path) {
    if (!m_bInit) return 1;
    std::int32_t& kind = m_vecSlotKind[slot];
    // A slot the kind vector does not have was reported by the checked access; the name
    // tables are not touched for it.
    if (slot < 0 || slot >= static_cast<int>(m_vecSlotKind.Size()) || slot >= kBgmSlotCount)
        return 0;
    char* ogg = m_lpOggNames[slot];
    char* mid = m_lpMidNames[slot];
    const std::string name = path ? path : "";
    std::string extension;
    if (name.size() > kMaxMusicName || !GetExtension(extension, name)) {
        ogg[0] = '\0';
        mid[0] = '\0';
        kind = kBgmKindEither;
        return 0;
    }
    if (extension == "mid" || extension == "MID") {
        std::string rewritten;
        ReplaceExtension(rewritten, name, "mid");
        SetName(m_lpMidNames[slot], rewritten);
        kind = kBgmKindMidi;
        return 1;
    }
    if (extension == "ogg" || extension == "OGG") {
        SetName(m_lpOggNames[slot], name);
        kind = kBgmKindOgg;
        return 1;
    }
    SetName(m_lpOggNames[slot], name);
    SetName(m_lpMidNames[slot], name);
    kind = kBgmKindEither;
    return 0;
}

int cBgmManager::MidiPlayFile(int p, const char* name, int loop) {
    return m_lpMidi ? m_lpMidi->PlayFile(p, name, loop) : 0;
}

void cBgmManager::MidiStopAll(int flag) {
    if (m_lpMidi) m_lpMidi->StopAll(flag);
}

int cBgmManager::Play(int p, int slot, int loop, int midiStop, int force) {
    if (!m_bInit || (slot == m_nSlotPlaying && !force)) return 1;
    m_nSlotPlaying = slot;
    const std::int32_t kind = m_vecSlotKind[slot];
    const bool inTables = slot >= 0 && slot < kBgmSlotCount;
    const char* ogg = inTables ? m_lpOggNames[slot] : "";
    const char* mid = inTables ? m_lpMidNames[slot] : "";
    switch (kind) {
        case kBgmKindEither:
            if (m_Vox.Play(p, ogg, loop)) {
                MidiStopAll(midiStop);
                return 1;
            }
            if (MidiPlayFile(p, mid, loop)) {
                m_Vox.Stop();
                return 1;
            }
            break;
        case kBgmKindOgg:
            if (m_Vox.Play(p, ogg, loop)) {
                MidiStopAll(0);
                return 1;
            }
            break;
        case kBgmKindMidi:
            if (MidiPlayFile(p, mid, loop)) {
                m_Vox.Stop();
                return 1;
            }
            break;
        default:
            break;
    }
    m_nSlotPlaying = -1;
    m_Vox.Stop();
    MidiStopAll(0);
    return 0;
}

void cBgmManager::Stop() {
    if (!m_bInit) return;
    MidiStopAll(0);
    m_Vox.Stop();
}

void cBgmManager::UnInit() {
    if (!m_bInit) return;
    m_Vox.Release();
    if (m_lpMidi) m_lpMidi->DeleteAll();
    m_bInit = 0;
    m_nSlotPlaying = -1;
}

std::int32_t cBgmManager::SlotKind(int slot) const {
    return slot >= 0 && slot < static_cast<int>(m_vecSlotKind.Size()) ? m_vecSlotKind[slot] : -1;
}

const char* cBgmManager::OggName(int slot) const {
    return m_lpOggNames && slot >= 0 && slot < kBgmSlotCount ? m_lpOggNames[slot] : "";
}

const char* cBgmManager::MidiName(int slot) const {
    return m_lpMidNames && slot >= 0 && slot < kBgmSlotCount ? m_lpMidNames[slot] : "";
}
