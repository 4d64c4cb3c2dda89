// The script of K4_SCRIPT as a run consumes it: box and dialog answers are taken in order,
// input lines are looked up by frame (ScriptInputsForFrame, frame.h). It is loaded on first use
// from GetSeams().scriptPath (a host path); lines that were not understood are reported on stderr
// once. Every box and dialog shown is appended to the log next to the script (the script's path +
// ".log"), which starts empty in each run. Any thread may call these functions.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/script.h"

namespace plat {

// True when a script is in use (K4_SCRIPT is set, or a test loaded one with a path).
bool ScriptInUse();

// The next box answer, consumed when `fits` accepts it. When `fits` refuses it, the answer
// stays queued for a later box, nullopt is returned and *refused (if given) receives it.
// Nullopt without a refusal when no answer is left.
std::optional<int> TakeBoxAnswer(const std::function<bool(int)>& fits, int* refused = nullptr);
// The next dialog answer, consumed; nullopt when none is left.
std::optional<std::string> TakeDialogAnswer();
// The next dialog answer when `fits` accepts it (consumed); otherwise it stays queued.
std::optional<std::string> TakeDialogAnswer(const std::function<bool(const std::string&)>& fits);

// Appends one line (UTF-8, without its newline) to the script's log; nothing without a script.
void AppendScriptLog(std::string_view line);
// The log's path, empty without a script.
std::string ScriptLogPath();

// Tests: uses `text` as the script. `path` names the script file it stands for (its log
// is path + ".log", emptied here); an empty path means no log. Parse errors go to stderr.
void LoadScriptText(std::string_view text, const std::string& path);
// Tests: forgets the script; the next use loads it again from GetSeams().
void ResetScriptState();

}  // namespace plat
