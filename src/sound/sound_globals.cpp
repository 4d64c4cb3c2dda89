// Every mutable global of src/sound, with its program-start value:
//   DSSoundData, SoundFileList (sound_effects.h)  empty; the sound object released
//   Bgm (bgm_manager.h)                            not initialised, no MIDI engine
//   BgmMidiPlayers (midi_player_set.h)             no players (Bgm.UnInit deletes them)
//   BgmOggNames, BgmMidiNames (bgm_manager.h)      entry 0 "bgm\Title.ogg" / "bgm\Title.mid"
//   VoxFactoryOverride (vox_player.h)              none
#include "sound/sound_globals.h"

#include <cstring>

#include "data/data_globals.h"
#include "sound/bgm_manager.h"
#include "sound/sound_effects.h"

void ResetSoundGlobals() {
    ResetDataGlobals();
    ResetSoundEffects();
    Bgm.UnInit();
    Bgm.SetMidiEngine(nullptr);
    std::memset(BgmOggNames, 0, sizeof BgmOggNames);
    std::memset(BgmMidiNames, 0, sizeof BgmMidiNames);
    std::strcpy(BgmOggNames[0], "bgm\\Title.ogg");
    std::strcpy(BgmMidiNames[0], "bgm\\Title.mid");
    VoxFactoryOverride = nullptr;
}
