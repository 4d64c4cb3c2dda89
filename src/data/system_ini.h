// System.ini: the player's text settings in the current folder (display back end, window
// mode, colour depth, vertical sync, font caching, the frame-rate display, a stage file to
// play directly, English texts).
//
// The key names and their defaults are not the player's: they are the option records of the
// system settings (EdSystem.vecOptions), which the editor writes into data\System.dat, so the
// project decides how the keys are spelled. Option i describes setting i of the table below.
//
// The file is read byte by byte: a line is a key, "=", a value that ends at a space, tab, "/",
// line feed or NUL byte, and the rest of the line, which is read as a further key (so a value
// followed by a comment after a space or "/" reads correctly). Spaces, tabs and carriage
// returns inside a key are dropped; a carriage return inside a value stays part of it. The
// line "Exit" or a NUL byte anywhere in a key (the key it interrupts is dropped) ends the
// file; a file that ends before either is a failed read. Keys and values of any length are
// read whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/checked_vector.h"

class cEdSystemSubD;

struct cSystemIni {
    std::int32_t Direct3D = 0;    // 0 DirectDraw, 1 Direct3D, 2 or more: ask with the start dialog
    std::int32_t WindowMode = 0;  // 0 full screen, 1 window, 2 window with a sizing border
    std::int32_t Bpp = 0;         // colour depth; 0 chooses automatically
    std::int32_t VSync = 0;       // 0 off, 1 on, 2 or more automatic
    std::int32_t D3D_FontCache = 0;  // glyph-cache mode of fonts that ask for the setting
    std::int32_t DD_FontCache = 0;
    std::int32_t DD_VideoStretch = 0;  // stretched blits may use the video-memory copies
    std::int32_t ShowFps = 0;          // the frame-rate display
    std::int32_t English = 0;          // English captions in the dialogs
    // The stage file to play directly at start; "" for none. Never longer than
    // kFreeStageMaxLength: a longer value is refused whole rather than cut, since a cut
    // path could name another file.
    std::string FreeStage;
};

extern cSystemIni SystemIni;

inline constexpr char kSystemIniPath[] = "System.ini";
inline constexpr std::size_t kFreeStageMaxLength = 259;
// After this many lines the file counts as read.
inline constexpr int kSystemIniMaxLines = 10000;

// Settings 0 to 7 from the options' numeric defaults, FreeStage from option 8's text default
// ("" when it is longer than kFreeStageMaxLength), English 0. A list with fewer than nine
// options takes the checked-access failure (log line, close request) for the missing ones.
void SetSystemIniDefaults(cSystemIni& settings, const CheckedVector<cEdSystemSubD>& options);
// 1 when the file was read to its end line (or NUL byte), 0 when it could not be opened or
// ended before. Settings whose key does not occur keep their values; on 0 some may already
// have been changed.
int ReadSystemIni(std::string_view path, cSystemIni& settings,
                  const CheckedVector<cEdSystemSubD>& options);
// The same over an open file, which the caller closes.
int ReadSystemIniFrom(std::FILE* file, cSystemIni& settings,
                      const CheckedVector<cEdSystemSubD>& options);
// Start-up: the defaults of EdSystem's options, then System.ini over them; when the file
// cannot be read, the box "System.ini の読み込みに失敗しました！" and the defaults again, so
// nothing of a partial read stays. The result of the read.
int LoadSystemIni();

// atoi as the settings use it: leading white space, a sign, digits; anything after the digits
// (a carriage return) is ignored, a value without digits is 0, and values beyond the 32-bit
// range are held at its ends.
std::int32_t SettingToInt(std::string_view value);
