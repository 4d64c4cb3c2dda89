// The one mixer: every voice (sound-effect buffers, the Ogg player, the MIDI synthesiser) is
// an AudioSource that adds its frames into 32-bit accumulators, 44100 Hz stereo; the sum is
// saturated to signed 16 bits.
//
// The output is the SDL audio device, which pulls blocks on its own thread, or the null
// device (headless, or when no sound device opens), which mixes on the game clock: the frames
// up to the current time are mixed whenever the clock moves and before any voice changes, so a
// voice started at game time t begins at frame (t - open time) × 44100 / 1000 ms, and the
// output depends only on the clock and the requests. K4_AUDIO_OUT writes every mixed frame to
// a WAV file (44100 Hz, 16-bit stereo) on either device.
//
// One lock, AudioMutex(), guards the source list and the state of every voice of this layer:
// the mixer holds it while it calls the sources, so a voice's MixInto reads its state without
// a lock of its own, and a state change (taking the lock and calling CatchUpAudioLocked first)
// takes effect at a frame boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/audio_source.h"

namespace plat {

inline constexpr int kMixRate = 44100;

enum class AudioDevice { Closed, Sdl, Null };

// Opens the output when it is closed (an open one stays as it is); never fails: without a
// sound device (or headless) the null device. *what says which device opened and why.
AudioDevice OpenAudio(std::string* what = nullptr);
// Mixes what is due, finishes the K4_AUDIO_OUT file and closes the device. Sources stay
// registered.
void CloseAudio();
AudioDevice CurrentAudioDevice();

std::mutex& AudioMutex();
// Null device: mixes every frame up to the current time. Nothing on the SDL device or when
// closed. The caller holds AudioMutex().
void CatchUpAudioLocked();
void CatchUpAudio();
// The frames mixed since the device opened.
std::uint64_t MixedAudioFrames();

// Mixes `frames` frames of every source into `out` (interleaved left, right) without a
// device: tests and benchmarks. Takes the lock.
void MixAudioFrames(std::int16_t* out, std::size_t frames);

// The saturation of a mixed sum to 16 bits.
inline std::int16_t SaturateSample(std::int32_t sum) {
    return static_cast<std::int16_t>(sum > 32767 ? 32767 : sum < -32768 ? -32768 : sum);
}

// Volume in hundredths of a decibel (-10000 silence ... 0 full) as a gain in 1/65536:
// round(65536 × 10^(v / 2000)), 0 at -10000 and below, 65536 at 0 and above.
std::int32_t VolumeToGain(std::int32_t hundredthsDb);

// K4_QUIT_AFTER's last frame has been presented: the null device mixes up to now and no
// further, so a run's K4_AUDIO_OUT file ends at a point of game time however long the
// shut-down takes.
void EndAudioAtQuit();

}  // namespace plat
