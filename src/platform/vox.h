// The stand-in for the Ogg player library "Vox.dll": a library handle, its factory
// "CreateVox", and player objects with the operations the music manager calls, numbered as
// the library's function table numbers them:
//   0 Load(path)     the Ogg Vorbis file (a game path) is open and ready: true
//   1 Play()         plays from the start on the mixer (audio_mixer.h)
//   2 Stop()         silent from the next frame
//   3 Clear()        stops and forgets the file; called before every Load
//   4 SetLoop(n)     0x7FFFFFFF repeats endlessly, 0 plays once, n repeats n more times
//   9 Delete()       the object is gone afterwards
// The stream is resampled to 44100 Hz by stepping a 32.32 fixed-point position by
// rate / 44100 per output frame (the frame under it plays), at full volume. A loop goes on
// with the first frame right after the last one: no gap at the seam.
//
// K4_FAIL step ogg_init: the library cannot be loaded.
#pragma once

#include <cstdint>

namespace plat {

class IVox {
public:
    virtual bool Load(const char* path) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Clear() = 0;
    virtual void SetLoop(std::int32_t count) = 0;
    virtual void Delete() = 0;

protected:
    virtual ~IVox() = default;
};

inline constexpr std::int32_t kVoxLoopEndless = 0x7FFFFFFF;
// The largest Ogg file a player reads: 128 MiB.
inline constexpr std::uint64_t kMaxOggFileBytes = 128ull << 20;

struct VoxLibrary;
using VoxFactory = IVox* (*)();

// LoadLibrary("Vox.dll"); null when it cannot be loaded.
VoxLibrary* LoadVoxLibrary();
// GetProcAddress(library, "CreateVox").
VoxFactory GetVoxFactory(VoxLibrary* library);
void FreeVoxLibrary(VoxLibrary* library);

}  // namespace plat
