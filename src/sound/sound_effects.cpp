#include "sound/sound_effects.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "base/log.h"
#include "platform/audio_mixer.h"
#include "platform/host_path.h"
#include "platform/wave_reader.h"

CheckedVector<DSSOUNDDATA> DSSoundData;
CheckedVector<DSSOUNDDEF> SoundFileList;

namespace {

// The largest WAVE file read: its samples must fit a buffer, plus room for the chunks.
constexpr std::uint64_t kMaxWaveFileBytes = std::uint64_t{plat::kMaxSoundBufferBytes} + 65536;

plat::IDirectSound* lpDS = nullptr;
plat::IDirectSoundBuffer* lpDSPrimary = nullptr;
plat::HWND hWndSound = nullptr;
CheckedVector<DSSOUNDDATA>* lpSoundData = nullptr;
CheckedVector<DSSOUNDDEF>* lpSoundDefs = nullptr;

// Guards the slot records and the module's pointers; taken before any buffer call (which
// takes the mixer's lock), never inside one.
std::recursive_mutex& SlotMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

void CopyName(char (&dest)[260], const char* source) {
    std::snprintf(dest, sizeof dest, "%s", source ? source : "");
}

}  // namespace

bool DS_Init(plat::HWND hwnd, int rate, int bits, int channels) {
    std::lock_guard lock(SlotMutex());
    if (plat::FAILED(plat::DirectSoundCreate(nullptr, &lpDS, nullptr))) {
        ErrorLog("DIRECTSOUNDCREATE_ERR!");
        return false;
    }
    std::string device;
    plat::OpenAudio(&device);
    ReportLog("Sound : %s", device.c_str());
    if (plat::FAILED(lpDS->SetCooperativeLevel(hwnd, plat::DSSCL_PRIORITY))) {
        ErrorLog("SETCOOPERATIVELEVEL_ERR!");
        return false;
    }
    plat::DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = plat::DSBCAPS_PRIMARYBUFFER | plat::DSBCAPS_CTRLPAN | plat::DSBCAPS_CTRLVOLUME;
    if (plat::FAILED(lpDS->CreateSoundBuffer(&desc, &lpDSPrimary, nullptr))) {
        ErrorLog("CREATESOUNDBUFFER_ERR!");
        return false;
    }
    plat::WAVEFORMATEX format;
    format.wFormatTag = plat::WAVE_FORMAT_PCM;
    format.nChannels = static_cast<std::uint16_t>(channels);
    format.nSamplesPerSec = static_cast<std::uint32_t>(rate);
    format.nBlockAlign = static_cast<std::uint16_t>(bits / 8 * channels);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = static_cast<std::uint16_t>(bits);
    format.cbSize = 18;
    // Kept and ignored: the mixer converts every buffer.
    lpDSPrimary->SetFormat(&format);
    hWndSound = hwnd;
    lpSoundData = nullptr;
    lpSoundDefs = nullptr;
    return true;
}

bool DS_Initialised() {
    std::lock_guard lock(SlotMutex());
    return lpDS != nullptr;
}

void DS_UnInit() {
    std::lock_guard lock(SlotMutex());
    if (lpSoundData) {
        for (unsigned i = 0; i < lpSoundData->Size(); ++i)
            DS_ReleaseSoundEffect((*lpSoundData)[static_cast<int>(i)]);
    }
    lpSoundData = nullptr;
    lpSoundDefs = nullptr;
    if (lpDSPrimary) lpDSPrimary->Release();
    lpDSPrimary = nullptr;
    if (lpDS) lpDS->Release();
    lpDS = nullptr;
    hWndSound = nullptr;
}

int DS_LoadSoundEffects(CheckedVector<DSSOUNDDATA>& data, CheckedVector<DSSOUNDDEF>& defs,
                        std::int32_t volume) {
    std::lock_guard lock(SlotMutex());
    lpSoundData = &data;
    lpSoundDefs = &defs;
    for (unsigned u = 0; u < data.Size(); ++u) {
        const int i = static_cast<int>(u);
        if (data[i].lpBuffers) continue;
        const DSSOUNDDEF& def = defs[i];
        DS_CreateSoundEffect(data[i], def.szFileName, def.nCopies,
                             volume != 0 ? volume : def.nVolume);
    }
    return 1;
}

bool DS_CreateSoundEffect(DSSOUNDDATA& slot, const char* file, int copies, std::int32_t volume) {
    std::lock_guard lock(SlotMutex());
    if (!lpDS) return true;
    slot = DSSOUNDDATA{};
    // A definition without copies (a system sound the list does not name) defines no sound.
    if (copies < 1) return false;
    slot.lpBuffers = new (std::nothrow) plat::IDirectSoundBuffer*[copies]();
    if (!slot.lpBuffers) {
        ErrorLog("%sのメモリ確保失敗！", file);
        return false;
    }
    if (!DS_CreateStaticBuffer(&slot.lpBuffers[0], file)) {
        // Left without buffers: playing it does nothing.
        delete[] slot.lpBuffers;
        slot.lpBuffers = nullptr;
        return false;
    }
    for (int i = 1; i < copies; ++i) {
        if (!DS_DuplicateBuffer(&slot.lpBuffers[i], slot.lpBuffers[0])) {
            ErrorLog("%sのメモリ共用バッファの生成失敗！", file);
            slot.nCount = i;
            DS_ReleaseSoundEffect(slot);
            return false;
        }
    }
    slot.nCount = copies;
    CopyName(slot.szFileName, file);
    if (volume != 0)
        for (int j = 0; j < copies; ++j) DS_SetVolume(slot, j, volume, 0);
    return true;
}

