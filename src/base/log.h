// The report log (always on) and the error log (off unless switched on).
// Every line is appended by opening, writing and closing the file, so the log stays
// complete even when the process is killed. Lines end with CR LF; text is CP932.
#pragma once

#include <string_view>

#include "platform/messages.h"

// Creates or empties the report log and remembers its path; 0 when it cannot be created.
int OpenReportLog(std::string_view path);
// Appends one formatted line; 0 when the file cannot be opened.
int ReportLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As ReportLog, then the same line to the error log.
int ReportLogErr(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As ReportLogErr, then an error box with the same text.
int ReportLogBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

void SetErrorLog(int enable, std::string_view path);
int ErrorLogEnabled();
// Ready texts: never used as a format.
void ErrorLogLine(std::string_view text);
void ErrorLogString(std::string_view text);
void ErrorLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// ErrorLog, then WM_CLOSE to the window in every case.
void ErrorLogAndClose(plat::HWND window, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
