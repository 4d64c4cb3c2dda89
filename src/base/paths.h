// Project paths and the small path functions. Paths stay in Windows form (CP932 bytes, "\"
// separators) and are relative to the current folder; the plat::File* functions map them to
// host paths when the disk is touched.
//
// Every path is at most kMaxPathLength bytes, as the project's files and the editor store
// them. A function whose result would be longer refuses (result 0, its output unchanged)
// instead of cutting it: a cut path could name another file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/messages.h"

// The longest path in bytes (a 260-byte buffer with its terminating zero).
inline constexpr std::size_t kMaxPathLength = 259;

// The project's fixed paths, in the order the data model numbers them.
inline constexpr int kDataPathCount = 48;
extern const char* const DataPathTable[kDataPathCount];

// Named entries of DataPathTable.
enum DataPathIndex : int {
    kPathData = 0,               // "data\"
    kPathDefault = 1,            // "default\"
    kPathCommonPalette = 7,      // "data\CommonPalette.cplt4"
    kPathWorldMap = 13,          // "data\WorldMap.dat"
    kPathAnimeSet = 15,          // "data\database\AnimeSet.dat"
    kPathAnime = 17,             // "data\database\Anime.dat"
    kPathCharaExc = 19,          // "data\database\Bmp_CharaExc.dat"
    kPathSwordType = 21,         // "data\database\SwordType.dat"
    kPathEffect = 23,            // "data\database\Effect.dat"
    kPathCharaEffect = 25,       // "data\database\CharaEffect.dat"
    kPathScrEffect = 27,         // "data\database\ScrEffect.dat"
    kPathPicture = 29,           // "data\database\Picture.dat"
    kPathSound = 31,             // "data\database\Sound.dat"
    kPathBgm = 33,               // "data\database\Bgm.dat"
    kPathSystem = 35,            // "data\System.dat"
    kPathStagePrefix = 37,       // "data\stg4\c"
    kPathStoryRanking = 38,      // "user_data\story\"
    kPathChallengeRanking = 39,  // "user_data\challenge\"
    kPathFreeRanking = 40,       // "user_data\free\"
    kPathStorySlotPrefix = 41,   // "user_data\story\Story"
    kPathChallenge = 42,         // "user_data\challenge\Challenge.dat"
    kPathOption = 43,            // "user_data\Option.dat"
    kPathUserData = 44,          // "user_data\"
    kPathKeyConfig = 45,         // "user_data\KeyConfig.dat"
    kPathBoot = 46,              // "user_data\Boot.dat"
    kPathWindow = 47,            // "user_data\Window.dat"
};

inline constexpr int kExtensionCount = 4;
extern const char* const ExtensionTable[kExtensionCount];
enum ExtensionIndex : int {
    kExtCommonPalette = 0,  // "cplt4"
    kExtStage = 1,          // "stg4"
    kExtPalette = 2,        // "plt4"
    kExtRanking = 3,        // "rkg"
};

// The folders made at start, parents first; the list ends with a null entry.
inline constexpr int kDataFolderCount = 22;
extern const char* const DataFolderList[kDataFolderCount + 1];

// Creates every folder of DataFolderList in order; folders that exist (or cannot be made)
// are passed over.
void CreateDataFolders();

// 1 when "data\" is a folder, or when "default\" is one and the user agreed to copy it into
// a new "data" (a box owned by `owner`) and the copy succeeded; 0 otherwise (no "default",
// refused, or failed). The copy is made in a new folder beside "data" and renamed to "data"
// once complete, so "data" never exists half-copied; a failed copy removes that folder. A
// "data" that is there already (a file, or a folder made meanwhile) is never touched.
// Symbolic links inside "default" are left out of the copy, not followed.
int CreateDefaultData(plat::HWND owner);

// Absolute paths begin with a separator ("\x") or a drive ("C:\x", "C:x": the Windows form
// the editor may store).
//
// An absolute path becomes its form relative to the current folder ("x" in it gives ".\x",
// a folder beside it "..\y\x"); a relative path is left alone. 1 on success; 0 (path
// unchanged) when the current folder cannot be read, the path names a drive (the current
// folder here has none, so no relative form exists) or the result would be too long.
int MakeRelativePath(std::string& path);
// A relative path becomes absolute against the current folder; an absolute one ("\x",
// "C:\x") is left alone. 1 on success; 0 (path unchanged) when the current folder cannot be
// read or the result would be too long.
int MakeAbsolutePath(std::string& path);

// Keeps the text after the last "\" or "/" that separates (a "\" that is the trail byte of
// a double-byte character does not); without a separator the text is unchanged.
void StripDirectory(std::string& path);

// dest := source with the text after its last "." (a folder's dot counts too) replaced by
// `extension`, or, when `extension` is null, without the dot and what follows. 1; 0 when
// the source has no dot (dest := the unchanged source) or the result would be too long
// (dest unchanged).
int ReplaceExtension(std::string& dest, std::string_view source, const char* extension);
// "name.ext" becomes "name"; 1, or 0 when there is no dot (path unchanged).
int StripExtension(std::string& path);
// dest := the text after the last dot; 1, or 0 when there is no dot (dest unchanged).
int GetExtension(std::string& dest, std::string_view path);
// dest := "name_ab.ext" for "name.ext" with the digits a and b ('0' + a, '0' + b) inserted
// at the last dot; 1, or 0 (dest unchanged) when there is no dot, the extension is longer
// than 31 bytes or the result would be too long.
int InsertNumberSuffix(std::string& dest, std::string_view source, int a, int b);

// The newest numbered version of a file: the base given `extension` ("x.stg4_003" with
// "stg4" is "x.stg4"), then "%s_%d%d%d" from 999 down to 000; the first that exists goes to
// dest. 1 when found, 0 otherwise (dest unchanged). dest and base may be the same string.
int FindLatestNumberedFile(std::string& dest, std::string_view base, const char* extension);
// In place: the path itself becomes the newest numbered version.
int FindLatestNumberedFile(std::string& path, const char* extension);
