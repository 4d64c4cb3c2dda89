// The report log and the error log.
//
// Every line opens the file, appends and closes it again: logging is rare and never on the
// frame path, and a log written this way is complete even when the process is killed.
// The files are text files in the Windows sense, so every line feed is written as CR LF.
#include "base/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "base/format.h"
#include "base/message_box.h"
#include "platform/host_path.h"

namespace {

// Any thread may log; the paths and flags are read and the files written under this lock.
std::mutex logMutex;
std::string reportLogPath;
std::string errorLogPath;
int debugLog = 0;
// The first error-log write of the run empties the file; later writes append.
bool errorLogStarted = false;

// Writes the line and its end, turning every "\n" into CR LF.
void WriteTextLine(std::FILE* file, std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    out += "\r\n";
    std::fwrite(out.data(), 1, out.size(), file);
}

// Opens an existing file for writing at its end; null when it does not exist.
std::FILE* OpenForAppend(const std::string& path) {
    if (path.empty()) return nullptr;
    std::FILE* file = plat::FileOpen(path, "rt+");
    if (file && std::fseek(file, 0, SEEK_END) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

int ReportLogText(std::string_view text) {
    std::lock_guard lock(logMutex);
    std::FILE* file = OpenForAppend(reportLogPath);
    if (!file) return 0;
    WriteTextLine(file, text);
    std::fclose(file);
    return 1;
}

std::string FormatArgs(const char* format, std::va_list args) {
    std::string text;
    FormatStringV(text, format, args);
    return text;
}

}  // namespace

int OpenReportLog(std::string_view path) {
    std::lock_guard lock(logMutex);
    // Remembered even when the file cannot be made: later lines are then lost one by one.
    reportLogPath.assign(path);
    std::FILE* file = plat::FileOpen(reportLogPath, "wt");
    if (!file) return 0;
    std::fclose(file);
    return 1;
}

int ReportLog(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = FormatArgs(format, args);
    va_end(args);
    return ReportLogText(text);
}

int ReportLogErr(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = FormatArgs(format, args);
    va_end(args);
    const int result = ReportLogText(text);
    ErrorLogLine(text);
    return result;
}

int ReportLogBox(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = FormatArgs(format, args);
    va_end(args);
    const int result = ReportLogText(text);
    ErrorLogLine(text);
    // Outside the lock: a box blocks until it is answered.
    ErrorBox(text.c_str());
    return result;
}

void SetErrorLog(int enable, std::string_view path) {
    std::lock_guard lock(logMutex);
    debugLog = enable;
    // A new file starts with its own first write, which empties it.
    if (errorLogPath != path) errorLogStarted = false;
    errorLogPath.assign(path);
}

int ErrorLogEnabled() {
    std::lock_guard lock(logMutex);
    return debugLog;
}

void ErrorLogLine(std::string_view text) {
    std::lock_guard lock(logMutex);
    if (!debugLog || errorLogPath.empty()) return;
    std::FILE* file = nullptr;
    if (errorLogStarted) {
        file = OpenForAppend(errorLogPath);
    } else {
        file = plat::FileOpen(errorLogPath, "wt");
        // Only a write that reached the file counts as the first: otherwise a later write
        // would append to a log left over from an earlier run.
        if (file) errorLogStarted = true;
    }
    if (!file) return;
    WriteTextLine(file, text);
    std::fclose(file);
}

void ErrorLogString(std::string_view text) {
    ErrorLogLine(text);
}

void ErrorLog(const char* format, ...) {
    if (!ErrorLogEnabled()) return;
    std::va_list args;
    va_start(args, format);
    const std::string text = FormatArgs(format, args);
    va_end(args);
    ErrorLogLine(text);
}

void ErrorLogAndClose(plat::HWND window, const char* format, ...) {
    if (ErrorLogEnabled()) {
        std::va_list args;
        va_start(args, format);
        const std::string text = FormatArgs(format, args);
        va_end(args);
        ErrorLogLine(text);
    }
    plat::PostMessage(window, plat::WM_CLOSE, 0, 0);
}
