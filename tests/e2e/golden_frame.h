// A captured 640 x 480 frame compared with its PNG golden in tests/golden/, as decoded
// pixels (the alpha byte aside). K4_UPDATE_GOLDEN=1 writes the golden instead; a frame that
// differs is written beside the temporary files as actual_NAME for a look.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/image_decoder.h"
#include "platform/png_writer.h"
#include "player_harness.h"

inline void ExpectGoldenFrame(const Frame& frame, const std::string& name) {
    ASSERT_EQ(frame.width, 640) << name << " was not captured";
    const std::string golden = std::string(K4_GOLDEN_DIR) + "/" + name;
    if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(plat::WritePng(golden, frame.pixels.data(), 640, 480, 640, nullptr));
        std::printf("golden written: %s\n", golden.c_str());
        return;
    }
    plat::DecodedImage expected;
    const std::string bytes = PlayerProject::ReadFile(golden);
    ASSERT_TRUE(plat::DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                  expected, nullptr))
        << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
    ASSERT_EQ(expected.width, 640);
    int differing = 0;
    for (std::size_t i = 0; i < frame.pixels.size(); ++i)
        differing += (expected.argb[i] | 0xFF000000u) != (frame.pixels[i] | 0xFF000000u);
    if (differing != 0) {
        const std::string actual =
            (std::filesystem::temp_directory_path() / ("actual_" + name)).string();
        plat::WritePng(actual, frame.pixels.data(), 640, 480, 640, nullptr);
        ADD_FAILURE() << differing << " pixels differ from " << golden << "; actual in " << actual;
    }
}
