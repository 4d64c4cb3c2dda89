// The project generator: a complete small game folder written through the record classes'
// own save code, for the sample game and for tests that need a project on disk.
//
// Everything is computed, nothing random or dated: the same call writes the same bytes.
#pragma once

#include <string>

namespace gen {

struct ProjectOptions {
    // Also write DIR/data/ (the same content as DIR/default/), as if the player had already
    // created it from default.
    bool data = false;
    // The title's menu as text rather than the pictures of bmp\GameMode.bmp.
    bool textMenu = false;
};

// Writes DIR/default/ (System.dat, database/, CommonPalette.cplt4, WorldMap.dat, stg4/),
// DIR/bmp/ (the sample images and half-mix tables), DIR/bgm/ (the music) and, with
// options.data, DIR/data/.
// `dir` is a host path; it may be missing but must not hold anything. False with a
// one-line reason in *error on any failure (a non-empty DIR writes nothing).
bool MakeProject(const std::string& dir, const ProjectOptions& options, std::string* error);

}  // namespace gen
