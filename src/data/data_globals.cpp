// Every mutable global of src/data, with its program-start value:
//   EdDatabase (database.h)            the database records        defaults
//   EdWorldMap (world_map.h)           the world map                empty
//   EdCommonPalette (common_palette.h) the common palettes          defaults
//   EdSystem (system_record.h)         the system record            defaults
//   DrawMenuWindow (system_record.h)   the menu window hook          null
//   SystemIni (system_ini.h)           System.ini settings          defaults
//   Option (option_record.h)           the player's options         defaults
//   BootSettings (boot_settings.h)     the start dialog's choice    defaults
//   WindowPlacement (window_placement.h) the saved window placement all 0
//   EdStage (stage_record.h)           the stage being read         empty stage
//   EdStageWork (stage_record.h)       the stage being played       empty stage
//   dwDataVersion (serial_record.h)    version records are written at  current version
//   dwFileVersion (serial_record.h)    version of the file being read  0
//   bStripCR (serial_record.h)         CR dropped from read text       1
//
// Not reset:
//   the stage palette registration (palette_inheritance.h)
//                                      taken once for the life of the program; it points
//                                      at EdStageWork, which stays where it is
//   flow nesting depth and inheritance budget (flow_records.cpp, palette_inheritance.cpp)
//                                      per thread, back to their start when a read ends
#include "data/data_globals.h"

#include "base/base_globals.h"
#include "data/boot_settings.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/option_record.h"
#include "data/serial_record.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "data/window_placement.h"
#include "data/world_map.h"

void ResetDataGlobals() {
    ResetBaseGlobals();
    EdDatabase.SetDefaults();  // not assignable; its defaults and no reversed copies
    EdDatabase.vecCharaEffectRev.Clear();
    EdDatabase.vecScrEffectRev.Clear();
    EdWorldMap = cEdWorldMap{};
    EdCommonPalette = cEdCommonPalette{};
    EdSystem = cEdSystem{};
    DrawMenuWindow = nullptr;
    SystemIni = cSystemIni{};
    Option = OptionData{};
    BootSettings = cBootSettings{};
    WindowPlacement = cWindowPlacement{};
    EdStage = cEdStage{};
    EdStageWork = cEdStage{};
    dwDataVersion = kCurrentDataVersion;
    dwFileVersion = 0;
    bStripCR = 1;
}
