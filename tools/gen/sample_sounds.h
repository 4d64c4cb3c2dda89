// The sample game's sounds and music: a WAVE file for each of the 17 system sounds and for
// the hero's jump (sound record 4), and the stage tune as Ogg Vorbis (music record 2). The
// title tune, music record 1, is the MIDI file "bgm\title.mid".
//
// The system sounds are short tones in several WAVE formats (8-bit mono at 22050 Hz, 16-bit
// stereo at 44100 Hz, ...), so the mixer's conversions are heard; the jump is 16-bit mono at
// 44100 Hz, which the mixer plays sample for sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

inline constexpr int kSampleSystemSounds = 17;
// The project-relative names, as the records hold them.
std::string SystemSoundFile(int n);  // "se\sysNN.wav"
inline constexpr char kJumpSoundFile[] = "se\\jump.wav";
inline constexpr char kTitleMusicFile[] = "bgm\\title.mid";
inline constexpr char kStageMusicFile[] = "bgm\\stage.ogg";
// Music records of the sample database.
inline constexpr int kTitleMusic = 1;
inline constexpr int kStageMusic = 2;
// Sound records: 1 to 3 are the items' sounds of the hits stage.
inline constexpr int kJumpSound = 4;

// A PCM WAVE file of the given samples (interleaved; 8-bit samples are unsigned).
std::vector<std::uint8_t> WaveFileBytes(int rate, int bits, int channels,
                                        const std::vector<std::int32_t>& samples);
// The sample files as written (tests compare the mix with them).
std::vector<std::uint8_t> SystemSoundBytes(int n);
std::vector<std::uint8_t> JumpSoundBytes();
// An Ogg Vorbis file of `seconds` of a tune at `rate` Hz, mono, with a fixed stream serial:
// the same bytes every run.
std::vector<std::uint8_t> OggTuneBytes(int rate, double seconds);

// Writes se/*.wav and bgm/stage.ogg under `root` (a host path ending in a separator).
bool WriteSampleSounds(const std::string& root);

}  // namespace gen
