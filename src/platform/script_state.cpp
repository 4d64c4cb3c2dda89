// The loaded script. One object behind one mutex: boxes run on the window thread, frames
// are counted on the game thread, and both consume the same script.
#include "platform/script_state.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/frame.h"
#include "platform/seams.h"

namespace plat {
namespace {

struct State {
    bool loaded = false;
    bool inUse = false;
    Script script;
    std::string logPath;
};

std::mutex g_mutex;
State g_state;

// At most this many parse errors are printed; a script of garbage should not flood stderr.
constexpr std::size_t kMaxReported = 20;

void Install(State& state, std::string_view text, const std::string& path) {
    state = State{};
    state.loaded = true;
    state.script = ParseScript(text);
    if (!path.empty()) {
        state.inUse = true;
        state.logPath = path + ".log";
        // Each run's log holds that run's boxes and dialogs only.
        if (std::FILE* f = std::fopen(state.logPath.c_str(), "wb"))
            std::fclose(f);
        else
            std::fprintf(stderr, "kestrune4: K4_SCRIPT: cannot write the log %s\n",
                         state.logPath.c_str());
    }
    const auto& errors = state.script.errors;
    for (std::size_t i = 0; i < errors.size() && i < kMaxReported; ++i)
        std::fprintf(stderr, "kestrune4: K4_SCRIPT %s: %s\n", path.c_str(), errors[i].c_str());
    if (errors.size() > kMaxReported)
        std::fprintf(stderr, "kestrune4: K4_SCRIPT %s: %zu more lines not understood\n",
                     path.c_str(), errors.size() - kMaxReported);
}

// Loads on first use; the caller holds g_mutex.
State& Loaded() {
    if (g_state.loaded) return g_state;
    const std::string& path = GetSeams().scriptPath;
    std::string text;
    if (!path.empty()) {
        // The path comes from the environment and is already a host path.
        std::ifstream file(path, std::ios::binary);
        if (file) {
            std::ostringstream buffer;
            buffer << file.rdbuf();
            text = buffer.str();
        } else {
            std::fprintf(stderr, "kestrune4: K4_SCRIPT: cannot read %s\n", path.c_str());
        }
    }
    Install(g_state, text, path);
    return g_state;
}

}  // namespace

bool ScriptInUse() {
    std::lock_guard lock(g_mutex);
    return Loaded().inUse;
}

std::optional<int> TakeBoxAnswer(const std::function<bool(int)>& fits, int* refused) {
    std::lock_guard lock(g_mutex);
    auto& answers = Loaded().script.boxAnswers;
    if (answers.empty()) return std::nullopt;
    int answer = answers.front();
    if (!fits(answer)) {
        if (refused) *refused = answer;
        return std::nullopt;
    }
    answers.pop_front();
    return answer;
}

std::optional<std::string> TakeDialogAnswer() {
    return TakeDialogAnswer([](const std::string&) { return true; });
}

std::optional<std::string> TakeDialogAnswer(const std::function<bool(const std::string&)>& fits) {
    std::lock_guard lock(g_mutex);
    auto& answers = Loaded().script.dialogAnswers;
    if (answers.empty() || !fits(answers.front())) return std::nullopt;
    std::string answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

std::vector<ScriptInput> ScriptInputsForFrame(int frame) {
    std::lock_guard lock(g_mutex);
    const auto& inputs = Loaded().script.inputs;
    // The inputs are sorted by frame, file order kept within a frame.
    auto first = std::lower_bound(inputs.begin(), inputs.end(), frame,
                                  [](const ScriptInput& a, int f) { return a.frame < f; });
    auto last = std::upper_bound(first, inputs.end(), frame,
                                 [](int f, const ScriptInput& a) { return f < a.frame; });
    return std::vector<ScriptInput>(first, last);
}

void AppendScriptLog(std::string_view line) {
    std::lock_guard lock(g_mutex);
    const State& state = Loaded();
    if (state.logPath.empty()) return;
    // Opened and closed per line, so the log is complete even if the run is killed.
    std::FILE* f = std::fopen(state.logPath.c_str(), "ab");
    if (!f) return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fputc('\n', f);
    std::fclose(f);
}

std::string ScriptLogPath() {
    std::lock_guard lock(g_mutex);
    return Loaded().logPath;
}

void LoadScriptText(std::string_view text, const std::string& path) {
    std::lock_guard lock(g_mutex);
    Install(g_state, text, path);
}

void ResetScriptState() {
    std::lock_guard lock(g_mutex);
    g_state = State{};
}

}  // namespace plat
