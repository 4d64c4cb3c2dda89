// The sample game's music written as files: a MIDI title tune in bgm/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

// The title tune: a Standard MIDI File (format 1, division 480; a tempo track, then melody,
// bass and drums), eight bars in C major that loop seamlessly.
std::vector<std::uint8_t> TitleTuneMidi();

// Writes DIR/bgm/title.mid. False when it cannot be written.
bool WriteSampleMusic(const std::string& dir);

}  // namespace gen
