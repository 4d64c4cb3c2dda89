#include "base/paths.h"

#include <utility>
#include <vector>

#include "base/log.h"
#include "base/sjis.h"
#include "platform/cp932.h"
#include "platform/folder_copy.h"
#include "platform/host_path.h"
#include "platform/message_box.h"

const char* const DataPathTable[kDataPathCount] = {
    "data\\",
    "default\\",
    "data\\stg4\\old_ver\\",
    "data\\work\\",
    "e_data\\EditConfig.dat",
    "data\\PrjOption.dat",
    "default\\PrjOption.dat",
    "data\\CommonPalette.cplt4",
    "default\\CommonPalette.cplt4",
    "data\\GValInfo.dat",
    "default\\GValInfo.dat",
    "data\\stg4\\Default.stg4_***",
    "default\\stg4\\Default.stg4_***",
    "data\\WorldMap.dat",
    "default\\WorldMap.dat",
    "data\\database\\AnimeSet.dat",
    "default\\database\\AnimeSet.dat",
    "data\\database\\Anime.dat",
    "default\\database\\Anime.dat",
    "data\\database\\Bmp_CharaExc.dat",
    "default\\database\\Bmp_CharaExc.dat",
    "data\\database\\SwordType.dat",
    "default\\database\\SwordType.dat",
    "data\\database\\Effect.dat",
    "default\\database\\Effect.dat",
    "data\\database\\CharaEffect.dat",
    "default\\database\\CharaEffect.dat",
    "data\\database\\ScrEffect.dat",
    "default\\database\\ScrEffect.dat",
    "data\\database\\Picture.dat",
    "default\\database\\Picture.dat",
    "data\\database\\Sound.dat",
    "default\\database\\Sound.dat",
    "data\\database\\Bgm.dat",
    "default\\database\\Bgm.dat",
    "data\\System.dat",
    "default\\System.dat",
    "data\\stg4\\c",
    "user_data\\story\\",
    "user_data\\challenge\\",
    "user_data\\free\\",
    "user_data\\story\\Story",
    "user_data\\challenge\\Challenge.dat",
    "user_data\\Option.dat",
    "user_data\\",
    "user_data\\KeyConfig.dat",
    "user_data\\Boot.dat",
    "user_data\\Window.dat",
};

const char* const ExtensionTable[kExtensionCount] = {"cplt4", "stg4", "plt4", "rkg"};

const char* const DataFolderList[kDataFolderCount + 1] = {
    "user_data",
    "user_data\\story",
    "user_data\\challenge",
    "user_data\\free",
    "user_data\\rpl4",
    "data",
    "data\\database",
    "data\\stg4",
    "data\\stg4\\old_ver",
    "data\\work",
    "data\\plt4",
    "bmp",
    "bmp\\back",
    "bmp\\chara_sp",
    "bmp\\effect",
    "bmp\\picture",
    "bmp\\sword",
    "bmp\\convert",
    "bmp\\plt",
    "bmp\\hbt",
    "wave",
    "bgm",
    nullptr,
};

