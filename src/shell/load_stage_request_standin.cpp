// PLACEHOLDER(shell): the stage-file chooser and the load of the chosen stage come with the
// application shell; until then the request answers "cancelled".
#include "base/window_requests.h"
#include "shell/window_request_steps.h"

void ServeLoadStageRequest() {
    bFileDialogResult = 0;
    bFileDialogDone = 1;
}
