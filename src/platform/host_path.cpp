// Program paths to host paths. Game data made on Windows names its files in any case
// ("BMP\Title.bmp" for bmp/title.BMP), so each component that is not found as spelled is
// looked up without regard to ASCII case in a listing of its folder. Listings are cached
// per folder (by device and inode, so relative and absolute spellings share one and a
// change of the current folder cannot mix two up) and trusted while the folder's
// modification time is unchanged; the program's own creates, renames and removes drop the
// listing of the folder they touch, because a change inside one timestamp tick would not
// move the time.
#include "platform/host_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/cp932.h"

namespace plat {
namespace {

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct FolderKey {
    dev_t device;
    ino_t inode;
    bool operator<(const FolderKey& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

struct Listing {
    timespec modified{};
    timespec listedAt{};
    // Folded name -> names in the folder that fold to it, sorted, so that the choice among
    // names differing only in case is the same on every run.
    std::map<std::string, std::vector<std::string>> names;
};

// Timestamps on some file systems (FAT on removable media) step by two seconds. A listing
// read that soon after the folder's last change may have missed a change that left the
// time as it was, so a miss in such a listing reads the folder again.
constexpr std::int64_t kRacyWindowNs = 2'000'000'000;

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

bool EntryExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

std::optional<Listing> ReadListing(const std::string& folder, const struct stat& info) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return std::nullopt;
    Listing listing;
    listing.modified = info.st_mtim;
    clock_gettime(CLOCK_REALTIME, &listing.listedAt);
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        listing.names[FoldCase(name)].emplace_back(name);
    }
    closedir(dir);
    for (auto& [folded, spellings] : listing.names) std::sort(spellings.begin(), spellings.end());
    return listing;
}

class FolderCache {
public:
    // The existing name in `folder` that equals `name` but for ASCII case.
    std::optional<std::string> Find(const std::string& folder, std::string_view name) {
        struct stat info;
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
        const FolderKey key{info.st_dev, info.st_ino};
        const std::string folded = FoldCase(name);

        std::uint64_t generation;
        std::optional<std::string> cached;
        {
            std::lock_guard lock(mutex_);
            generation = generation_;
            auto it = folders_.find(key);
            if (it != folders_.end() && SameTime(it->second.modified, info.st_mtim)) {
                cached = Lookup(it->second, folded);
                const bool racy =
                    Nanoseconds(it->second.listedAt) - Nanoseconds(it->second.modified) <
                    kRacyWindowNs;
                if (!racy) return cached;
            }
        }
        // A racy listing is believed only when what it names is still there.
        if (cached && EntryExists(Join(folder, *cached))) return cached;

        // Read outside the lock; a listing read while the program changed the folder is
        // not kept, as it may predate the change.
        std::optional<Listing> listing = ReadListing(folder, info);
        if (!listing) return std::nullopt;
        std::optional<std::string> found = Lookup(*listing, folded);
        std::lock_guard lock(mutex_);
        if (generation == generation_) folders_[key] = std::move(*listing);
        return found;
    }

    void Forget(const std::string& folder) {
        struct stat info;
        const bool found = stat(folder.c_str(), &info) == 0;
        std::lock_guard lock(mutex_);
        ++generation_;
        if (found) folders_.erase(FolderKey{info.st_dev, info.st_ino});
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        ++generation_;
        folders_.clear();
    }

private:
    static std::optional<std::string> Lookup(const Listing& listing, const std::string& folded) {
        auto it = listing.names.find(folded);
        if (it == listing.names.end() || it->second.empty()) return std::nullopt;
        return it->second.front();
    }

