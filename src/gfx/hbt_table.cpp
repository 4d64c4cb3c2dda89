#include "gfx/hbt_table.h"

#include <cstdio>

#include "gfx/display.h"
#include "platform/host_path.h"

std::uint8_t HbtTable[65536];

bool DDLoadHbtTable(std::uint8_t* lpTable, const char* szFileName) {
    if (lpDTCon) return true;
    if (!lpTable || !szFileName) return false;
    std::FILE* f = plat::FileOpen(szFileName, "rb");
    if (!f) return false;
    std::fread(lpTable, 1, 65536, f);
    std::fclose(f);
    return true;
}
