// The half-mix table of the 8-bit DirectDraw display: entry [a * 256 + b] is the palette
// index of the half-and-half mix of palette colours a and b. One table for the program,
// valid for the palette it was made for; its file is exactly 65536 bytes, no header.
#pragma once

#include <cstdint>

extern std::uint8_t HbtTable[65536];

// Direct3D: true without reading. DirectDraw: false when the file cannot be opened; a
// shorter file leaves the rest of the table as it was.
bool DDLoadHbtTable(std::uint8_t* lpTable, const char* szFileName);