namespace {

// Paths read on this system may use "/" as well as "\"; neither can be the trail byte of a
// double-byte character that is mistaken for one, because the walks below step over whole
// characters.
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool FitsPath(std::size_t length) {
    return length <= kMaxPathLength;
}

// The components of a path, split at separators outside double-byte characters, with "."
// dropped, ".." taking the component before it away, and doubled separators read as one,
// the way Windows settles a path on its text.
std::vector<std::string> SplitComponents(std::string_view path) {
    std::vector<std::string> parts;
    const std::string text(path);  // zero-terminated, so a lead byte at the end is readable
    std::string current;
    auto finish = [&] {
        if (current.empty() || current == ".") {
        } else if (current == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(current);
        }
        current.clear();
    };
    for (std::size_t i = 0; i < text.size();) {
        if (IsSjisDoubleByte(text.c_str() + i)) {
            current.append(text, i, 2);
            i += 2;
        } else if (IsSeparator(text[i])) {
            finish();
            ++i;
        } else {
            current += text[i];
            ++i;
        }
    }
    finish();
    return parts;
}

// "C:" and the like: the drive of a Windows path. A letter is never a lead byte, so the
// colon cannot be part of a double-byte character.
bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool IsAbsolute(std::string_view path) {
    return (!path.empty() && IsSeparator(path.front())) || HasDrive(path);
}

// The current folder as a program path (CP932), or false when it cannot be read or holds
// characters that CP932 cannot spell (a program path could then not name it).
bool CurrentFolder(std::string& folder) {
    const std::string host = plat::CurrentDirectory();
    if (host.empty()) return false;
    std::string cp932 = plat::Utf8ToCp932(host);
    if (plat::Cp932ToUtf8(cp932) != host) return false;
    folder = std::move(cp932);
    return true;
}

bool SameComponent(const std::string& a, const std::string& b) {
    // The case-blind comparison of Windows file names (ASCII letters only, as the host
    // mapper matches them).
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The position of the last "." of a path, or npos.
std::size_t LastDot(std::string_view text) {
    // A dot (0x2E) is never the trail byte of a double-byte character.
    return text.rfind('.');
}

// What the walk of "default" passed over or stopped at, as the report log words it.
const char* CopyNoteText(plat::FolderCopyNote::Kind kind) {
    switch (kind) {
        case plat::FolderCopyNote::kNestedTooDeep:
            return "folders nested too deep";
        case plat::FolderCopyNote::kLeadsBack:
            return "a folder that leads back into the copy";
        case plat::FolderCopyNote::kSymbolicLink:
            return "a symbolic link, not copied";
        case plat::FolderCopyNote::kNotFileOrFolder:
            return "not a file or folder, not copied";
    }
    return "";
}

// Copies "default" into the new folder `temp` and gives it the permissions of "default".
bool CopyDefaultInto(const std::string& temp) {
    const plat::FolderCopy copy = plat::CopyFolderContents("default", temp, "default_copy");
    for (const plat::FolderCopyNote& note : copy.notes)
        ReportLog("%s : %s", note.hostPath.c_str(), CopyNoteText(note.kind));
    // The new folder was made for its owner only; "data" gets the permissions of "default".
    return copy.ok && plat::CopyPermissions("default", temp);
}

}  // namespace

void CreateDataFolders() {
    for (const char* const* folder = DataFolderList; *folder; ++folder) {
        plat::CreateDirectory(*folder);
    }
}

int CreateDefaultData(plat::HWND owner) {
    if (plat::IsDirectory(DataPathTable[kPathData])) return 1;
    if (!plat::IsDirectory(DataPathTable[kPathDefault])) return 0;
    const int answer =
        plat::MessageBox(owner, "データが存在しません！デフォルトデータを作成しますか？\n",
                         "デフォルトデータ作成の確認", plat::MB_YESNO);
    if (answer != plat::IDYES) return 0;

    // The copy goes into a fresh folder beside "data" and becomes "data" only when it is
    // complete: a failure then takes away that one folder, which holds nothing but the copy.
    // A "data" that appeared meanwhile is left as it is, and the copy fails.
    const std::string temp = plat::CreateUniqueDirectory("data.k4tmp-");
    if (temp.empty()) {
        ReportLog("default -> data : no folder for the copy could be made");
        return 0;
    }
    const bool ok = CopyDefaultInto(temp) && plat::MoveFileNoReplace(temp, "data");
    if (!ok) {
        ReportLog("default -> data : the copy failed and is removed");
        plat::RemoveDirectoryTree(temp);
    }
    return ok ? 1 : 0;
}

int MakeRelativePath(std::string& path) {
    if (!IsAbsolute(path)) return 1;
    // The current folder has no drive: no relative form leads onto one.
    if (HasDrive(path)) return 0;
    std::string folder;
    if (!CurrentFolder(folder)) return 0;
    const std::vector<std::string> base = SplitComponents(folder);
    const std::vector<std::string> target = SplitComponents(path);

    std::size_t common = 0;
    while (common < base.size() && common < target.size() &&
           SameComponent(base[common], target[common])) {
        ++common;
    }
    // The path as a file: when it names the current folder itself, its last component is
    // the file, reached from the parent.
    if (common == target.size() && common > 0) --common;

    std::string relative;
    if (common == base.size()) {
        relative = ".";
    } else {
        for (std::size_t i = common; i < base.size(); ++i) {
            if (!relative.empty()) relative += '\\';
            relative += "..";
        }
    }
    for (std::size_t i = common; i < target.size(); ++i) {
        relative += '\\';
        relative += target[i];
    }
    // A path that names a folder keeps its closing separator.
    if (IsSeparator(path.back()) && relative.back() != '\\') relative += '\\';
    if (!FitsPath(relative.size())) return 0;
    path = std::move(relative);
    return 1;
}

int MakeAbsolutePath(std::string& path) {
    if (IsAbsolute(path)) return 1;
    std::string folder;
    if (!CurrentFolder(folder)) return 0;
    const std::vector<std::string> parts = SplitComponents(folder + "\\" + path);
    std::string absolute;
    for (const std::string& part : parts) {
        absolute += '\\';
        absolute += part;
    }
    if (absolute.empty()) absolute = "\\";
    // A path that names a folder keeps its closing separator.
    if (!path.empty() && IsSeparator(path.back()) && absolute.back() != '\\') absolute += '\\';
    if (!FitsPath(absolute.size())) return 0;
    path = std::move(absolute);
    return 1;
}

void StripDirectory(std::string& path) {
    std::size_t start = 0;
    const char* text = path.c_str();
    for (std::size_t i = 0; i < path.size();) {
        if (IsSjisDoubleByte(text + i)) {
            i += 2;
            continue;
        }
        if (IsSeparator(text[i])) start = i + 1;
        ++i;
    }
    if (start > 0) path.erase(0, start);
}

int ReplaceExtension(std::string& dest, std::string_view source, const char* extension) {
    const std::size_t dot = LastDot(source);
    std::string result(source);
    if (dot != std::string_view::npos) {
        result.resize(extension ? dot + 1 : dot);
        if (extension) result += extension;
    }
    if (!FitsPath(result.size())) return 0;
    dest = std::move(result);
    return dot != std::string_view::npos ? 1 : 0;
}

int StripExtension(std::string& path) {
    const std::size_t dot = LastDot(path);
    if (dot == std::string::npos) return 0;
    path.resize(dot);
    return 1;
}

int GetExtension(std::string& dest, std::string_view path) {
    const std::size_t dot = LastDot(path);
    if (dot == std::string_view::npos) return 0;
    dest = std::string(path.substr(dot + 1));
    return 1;
}

int InsertNumberSuffix(std::string& dest, std::string_view source, int a, int b) {
    constexpr std::size_t kMaxExtension = 31;
    const std::size_t dot = LastDot(source);
    if (dot == std::string_view::npos) return 0;
    const std::string_view extension = source.substr(dot + 1);
    if (extension.size() > kMaxExtension) return 0;
    std::string result(source.substr(0, dot));
    result += '_';
    result += static_cast<char>('0' + a);
    result += static_cast<char>('0' + b);
    result += '.';
    result += extension;
    if (!FitsPath(result.size())) return 0;
    dest = std::move(result);
    return 1;
}

int FindLatestNumberedFile(std::string& dest, std::string_view base, const char* extension) {
    std::string work;
    // Without a dot the base is searched as it is.
    if (!ReplaceExtension(work, base, extension) && work != base) return 0;
    constexpr std::size_t kSuffix = 4;  // "_" and three digits
    if (!FitsPath(work.size() + kSuffix)) return 0;
    const std::size_t stem = work.size();
    work += "_000";
    for (int n = 999; n >= 0; --n) {
        work[stem + 1] = static_cast<char>('0' + n / 100);
        work[stem + 2] = static_cast<char>('0' + n / 10 % 10);
        work[stem + 3] = static_cast<char>('0' + n % 10);
        if (plat::FileExists(work)) {
            dest = std::move(work);
            return 1;
        }
    }
    return 0;
}

int FindLatestNumberedFile(std::string& path, const char* extension) {
    return FindLatestNumberedFile(path, std::string_view(path), extension);
}
