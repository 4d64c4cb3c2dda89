#include "gen/project.h"

#include <filesystem>
#include <system_error>

#include "gen/sample_images.h"
#include "gen/sample_records.h"
#include "gen/sample_sounds.h"

namespace gen {

namespace {

bool Fail(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

}  // namespace

bool MakeProject(const std::string& dir, const ProjectOptions& options, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(dir, ec)) {
        if (!fs::is_directory(dir, ec)) return Fail(error, dir + " is not a folder");
        if (!fs::is_empty(dir, ec) || ec) return Fail(error, dir + " is not empty");
    }
    if (!fs::create_directories(dir, ec) && ec)
        return Fail(error, "cannot create " + dir + ": " + ec.message());

    const std::string root = (fs::path(dir) / "").string();
    if (!WriteProjectRecords(root + "default/"))
        return Fail(error, "cannot write the project records under " + root + "default/");
    if (options.data && !WriteProjectRecords(root + "data/"))
        return Fail(error, "cannot write the project records under " + root + "data/");
    if (!WriteSampleImages(root) || !WriteHbtTables(root))
        return Fail(error, "cannot write the images under " + root + "bmp/");
    if (!WriteSampleSounds(root))
        return Fail(error, "cannot write the sounds under " + root + "se/ and bgm/");
    return true;
}

}  // namespace gen
