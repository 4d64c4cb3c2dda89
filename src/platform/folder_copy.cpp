// The folder copy walks host paths below the two mapped roots: the names it reads from the
// disk are already host names. Every folder is opened once and checked by device and inode
// before it is listed, so a folder mounted inside itself, or one the copy made, cannot make
// the walk endless.
#include "platform/folder_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/host_path.h"
#include "platform/seams.h"

namespace plat {
namespace {

// Folder nesting deeper than this ends the copy.
constexpr int kMaxCopyDepth = 64;
constexpr std::size_t kCopyChunk = 64 * 1024;

using FolderId = std::pair<dev_t, ino_t>;

struct CopyState {
    const char* failStep = nullptr;
    std::vector<FolderId> ancestors;    // the source folders being copied, outermost first
    std::vector<FolderId> madeFolders;  // every folder the copy made, `to` included
    std::vector<char> buffer = std::vector<char>(kCopyChunk);
    std::vector<FolderCopyNote> notes;
};

bool Contains(const std::vector<FolderId>& ids, const FolderId& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

void NoteMadeFolder(const std::string& path, CopyState& state) {
    struct stat made;
    if (stat(path.c_str(), &made) == 0) state.madeFolders.emplace_back(made.st_dev, made.st_ino);
}

bool CopyBytes(int in, int out, std::vector<char>& buffer) {
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
    }
}

bool FailsHere(const std::string& name, const CopyState& state) {
    return state.failStep && FailStep((std::string(state.failStep) + " " + name).c_str());
}

// `name` is the file's own name, for the fail step.
bool CopyFile(const std::string& from, const std::string& to, const std::string& name,
              CopyState& state) {
    // O_NOFOLLOW: a link put in the file's place after the folder was listed is not read.
    const int in = open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) return false;
    struct stat info;
    if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(in);
        return false;
    }
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = !FailsHere(name, state) && CopyBytes(in, out, state.buffer);
    close(in);
    if (close(out) != 0) ok = false;
    return ok;
}

// The names in the open folder `fd` (which it closes), sorted so that every run copies in
// the same order; false when it cannot be read.
bool ListNames(int fd, std::vector<std::string>& names) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

// Opens the source folder `from` and lists it; false, with a note where the reason is the
// copy's own, when it must not or cannot be copied.
bool ReadSourceFolder(const std::string& from, int depth, bool followFrom, CopyState& state,
                      FolderId& id, std::vector<std::string>& names) {
    if (depth > kMaxCopyDepth) {
        state.notes.push_back({FolderCopyNote::kNestedTooDeep, from});
        return false;
    }
    const int fd =
        open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followFrom ? 0 : O_NOFOLLOW));
    if (fd < 0) return false;
    struct stat source;
    if (fstat(fd, &source) != 0) {
        close(fd);
        return false;
    }
    id = FolderId{source.st_dev, source.st_ino};
    if (Contains(state.ancestors, id) || Contains(state.madeFolders, id)) {
        state.notes.push_back({FolderCopyNote::kLeadsBack, from});
        close(fd);
        return false;
    }
    return ListNames(fd, names);
}

bool CopyContents(const std::string& from, const std::string& to, int depth, bool followFrom,
                  CopyState& state);

bool CopyEntry(const std::string& from, const std::string& to, const std::string& name, int depth,
               CopyState& state) {
    const std::string child = from + "/" + name;
    const std::string target = to + "/" + name;
    struct stat info;
    if (lstat(child.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) {
        state.notes.push_back({FolderCopyNote::kSymbolicLink, child});
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        if (mkdir(target.c_str(), 0777) != 0) return false;
        NoteMadeFolder(target, state);
        return CopyContents(child, target, depth + 1, false, state);
    }
    if (S_ISREG(info.st_mode)) return CopyFile(child, target, name, state);
    state.notes.push_back({FolderCopyNote::kNotFileOrFolder, child});
    return true;
}

bool CopyContents(const std::string& from, const std::string& to, int depth, bool followFrom,
                  CopyState& state) {
    FolderId id;
    std::vector<std::string> names;
    if (!ReadSourceFolder(from, depth, followFrom, state, id, names)) return false;
    state.ancestors.push_back(id);
    bool ok = true;
    for (const std::string& name : names) {
        ok = CopyEntry(from, to, name, depth, state);
        if (!ok) break;
    }
    state.ancestors.pop_back();
    return ok;
}

}  // namespace

FolderCopy CopyFolderContents(std::string_view from, std::string_view to, const char* failStep) {
    const std::string source = MapPath(from);
    const std::string target = MapPath(to);
    CopyState state;
    state.failStep = failStep;
    NoteMadeFolder(target, state);
    FolderCopy copy;
    copy.ok = CopyContents(source, target, 0, true, state);
    copy.notes = std::move(state.notes);
    // The copy went round the mapper, whose listings of the folders it filled may be stale.
    ClearPathCache();
    return copy;
}

}  // namespace plat
