// What the runs of the application shell check, headless and with a real window: the bytes
// of a saved window placement, the ordered close in the error log, and the temporary files a
// save must not leave.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "player_harness.h"

namespace shell_checks {

// The main window's outer size: the 640 x 480 client area, the caption and a dialog frame.
constexpr int kOuterWidth = 640 + 3 + 3;
constexpr int kOuterHeight = 480 + 19 + 3 + 3;
// Where a window without a saved placement opens on the 1280 x 1024 desktop.
constexpr int kCentreX = (1280 - kOuterWidth) / 2;
constexpr int kCentreY = (1024 - kOuterHeight) / 2;

inline std::string PlacementBytes(int x, int y, int w, int h, int maximised) {
    std::string bytes;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(v >> (8 * i));
    };
    u32(747);
    u32(5);
    for (int v : {x, y, w, h, maximised}) u32(static_cast<std::uint32_t>(v));
    u32(0);
    return bytes;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The lines of an orderly close, in their order, each once.
inline void ExpectOrderlyClose(const PlayerResult& result) {
    const char* order[] = {"WM_CLOSE 成功！", "thPause.Exit()", "thGame.Exit()", "WM_DESTROY",
                           "UnInitGame後"};
    std::size_t at = 0;
    for (const char* line : order) {
        const std::size_t found = result.errorLog.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\n" << result.errorLog;
        at = found;
    }
    EXPECT_EQ(result.reportLog.find("did not end"), std::string::npos) << result.reportLog;
}

// The title's keys to its フリー item: down three times, then the confirm button.
inline std::vector<std::string> TitleFreeItemKeys() {
    return {"@30 key 0x28 down", "@32 key 0x28 up", "@34 key 0x28 down", "@36 key 0x28 up",
            "@38 key 0x28 down", "@40 key 0x28 up", "@44 key 0x5A down", "@46 key 0x5A up"};
}

// Temporary files a save could leave next to the files it writes.
inline std::vector<std::string> LeftOvers(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".tmp") != std::string::npos || name.find('~') != std::string::npos)
            names.push_back(name);
    }
    return names;
}

}  // namespace shell_checks
