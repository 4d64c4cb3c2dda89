// The requests that the game thread (and the pause and ranking threads) send to the main
// window, so that dialogs, sound, music and the display reset happen on the window thread.
// Every request is sent, so the sender waits until it has been served.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/messages.h"

inline constexpr std::uint32_t WM_USER_NAMEENTRY = plat::WM_USER + 1;
inline constexpr std::uint32_t WM_USER_LOADSTAGE = plat::WM_USER + 2;
inline constexpr std::uint32_t WM_USER_LOADREPLAY = plat::WM_USER + 3;
inline constexpr std::uint32_t WM_USER_SAVEREPLAY = plat::WM_USER + 4;
inline constexpr std::uint32_t WM_USER_PLAYSE = plat::WM_USER + 5;
inline constexpr std::uint32_t WM_USER_PLAYBGM = plat::WM_USER + 6;
inline constexpr std::uint32_t WM_USER_RESTORE = plat::WM_USER + 100;
inline constexpr std::uint32_t WM_USER_STAGELOADED = plat::WM_USER + 0x100;  // stage load ended

// wParam of WM_USER_PLAYBGM that plays a music record of the stage (lParam) instead of a
// scene's music (wParam 0 to 3).
inline constexpr plat::WPARAM kBgmStageMusic = 4;

// The number of the first sound of the project's sound table: the seventeen system sounds
// come first.
inline constexpr int kDataSeBase = 16;

// System sound n (0-16), played by the window thread before this returns.
void PlaySystemSe(std::int32_t n);
// Sound n of the project's sound table; nothing for 0.
void PlayDataSe(std::int16_t n);

// Completion flags of the dialog requests. The sender clears the flag, sends the request
// and polls with 1-ms sleeps until the window thread has set it to 1.
extern std::atomic<std::int32_t> bNameEntryDone;    // WM_USER_NAMEENTRY has finished
extern std::atomic<std::int32_t> bFileDialogDone;   // a LOADSTAGE, LOADREPLAY or SAVEREPLAY has finished
extern std::atomic<std::int32_t> bFileDialogResult; // 1: the last file request chose a file
