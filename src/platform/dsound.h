// The DirectSound stand-in: a sound object, its primary buffer (whose format is kept and
// ignored: the mixer converts every buffer) and secondary buffers of PCM data that play on
// the mixer (audio_mixer.h). A duplicate shares its original's samples and has its own play
// state, position, volume, pan and frequency.
//
// A buffer plays its frames at its frequency (the format's rate unless set) by stepping a
// 32.32 fixed-point position by frequency / 44100 per output frame and taking the frame under
// it (no interpolation). Samples widen to 16 bits (8-bit data is unsigned: (s - 128) × 256);
// mono feeds both sides. Each side is (sample × gain) >> 16 with the gain of the volume plus
// that side's pan attenuation (VolumeToGain). A voice stops at the end of its data unless it
// loops.
//
// K4_FAIL steps: dsound_create, dsound_cooperative_level, dsound_primary_buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio_source.h"
#include "platform/device_object.h"
#include "platform/messages.h"
#include "platform/wave_reader.h"

namespace plat {

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);

constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr DWORD DSBCAPS_STATIC = 0x2;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x10000;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;
constexpr DWORD DSBPLAY_LOOPING = 0x1;
constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;
// The largest buffer the stand-in makes: 64 MiB.
constexpr DWORD kMaxSoundBufferBytes = 64u << 20;

struct DSBUFFERDESC {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwBufferBytes = 0;
    DWORD dwReserved = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

class IDirectSoundBuffer : public DeviceObject {
public:
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT SetCurrentPosition(DWORD bytes) = 0;
    virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2,
                         DWORD* bytes2, DWORD flags) = 0;
    virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
};

class IDirectSound : public DeviceObject {
public:
    virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) = 0;
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out,
                                      void* outer) = 0;
    virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                         IDirectSoundBuffer** out) = 0;
};

// The default device; opens the mixer's output (audio_mixer.h), which the last release of
// the sound object closes.
HRESULT DirectSoundCreate(const void* guid, IDirectSound** out, void* outer);

// The buffers alive (tests).
int LiveSoundBuffers();

}  // namespace plat