    std::mutex mutex_;
    std::uint64_t generation_ = 0;
    std::map<FolderKey, Listing> folders_;
};

FolderCache& Cache() {
    static FolderCache cache;
    return cache;
}

// The folder holding the last component of a host path, in a form stat accepts.
std::string ParentFolder(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    const std::size_t slash = path.rfind('/', end - 1);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Where the last component of a path begins (trailing separators are not part of it).
std::size_t LastComponentStart(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// fopen's modes without the Windows run-time's extras: 't' (text), 'c'/'n' (commit) and
// ",ccs=..." mean nothing here.
std::optional<std::string> HostMode(const char* mode) {
    if (!mode) return std::nullopt;
    std::string host;
    for (const char* p = mode; *p && *p != ','; ++p) {
        if (*p == 'r' || *p == 'w' || *p == 'a' || *p == '+' || *p == 'b' || *p == 'x') host += *p;
    }
    if (host.empty() || (host[0] != 'r' && host[0] != 'w' && host[0] != 'a')) return std::nullopt;
    return host;
}

// Renames to a name that must not exist, on any file system.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: look first. rename itself never replaces
    // a file by a folder, nor a folder that holds anything.
    struct stat existing;
    if (lstat(to.c_str(), &existing) == 0 || errno != ENOENT) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::string MapPath(std::string_view path) {
    // The program's strings end at their first zero byte, as the Windows calls read them.
    path = path.substr(0, path.find('\0'));
    std::string host = Cp932ToUtf8(path);
    for (char& c : host) {
        if (c == '\\') c = '/';
    }
    const bool absolute = !host.empty() && host.front() == '/';
    const bool folderForm = host.size() > 1 && host.back() == '/';

    // Windows settles "." and ".." on the text of the path before it looks at the disk
    // ("missing\..\x" is "x"), and it reads doubled separators as one; so does the mapper.
    std::vector<std::string_view> components;
    for (std::size_t pos = 0; pos <= host.size();) {
        std::size_t end = host.find('/', pos);
        if (end == std::string::npos) end = host.size();
        const std::string_view component = std::string_view(host).substr(pos, end - pos);
        pos = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (!components.empty() && components.back() != "..") {
                components.pop_back();
            } else if (!absolute) {
                components.push_back(component);  // above the current folder
            }
            continue;
        }
        components.push_back(component);
    }

    std::string out = absolute ? "/" : "";
    bool resolving = true;  // false once a component is missing: the rest keep their spelling
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string_view component = components[i];
        if (i > 0) out += '/';
        const std::size_t folderLength = out.size();
        out += component;
        if (!resolving || component == ".." || EntryExists(out)) continue;
        const std::string folder = folderLength == 0 ? "." : out.substr(0, folderLength);
        out.resize(folderLength);
        if (std::optional<std::string> existing = Cache().Find(folder, component)) {
            out += *existing;
        } else {
            out += component;
            resolving = false;
        }
    }
    if (components.empty() && !absolute && !host.empty()) return ".";
    if (folderForm && !components.empty()) out += '/';
    return out;
}

std::FILE* FileOpen(std::string_view path, const char* mode) {
    const std::optional<std::string> hostMode = HostMode(mode);
    if (!hostMode) {
        errno = EINVAL;
        return nullptr;
    }
    const std::string host = MapPath(path);
    const bool mayCreate = (*hostMode)[0] != 'r' && !EntryExists(host);
    std::FILE* file = std::fopen(host.c_str(), hostMode->c_str());
    if (file && mayCreate) Cache().Forget(ParentFolder(host));
    return file;
}

bool FileExists(std::string_view path) {
    struct stat info;
    return stat(MapPath(path).c_str(), &info) == 0;
}

bool IsDirectory(std::string_view path) {
    struct stat info;
    return stat(MapPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateDirectory(std::string_view path) {
    const std::string host = MapPath(path);
    if (mkdir(host.c_str(), 0777) != 0) return false;
    Cache().Forget(ParentFolder(host));
    return true;
}

bool DeleteFile(std::string_view path) {
    const std::string host = MapPath(path);
    struct stat info;
    // Folders are not files, as on Windows.
    if (lstat(host.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    if (unlink(host.c_str()) != 0) return false;
    Cache().Forget(ParentFolder(host));
    return true;
}

bool MoveFile(std::string_view from, std::string_view to) {
    const std::string source = MapPath(from);
    std::string target = MapPath(to);
    struct stat sourceInfo;
    struct stat targetInfo;
    if (lstat(source.c_str(), &sourceInfo) != 0) return false;
    // Renaming a file to its own name in another case: the mapper finds the file itself as
    // the target, so the last component is spelled as asked instead.
    if (lstat(target.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino) {
        std::string asked = Cp932ToUtf8(to.substr(0, to.find('\0')));
        for (char& c : asked) {
            if (c == '\\') c = '/';
        }
        const std::size_t askedStart = LastComponentStart(asked);
        const std::size_t targetStart = LastComponentStart(target);
        const std::string_view askedName = std::string_view(asked).substr(askedStart);
        const std::string_view targetName = std::string_view(target).substr(targetStart);
        if (FoldCase(askedName) == FoldCase(targetName))
            target = target.substr(0, targetStart) + std::string(askedName);
    }
    if (std::rename(source.c_str(), target.c_str()) != 0) return false;
    Cache().Forget(ParentFolder(source));
    Cache().Forget(ParentFolder(target));
    return true;
}

bool IsRegularFile(std::string_view path) {
    struct stat info;
    return stat(MapPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string CreateUniqueDirectory(std::string_view stem) {
    // mkdtemp replaces the six X's; the stem's folder is mapped, its new name spelled as asked.
    const std::size_t nameStart = stem.find_last_of("\\/") + 1;
    const std::string folder = nameStart > 0 ? MapPath(stem.substr(0, nameStart)) : std::string();
    std::string host = folder + Cp932ToUtf8(stem.substr(nameStart)) + "XXXXXX";
    if (!mkdtemp(host.data())) return std::string();
    Cache().Forget(ParentFolder(host));
    return std::string(stem) + host.substr(host.size() - 6);
}

bool CopyPermissions(std::string_view from, std::string_view to) {
    struct stat source;
    return stat(MapPath(from).c_str(), &source) == 0 &&
           chmod(MapPath(to).c_str(), source.st_mode & 0777) == 0;
}

bool MoveFileNoReplace(std::string_view from, std::string_view to) {
    const std::string source = MapPath(from);
    const std::string target = MapPath(to);
    if (!RenameNoReplace(source, target)) return false;
    Cache().Forget(ParentFolder(source));
    Cache().Forget(ParentFolder(target));
    return true;
}

bool RemoveDirectoryTree(std::string_view path) {
    const std::string host = MapPath(path);
    chmod(host.c_str(), 0700);  // writable again, so that its content can go
    std::error_code error;
    std::filesystem::remove_all(host, error);
    Cache().Forget(ParentFolder(host));
    return !error;
}

std::string CurrentDirectory() {
    std::string folder(256, '\0');
    while (getcwd(folder.data(), folder.size() + 1) == nullptr) {
        if (errno != ERANGE) return std::string();
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::char_traits<char>::length(folder.c_str()));
    return folder;
}

void ClearPathCache() {
    Cache().Clear();
}

}  // namespace plat