void DS_ReleaseSoundEffect(DSSOUNDDATA& slot) {
    std::lock_guard lock(SlotMutex());
    if (!slot.lpBuffers) return;
    for (int i = slot.nCount - 1; i >= 1; --i)
        if (slot.lpBuffers[i]) slot.lpBuffers[i]->Release();
    if (slot.lpBuffers[0]) slot.lpBuffers[0]->Release();
    delete[] slot.lpBuffers;
    slot.lpBuffers = nullptr;
    slot.nCount = 0;
    slot.nNext = 0;
}

bool DS_CreateStaticBuffer(plat::IDirectSoundBuffer** out, const char* file) {
    std::lock_guard lock(SlotMutex());
    *out = nullptr;
    if (!lpDS) return true;
    DSWAVE wave;
    if (!DS_LoadWave(file, wave)) {
        ErrorLog("%s読み込み失敗！", file);
        return false;
    }
    plat::DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = plat::DSBCAPS_STATIC | plat::DSBCAPS_CTRLFREQUENCY | plat::DSBCAPS_CTRLPAN |
                   plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = wave.dwSize;
    desc.lpwfxFormat = &wave.wfx;
    if (plat::FAILED(lpDS->CreateSoundBuffer(&desc, out, nullptr))) {
        ErrorLog("%s生成失敗！", file);
        DS_FreeWave(wave);
        return false;
    }
    void* part = nullptr;
    plat::DWORD bytes = 0;
    if (plat::SUCCEEDED(
            (*out)->Lock(0, 0, &part, &bytes, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER))) {
        std::memcpy(part, wave.lpData, bytes < wave.dwSize ? bytes : wave.dwSize);
        (*out)->Unlock(part, bytes, nullptr, 0);
    }
    DS_FreeWave(wave);
    return true;
}

bool DS_DuplicateBuffer(plat::IDirectSoundBuffer** out, plat::IDirectSoundBuffer* source) {
    std::lock_guard lock(SlotMutex());
    *out = nullptr;
    if (!lpDS) return true;
    return plat::SUCCEEDED(lpDS->DuplicateSoundBuffer(source, out));
}

bool DS_LoadWave(const char* file, DSWAVE& wave) {
    wave = DSWAVE{};
    std::FILE* f = plat::FileOpen(file ? file : "", "rb");
    if (!f) return false;
    std::vector<std::uint8_t> bytes;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && static_cast<std::uint64_t>(size) <= kMaxWaveFileBytes &&
         std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    std::fclose(f);
    plat::WaveChunks chunks;
    if (!ok || !plat::ParseWave(bytes.data(), bytes.size(), chunks)) return false;
    if (chunks.dataSize > plat::kMaxSoundBufferBytes) return false;
    wave.lpData = new (std::nothrow) std::uint8_t[chunks.dataSize];
    if (!wave.lpData) return false;
    std::memcpy(wave.lpData, bytes.data() + chunks.dataOffset, chunks.dataSize);
    wave.wfx = chunks.format;
    wave.dwSize = static_cast<plat::DWORD>(chunks.dataSize);
    return true;
}

void DS_FreeWave(DSWAVE& wave) {
    delete[] wave.lpData;
    wave.lpData = nullptr;
    wave.dwSize = 0;
}

void DS_PlaySoundEffect(DSSOUNDDATA& slot, plat::DWORD flags) {
    std::lock_guard lock(SlotMutex());
    if (!lpDS || !slot.lpBuffers || slot.nCount <= 0) return;
    if (slot.nNext < 0 || slot.nNext >= slot.nCount) slot.nNext = 0;
    plat::IDirectSoundBuffer* buffer = slot.lpBuffers[slot.nNext];
    if (!buffer) return;
    buffer->Stop();
    buffer->SetCurrentPosition(0);
    buffer->Play(0, 0, flags);
    slot.nNext = slot.nNext + 1 >= slot.nCount ? 0 : slot.nNext + 1;
}

std::int32_t DS_SetVolume(DSSOUNDDATA& slot, int copy, std::int32_t volume, int relative) {
    std::lock_guard lock(SlotMutex());
    if (!lpDS || !slot.lpBuffers || copy < 0 || copy >= slot.nCount || !slot.lpBuffers[copy])
        return 0;
    // Summed in 64 bits: a relative step cannot wrap.
    std::int64_t v = volume;
    if (relative == 1) v += DS_GetVolume(slot, copy);
    if (v < plat::DSBVOLUME_MIN) v = plat::DSBVOLUME_MIN;
    if (v > plat::DSBVOLUME_MAX) v = plat::DSBVOLUME_MAX;
    slot.lpBuffers[copy]->SetVolume(static_cast<plat::LONG>(v));
    return static_cast<std::int32_t>(v);
}

std::int32_t DS_GetVolume(DSSOUNDDATA& slot, int copy) {
    std::lock_guard lock(SlotMutex());
    if (!lpDS || !slot.lpBuffers || copy < 0 || copy >= slot.nCount || !slot.lpBuffers[copy])
        return 0;
    plat::LONG v = 0;
    slot.lpBuffers[copy]->GetVolume(&v);
    return v;
}

void PlayCursorSe() {
    std::lock_guard lock(SlotMutex());
    if (!lpDS || !lpSoundData) return;
    DS_PlaySoundEffect((*lpSoundData)[0], 0);
}

void ResetSoundEffects() {
    DS_UnInit();
    DSSoundData.Clear();
    SoundFileList.Clear();
}
