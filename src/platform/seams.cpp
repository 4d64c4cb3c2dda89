// The test seams. A malformed value never stops the program: the seam stays off and the
// reason is collected, so a test harness sees its own typo on stderr instead of a run
// that silently ignores it.
#include "platform/seams.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/text_scan.h"

namespace plat {
namespace {

// Values are quoted in messages, cut and escaped.
std::string Quote(std::string_view value) {
    return QuoteForMessage(value, 60);
}

std::optional<std::uint64_t> ParseNumber(std::string_view s, std::uint64_t max) {
    return ParseUnsigned(s, max);
}

// Parses a frame-like number (1 or more, within int) and reports what is wrong with it.
std::optional<int> ParseCount(const char* name, std::string_view s,
                              std::vector<std::string>& errors) {
    auto n = ParseNumber(s, 0x7FFFFFFF);
    if (!n) {
        errors.push_back(std::string(name) + ": not a number: " + Quote(s));
        return std::nullopt;
    }
    if (*n == 0) {
        errors.push_back(std::string(name) + ": must be 1 or more: " + Quote(s));
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

void ParseClock(std::string_view v, Seams& seams) {
    constexpr std::string_view kVirtual = "virtual";
    if (v == "real") return;
    if (v == kVirtual) {
        seams.virtualClock = true;
        return;
    }
    if (v.substr(0, kVirtual.size() + 1) == "virtual:") {
        auto start = ParseNumber(v.substr(kVirtual.size() + 1), 0xFFFFFFFFu);
        if (!start) {
            seams.errors.push_back("K4_CLOCK: the start is not a 32-bit number: " + Quote(v));
            return;
        }
        seams.virtualClock = true;
        seams.clockStart = static_cast<std::uint32_t>(*start);
        return;
    }
    seams.errors.push_back("K4_CLOCK: expected 'virtual' or 'virtual:START': " + Quote(v));
}

void ParseCapture(std::string_view v, Seams& seams) {
    // The frames come first: a folder may contain ':' but a frame list cannot.
    std::size_t colon = v.find(':');
    if (colon == std::string_view::npos) {
        seams.errors.push_back("K4_CAPTURE: expected 'N,M,...:DIR': " + Quote(v));
        return;
    }
    std::string_view list = v.substr(0, colon);
    std::string_view dir = v.substr(colon + 1);
    if (dir.empty()) {
        seams.errors.push_back("K4_CAPTURE: no folder after ':': " + Quote(v));
        return;
    }
    std::vector<int> frames;
    while (true) {
        std::size_t comma = list.find(',');
        std::string_view item = Trim(list.substr(0, comma));
        auto frame = ParseCount("K4_CAPTURE", item, seams.errors);
        if (!frame) return;
        frames.push_back(*frame);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    // Sorted and unique, so the presenter can look a frame up by binary search.
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    seams.captureFrames = std::move(frames);
    seams.captureDir = std::string(dir);
}

void ParseFail(std::string_view v, Seams& seams) {
    // Empty items (a trailing comma) name nothing and are skipped.
    while (true) {
        std::size_t comma = v.find(',');
        std::string_view item = Trim(v.substr(0, comma));
        if (!item.empty()) seams.failSteps.insert(std::string(item));
        if (comma == std::string_view::npos) break;
        v.remove_prefix(comma + 1);
    }
}

// sockaddr_un's path holds 108 bytes including the terminating zero.
constexpr std::size_t kMaxSocketPath = 107;

// Reads the real environment once; SetSeams replaces the object. Objects that were once
// in force are kept alive, because a caller may still hold the reference GetSeams gave.
std::once_flag g_once;
std::atomic<const Seams*> g_current{nullptr};
std::mutex g_retiredMutex;
std::vector<std::unique_ptr<Seams>> g_all;

void InitFromEnvironment() {
    auto seams = std::make_unique<Seams>(
        ParseSeams([](const char* name) -> const char* { return std::getenv(name); }));
    for (const std::string& e : seams->errors) std::fprintf(stderr, "kestrune4: %s\n", e.c_str());
    std::lock_guard lock(g_retiredMutex);
    g_current.store(seams.get(), std::memory_order_release);
    g_all.push_back(std::move(seams));
}

}  // namespace

Seams ParseSeams(const char* (*getenv)(const char*)) {
    Seams seams;
    // An empty value counts as unset, as `K4_X= cmd` is the usual way to switch one off.
    auto get = [&](const char* name) -> std::optional<std::string_view> {
        const char* v = getenv(name);
        if (!v || !*v) return std::nullopt;
        return std::string_view(v);
    };

    if (auto v = get("K4_HEADLESS")) {
        if (*v == "1")
            seams.headless = true;
        else if (*v != "0")
            seams.errors.push_back("K4_HEADLESS: expected 1 or 0: " + Quote(*v));
    }
    if (auto v = get("K4_CLOCK")) ParseClock(*v, seams);
    if (auto v = get("K4_SCRIPT")) seams.scriptPath = std::string(*v);
    if (auto v = get("K4_QUIT_AFTER")) {
        if (auto n = ParseCount("K4_QUIT_AFTER", *v, seams.errors)) seams.quitAfter = *n;
    }
    if (auto v = get("K4_CAPTURE")) ParseCapture(*v, seams);
    if (auto v = get("K4_EDITOR_SOCKET")) {
        if (v->size() > kMaxSocketPath)
            seams.errors.push_back("K4_EDITOR_SOCKET: longer than a Unix socket path allows (" +
                                   std::to_string(kMaxSocketPath) + " bytes): " + Quote(*v));
        else
            seams.editorSocket = std::string(*v);
    }
    if (auto v = get("K4_SHOWCMD")) {
        // SW_HIDE (0) to SW_FORCEMINIMIZE (11).
        auto n = ParseNumber(*v, 11);
        if (n)
            seams.showCmd = static_cast<int>(*n);
        else
            seams.errors.push_back("K4_SHOWCMD: not a show command (0 to 11): " + Quote(*v));
    }
    if (auto v = get("K4_FAIL")) ParseFail(*v, seams);
    if (auto v = get("K4_LOSE_DEVICE")) {
        if (auto n = ParseCount("K4_LOSE_DEVICE", *v, seams.errors)) seams.loseDeviceFrame = *n;
    }
    if (auto v = get("K4_STATE_LOG")) seams.stateLogPath = std::string(*v);
    if (auto v = get("K4_AUDIO_OUT")) seams.audioOutPath = std::string(*v);
    if (auto v = get("K4_DESKTOP_BPP")) {
        if (*v == "16" || *v == "32")
            seams.desktopBpp = *v == "16" ? 16 : 32;
        else
            seams.errors.push_back("K4_DESKTOP_BPP: not 16 or 32: " + Quote(*v));
    }
    return seams;
}

const Seams& GetSeams() {
    std::call_once(g_once, InitFromEnvironment);
    return *g_current.load(std::memory_order_acquire);
}

void SetSeams(const Seams& seams) {
    std::call_once(g_once, InitFromEnvironment);
    auto copy = std::make_unique<Seams>(seams);
    std::lock_guard lock(g_retiredMutex);
    g_current.store(copy.get(), std::memory_order_release);
    g_all.push_back(std::move(copy));
}

bool FailStep(const char* step) {
    return step && GetSeams().failSteps.count(step) != 0;
}

}  // namespace plat
