// The parameters that an アレンジ command can change, per command type, with the label the
// editor shows and the range to which a changed value is clamped.
//
// The table is filled once by BuildParamDescTable at start-up, before any project file is
// read and before the game thread starts, and never changes afterwards; it is read through
// the checked access, so an arrange naming a parameter its type does not have is reported
// and closes the program in order.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/checked_vector.h"

// One arrangeable parameter. The label views a literal of the program.
struct cParamRange {
    std::string_view strLabel;
    std::int32_t nMin = 0;
    std::int32_t nMax = 0;
};

// Index = character command type (40 entries once built), then the parameter index.
// A type without arrangeable parameters has an empty list.
extern CheckedVector<CheckedVector<cParamRange>> cParamDescTable;

// Sizes cParamDescTable to the 40 command types (dropping surplus entries, adding empty
// ones) and fills the list of every type that has arrangeable parameters.
void BuildParamDescTable();

// The source of the table: the arrangeable parameters of one command type, in parameter
// index order.
struct ArrangeParamList {
    int nType;
    std::span<const cParamRange> ranges;
};
// Every command type with arrangeable parameters, in type order.
extern const std::span<const ArrangeParamList> ArrangeParamLists;
