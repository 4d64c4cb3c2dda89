// PLACEHOLDER(shell): the program entry until the application shell (single instance, the
// editor's hand-shake, the system information) exists: the whole command line is the stage
// file to play, and the player runs in its window until it is closed.
#include <string>

#include "platform/seams.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    PlayerStart start;
    // The arguments joined by single spaces: a path with spaces may come unquoted.
    for (int i = 1; i < argc; ++i) {
        if (i > 1) start.commandLine += ' ';
        start.commandLine += argv[i];
    }
    start.showCmd = plat::GetSeams().showCmd;
    return RunPlayer(start);
}
