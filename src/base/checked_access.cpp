// The failure path of the checked containers. Everything a bad index costs lives here, out
// of line, so the in-range access stays a compare and an address computation.
#include <string>

#include "base/checked_vector.h"
#include "base/format.h"
#include "base/globals.h"
#include "base/log.h"
#include "platform/messages.h"

namespace checked_detail {

void ReportBadIndex(char kind, int index, std::size_t count, std::size_t elementSize) {
    std::string text;
    FormatString(text, "err %c[%d] ( %d , %d )", kind, index, static_cast<int>(count),
                 static_cast<int>(elementSize));
    ErrorLogLine(text);
    ReportLog("%s", text.c_str());
    // The frame in progress goes on with the stand-by element; the program then shuts
    // down through the main window's ordinary close handling.
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

}  // namespace checked_detail
