// The name, range and default of one parameter, as the editor shows it next to the value.
//
// Descriptions are constant data written into the program's tables: the constructor runs
// only at compile time, so the label always views a literal that lives as long as the
// program (the view is as good as a copy) and a value that does not fit the 16 bits of the
// stored range fails the build instead of wrapping silently.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

struct ParamDesc {
    // Empty for a parameter that the kind does not use; its range is then 0, 0, 0.
    std::string_view strLabel;
    std::int16_t nMin = 0;
    std::int16_t nMax = 0;
    std::int16_t nDefault = 0;

    constexpr ParamDesc() = default;
    // A null label gives the empty label.
    consteval ParamDesc(const char* label, int min, int max, int defaultValue)
        : strLabel(label != nullptr ? label : ""),
          nMin(Fit16(min)),
          nMax(Fit16(max)),
          nDefault(Fit16(defaultValue)) {}

private:
    static consteval std::int16_t Fit16(int value) {
        if (value < std::numeric_limits<std::int16_t>::min() ||
            value > std::numeric_limits<std::int16_t>::max()) {
            throw "a parameter description value does not fit 16 bits";
        }
        return static_cast<std::int16_t>(value);
    }
};
