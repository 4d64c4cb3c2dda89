#pragma once
// A voice the mixer pulls: each block it adds its frames, 44100 Hz stereo, into the
// mixer's interleaved 32-bit accumulators (left, right, left, ...), which the mixer then
// saturates to 16 bits. Called on the audio thread (or, headless, on the thread that
// advances the game clock); an implementation guards its own state.
#include <cstddef>
#include <cstdint>

namespace plat {

class AudioSource {
  public:
    virtual ~AudioSource() = default;
    virtual void MixInto(int32_t* acc, size_t frames) = 0;
};

// Registers or removes a source on the one mixer; both are safe from any thread, and after
// RemoveAudioSource returns the mixer never calls the source again.
void AddAudioSource(AudioSource* source);
void RemoveAudioSource(AudioSource* source);

} // namespace plat
