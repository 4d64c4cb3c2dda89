// Copying what one folder holds into another, for a copy that must come out whole: the
// walk stops at the first entry it cannot copy, and what it passed over or stopped at is
// handed back for the caller to report.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct FolderCopyNote {
    enum Kind {
        kNestedTooDeep,    // the copy stopped: folders inside folders past the limit
        kLeadsBack,        // the copy stopped: a folder it is copying or has made
        kSymbolicLink,     // passed over
        kNotFileOrFolder,  // passed over (a pipe or a device)
    };
    Kind kind;
    std::string hostPath;  // the entry of the source, as the host spells it
};

struct FolderCopy {
    bool ok = false;
    std::vector<FolderCopyNote> notes;  // in the order met
};

// Copies the files and folders inside `from` (program paths) into the existing folder `to`,
// in name order. Symbolic links are not followed: a link could lead out of the project, or
// back into the copy; only `from` itself may be one. Pipes and devices are passed over: they
// hold no project data, and reading one could wait forever. The copy stops, not ok, at the
// first entry it cannot copy, leaving what it made so far inside `to`.
// With `failStep`, K4_FAIL="failStep NAME" fails the copy at the file NAME (host spelling).
FolderCopy CopyFolderContents(std::string_view from, std::string_view to,
                              const char* failStep = nullptr);

}  // namespace plat
