// Process entry. The start-up sequence, the main window and the game scenes are not
// built yet: this entry opens the report log, writes the version line and says so.
#include <cstdio>

#include "app/log.h"

int main() {
    if (!OpenReportLog("Report_Game.txt")) return 0;
    ReportLog("App : ver %s", "747");
    std::fprintf(stderr,
                 "kestrune4-player: only the core runtime is built so far; there is no game to "
                 "show yet. Report_Game.txt was written.\n");
    return 0;
}
