// Number texts of a fixed width: slot numbers ("01"), option values, ranking times.
#pragma once

#include <cstdint>
#include <string>

// out = the `width` lowest decimal digits of |value| (all of them when width is 0 or smaller
// than the number of digits, which counts at most 10), most significant first, with leading
// zeros; without keepZeros the leading zeros but the last character become spaces. A
// negative value gets "-" in front; with plusSign a value that is not negative gets "+".
void FormatZeroPadded(std::string& out, std::int32_t value, int width, int keepZeros,
                      int plusSign = 0);
