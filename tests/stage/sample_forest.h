// forest-1 of the sample game, for the tests that play on a real stage: the project is made and
// the stage loaded once per test program (in the working folder the scene fixture gives), and
// every test starts from a fresh copy of the loaded records.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/stage_record.h"
#include "gen/project.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/surface_tables.h"
#include "platform/host_path.h"
#include "scene/scene_manager.h"
#include "stage/stage_load.h"

struct LoadedStage {
    cEdStage stage;
    cEdStage work;
    bool ready = false;
};

// The records as loaded, for a test that puts them back in the middle.
inline LoadedStage& SampleForest() {
    static LoadedStage loaded;
    return loaded;
}

// Makes and loads the stage the first time, then copies the loaded records into EdStage and
// EdStageWork.
inline ::testing::AssertionResult UseSampleForest() {
    LoadedStage& loaded = SampleForest();
    if (!loaded.ready) {
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        if (!gen::MakeProject("project", options, &error))
            return ::testing::AssertionFailure() << "MakeProject: " << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        if (LoadStageForPlay("data\\stg4\\forest-1.stg4", 1, &EdStage) != 1)
            return ::testing::AssertionFailure() << "forest-1 did not load";
        loaded.stage = EdStage;
        loaded.work = EdStageWork;
        loaded.ready = true;
    }
    EdStage = loaded.stage;
    EdStageWork = loaded.work;
    return ::testing::AssertionSuccess();
}

// UseSampleForest for a test that draws: the project's images are read from this test's own
// folder (made again when an earlier test loaded the records), and the stage's palette, its
// transparent colour and, with 8 bits, the blend table are taken from them.
inline ::testing::AssertionResult UseSampleForestImages() {
    if (SampleForest().ready) {
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        if (!gen::MakeProject("project", options, &error))
            return ::testing::AssertionFailure() << "MakeProject: " << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
    }
    if (::testing::AssertionResult used = UseSampleForest(); !used) return used;
    if (!DDLoadPaletteFromFile(Palette, SurfaceDef[0].szFileName, 1))
        return ::testing::AssertionFailure() << "the palette did not load";
    for (int i = 0; i < 256; ++i) PaletteOrg[i] = Palette[i];
    if (!DDSetTransmit(SurfaceDef[0].szFileName))
        return ::testing::AssertionFailure() << "the transparent colour was not read";
    if (nBpp == 8 && !LoadHbtPalette(0))
        return ::testing::AssertionFailure() << "the blend table did not load";
    return ::testing::AssertionSuccess();
}
