#include "gen/project.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "gen/bmp_writer.h"
#include "gen/sample_images.h"
#include "gen/sample_music.h"
#include "gen/sample_records.h"
#include "gen/sample_sounds.h"

namespace gen {

namespace {

bool Fail(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

// The player's settings for the sample game: the start dialog asks for the drawing mode
// (Direct3D=2), in a window at the desktop's depth, glyph caches as the kit sets them, the
// frame rate in its box.
bool WriteSystemIni(const std::string& path) {
    const std::string text =
        "Direct3D=2\r\nWindowMode=1\r\nBpp=0\r\nVSync=1\r\nD3D_FontCache=0\r\n"
        "DD_FontCache=1\r\nDD_VideoStretch=0\r\nShowFps=1\r\nEnglish=0\r\n"
        "Exit\r\n";
    return WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
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
    if (!WriteProjectRecords(root + "default/", options.textMenu))
        return Fail(error, "cannot write the project records under " + root + "default/");
    if (options.data && !WriteProjectRecords(root + "data/", options.textMenu))
        return Fail(error, "cannot write the project records under " + root + "data/");
    if (!WriteSampleImages(root) || !WriteHbtTables(root))
        return Fail(error, "cannot write the images under " + root + "bmp/");
    if (!WriteSampleMusic(root))
        return Fail(error, "cannot write the music under " + root + "bgm/");
    if (!WriteSystemIni(root + "System.ini"))
        return Fail(error, "cannot write " + root + "System.ini");
    if (!WriteSampleSounds(root))
        return Fail(error, "cannot write the sounds under " + root + "se/ and bgm/");
    return true;
}

}  // namespace gen
