// What the database tests share: a window that counts close requests (the checked access
// posts one for every bad index), a report log and headless boxes in a fresh folder, and the
// global database and post-load tables put back to their start-up state afterwards.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/log.h"
#include "data/database.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "stage/engine_globals.h"
#include "stage/post_load_tables.h"
#include "support/temp_dir.h"

namespace database_test {

inline std::atomic<int> closeRequests{0};

inline plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& hostPath, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
    std::ofstream out(hostPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class DatabaseFixture : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        ResetEngineGlobals();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(CountCloses);
        ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        ResetEngineGlobals();
        plat::SetSeams(previousSeams_);
    }
    // Mid-test: the database and the tables built from it back to their start-up state.
    static void ResetDatabase() {
        EdDatabase.SetDefaults();
        EdDatabase.vecCharaEffectRev.Clear();
        EdDatabase.vecScrEffectRev.Clear();
        AnimePatternTable.Clear();
        EffectPatternTable.Clear();
        CharaEffectStates.Clear();
        CharaEffectStatesRev.Clear();
        ScrEffectStates.Clear();
        ScrEffectStatesRev.Clear();
    }
    // Dispatches what was posted to the window; the number of close requests so far.
    int PumpCloses() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
        return closeRequests;
    }

    TempDir dir;
    plat::Seams previousSeams_;
};

}  // namespace database_test
