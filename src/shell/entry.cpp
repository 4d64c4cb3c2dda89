// The player's process entry. The command line is the stage file to play directly: the
// arguments joined by single spaces, since a path with spaces may come unquoted.
#include <string>

#include "platform/seams.h"
#include "shell/win_main.h"

int main(int argc, char** argv) {
    PlayerStart start;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) start.commandLine += ' ';
        start.commandLine += argv[i];
    }
    start.showCmd = plat::GetSeams().showCmd;
    return RunPlayer(start);
}
