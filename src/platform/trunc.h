// Truncation of a double to int as the x86 conversion does it: toward zero, and INT_MIN
// for NaN and for values outside the int range (instead of undefined behaviour).
#pragma once

#include <climits>
#include <cmath>

namespace plat {

inline int TruncToInt(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace plat
