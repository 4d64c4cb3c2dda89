// Rectangles and points in the Windows sense: right and bottom lie outside the rectangle.
#pragma once

#include <cstdint>

namespace plat {

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

}  // namespace plat
