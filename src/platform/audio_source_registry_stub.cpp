// Stand-in for the mixer's registry of audio sources until the mixer joins this tree: the
// sources are not pulled by anyone. Delete this file when the mixer provides these two.
#include "platform/audio_source.h"

namespace plat {

void AddAudioSource(AudioSource*) {}
void RemoveAudioSource(AudioSource*) {}

}  // namespace plat
