// Paths stay in Windows form inside the program (CP932 bytes, '\' separators), as the
// data stores them. This mapper turns them into host paths at the OS edge: CP932 to UTF-8
// first (a trail byte may be 0x5C), then '\' to '/', then each component is matched
// against the directory, the exact case first and any case after (projects made on
// Windows mix case). Files the program creates get the exact name it asked for.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace plat {

// The host path for a program path. Components that exist in another case are replaced
// by the existing name; the first missing component and those after it keep their spelling.
std::string MapPath(std::string_view path);

// File operations on program paths; each keeps the mapper's directory cache current.
std::FILE* FileOpen(std::string_view path, const char* mode);
bool FileExists(std::string_view path);       // a file or a folder
bool IsDirectory(std::string_view path);
bool IsRegularFile(std::string_view path);    // not a folder, pipe or device
bool CreateDirectory(std::string_view path);  // one level; false when it exists or fails
bool DeleteFile(std::string_view path);
bool MoveFile(std::string_view from, std::string_view to);  // replaces an existing target

// Folder operations for a copy that must appear whole or not at all.
// Makes a new folder named `stem` and six random letters or digits; its program path, or
// "" when none could be made. Only its owner may use it until its permissions are set.
std::string CreateUniqueDirectory(std::string_view stem);
// Gives `to` the permission bits of `from`.
bool CopyPermissions(std::string_view from, std::string_view to);
// Renames a file or folder to a name that must not exist: nothing there is ever replaced,
// not even an empty folder.
bool MoveFileNoReplace(std::string_view from, std::string_view to);
// Removes a folder and all it holds, the folder itself even when it is read-only. Symbolic
// links inside are removed, not followed.
bool RemoveDirectoryTree(std::string_view path);

// The current folder (host form).
std::string CurrentDirectory();
// Forgets every cached listing (tests that change folders behind the program's back).
void ClearPathCache();

}  // namespace plat
