// The file choosers: open a file, or name one to save under. On a display they are GTK's
// chooser; headless the script answers (`dialog open PATH`, `dialog save PATH`, or
// `dialog open cancel`; a relative PATH is taken from the current folder), an answer of
// another kind stays queued, and no answer cancels. Paths in and out are in the program's
// Windows form (CP932, '\'); a chosen path is absolute.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plat {

constexpr std::size_t kMaxChosenPath = 259;

struct FileChooserRequest {
    bool save = false;
    std::string title;  // CP932
    // Description and patterns ("*.stg4_*;*.rpl4_*"), matched without regard to case.
    std::vector<std::pair<std::string, std::string>> filters;
    std::string initialFolder;  // Windows form; relative to the current folder, or empty
    std::string proposedName;   // save: the name offered first
};

struct FileChooserResult {
    bool chosen = false;
    bool failed = false;  // the dialog failed (a path too long for the program)
    std::string path;     // absolute, Windows form
};

FileChooserResult ChooseFile(const FileChooserRequest& request);

// The absolute Windows form of a program path (relative ones from the current folder).
std::string AbsoluteProgramPath(const std::string& path);
// Whether a file name matches one of the ';'-separated patterns, in any case.
bool MatchesFilePatterns(const std::string& name, const std::string& patterns);

}  // namespace plat
