#include "platform/dsound.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/audio_mixer.h"
#include "platform/seams.h"

namespace plat {
namespace {

std::atomic<int> liveBuffers{0};

bool SupportedFormat(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= 1 &&
           f.nSamplesPerSec <= DSBFREQUENCY_MAX &&
           f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

// The samples a buffer and its duplicates share.
struct SampleData {
    WAVEFORMATEX format;
    std::vector<std::uint8_t> bytes;
    std::uint32_t frames = 0;
};

class SoundBuffer final : public IDirectSoundBuffer, public AudioSource {
public:
    SoundBuffer(std::shared_ptr<SampleData> data, DWORD flags)
        : data_(std::move(data)), flags_(flags) {
        ++liveBuffers;
        UpdateGains();
        AddAudioSource(this);
    }
    ~SoundBuffer() override {
        RemoveAudioSource(this);
        --liveBuffers;
    }
    // A duplicate: the same samples, its own state at the original's settings.
    SoundBuffer(std::shared_ptr<SampleData> data, DWORD flags, LONG volume, LONG pan,
                DWORD frequency)
        : data_(std::move(data)), flags_(flags), volume_(volume), pan_(pan), frequency_(frequency) {
        ++liveBuffers;
        UpdateGains();
        AddAudioSource(this);
    }

    HRESULT Play(DWORD, DWORD, DWORD flags) override {
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        playing_ = true;
        looping_ = (flags & DSBPLAY_LOOPING) != 0;
        return DS_OK;
    }
    HRESULT Stop() override {
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        playing_ = false;
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD bytes) override {
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        const std::uint32_t frame = bytes / data_->format.nBlockAlign;
        if (frame >= data_->frames) return DSERR_INVALIDPARAM;
        position_ = std::uint64_t{frame} << 32;
        return DS_OK;
    }
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        const DWORD bytes = static_cast<DWORD>(position_ >> 32) * data_->format.nBlockAlign;
        if (play) *play = bytes;
        if (write) *write = bytes;
        return DS_OK;
    }
    HRESULT SetVolume(LONG volume) override {
        if ((flags_ & DSBCAPS_CTRLVOLUME) == 0) return DSERR_INVALIDCALL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        volume_ = volume;
        UpdateGains();
        return DS_OK;
    }
    HRESULT GetVolume(LONG* volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        *volume = volume_;
        return DS_OK;
    }
    HRESULT SetPan(LONG pan) override {
        if ((flags_ & DSBCAPS_CTRLPAN) == 0) return DSERR_INVALIDCALL;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        pan_ = pan;
        UpdateGains();
        return DS_OK;
    }
    HRESULT GetPan(LONG* pan) override {
        if (!pan) return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        *pan = pan_;
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD frequency) override {
        if ((flags_ & DSBCAPS_CTRLFREQUENCY) == 0) return DSERR_INVALIDCALL;
        // 0 goes back to the format's rate.
        if (frequency != 0 && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
            return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        frequency_ = frequency;
        return DS_OK;
    }
    HRESULT GetFrequency(DWORD* frequency) override {
        if (!frequency) return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        *frequency = frequency_ != 0 ? frequency_ : data_->format.nSamplesPerSec;
        return DS_OK;
    }
    HRESULT GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        *status =
            (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
        return DS_OK;
    }
    HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }
    HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2,
                 DWORD* bytes2, DWORD flags) override {
        if (!part1 || !bytes1) return DSERR_INVALIDPARAM;
        const DWORD size = static_cast<DWORD>(data_->bytes.size());
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = size;
        }
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        // A range past the end wraps to the start, as in a ring.
        const DWORD first = std::min(bytes, size - offset);
        *part1 = data_->bytes.data() + offset;
        *bytes1 = first;
        if (part2) *part2 = first < bytes ? data_->bytes.data() : nullptr;
        if (bytes2) *bytes2 = bytes - first;
        return DS_OK;
    }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DS_OK; }

    // Under the mixer's lock.
    void MixInto(std::int32_t* acc, std::size_t frames) override {
        if (!playing_) return;
        const SampleData& d = *data_;
        if (d.frames == 0) {
            playing_ = false;
            return;
        }
        const std::uint32_t rate = frequency_ != 0 ? frequency_ : d.format.nSamplesPerSec;
        const std::uint64_t step = (std::uint64_t{rate} << 32) / kMixRate;
        const std::uint64_t length = std::uint64_t{d.frames} << 32;
        const bool stereo = d.format.nChannels == 2;
        const bool eight = d.format.wBitsPerSample == 8;
        const std::uint8_t* base = d.bytes.data();
        for (std::size_t f = 0; f < frames; ++f) {
            if (position_ >= length) {
                if (!looping_) {
                    playing_ = false;
                    position_ = 0;
                    return;
                }
                position_ %= length;
            }
            const std::uint32_t i = static_cast<std::uint32_t>(position_ >> 32);
            std::int32_t left;
            std::int32_t right;
            if (eight) {
                const std::uint8_t* p = base + std::size_t{i} * d.format.nBlockAlign;
                left = (static_cast<std::int32_t>(p[0]) - 128) * 256;
                right = stereo ? (static_cast<std::int32_t>(p[1]) - 128) * 256 : left;
            } else {
                const std::uint8_t* p = base + std::size_t{i} * d.format.nBlockAlign;
                left = static_cast<std::int16_t>(p[0] | (p[1] << 8));
                right = stereo ? static_cast<std::int16_t>(p[2] | (p[3] << 8)) : left;
            }
            acc[2 * f] += (left * gainLeft_) >> 16;
            acc[2 * f + 1] += (right * gainRight_) >> 16;
            position_ += step;
        }
    }

private:
    void UpdateGains() {
        // A pan to the right lowers the left side by its amount, and the other way round.
        gainLeft_ = VolumeToGain(volume_ - std::max<LONG>(pan_, 0));
        gainRight_ = VolumeToGain(volume_ + std::min<LONG>(pan_, 0));
    }

    std::shared_ptr<SampleData> data_;
    DWORD flags_;
    LONG volume_ = 0;
    LONG pan_ = 0;
    DWORD frequency_ = 0;  // 0: the format's rate
    bool playing_ = false;
    bool looping_ = false;
    std::uint64_t position_ = 0;  // frames, 32.32
    std::int32_t gainLeft_ = 65536;
    std::int32_t gainRight_ = 65536;

    friend class SoundObject;
};

// The primary buffer: its format is kept and plays no part.
class PrimaryBuffer final : public IDirectSoundBuffer {
public:
    HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
    HRESULT Stop() override { return DS_OK; }
    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override {
        if (play) *play = 0;
        if (write) *write = 0;
        return DS_OK;
    }
    HRESULT SetVolume(LONG v) override {
        if (v < DSBVOLUME_MIN || v > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        volume_ = v;
        return DS_OK;
    }
    HRESULT GetVolume(LONG* v) override {
        if (!v) return DSERR_INVALIDPARAM;
        *v = volume_;
        return DS_OK;
    }
    HRESULT SetPan(LONG p) override {
        if (p < DSBPAN_LEFT || p > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        pan_ = p;
        return DS_OK;
    }
    HRESULT GetPan(LONG* p) override {
        if (!p) return DSERR_INVALIDPARAM;
        *p = pan_;
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT GetFrequency(DWORD* f) override {
        if (!f) return DSERR_INVALIDPARAM;
        *f = format_.nSamplesPerSec;
        return DS_OK;
    }
    HRESULT GetStatus(DWORD* s) override {
        if (!s) return DSERR_INVALIDPARAM;
        *s = 0;
        return DS_OK;
    }
    HRESULT SetFormat(const WAVEFORMATEX* format) override {
        if (!format) return DSERR_INVALIDPARAM;
        format_ = *format;
        return DS_OK;
    }
    HRESULT Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) override {
        return DSERR_INVALIDCALL;
    }
    HRESULT Unlock(void*, DWORD, void*, DWORD) override { return DSERR_INVALIDCALL; }

private:
    WAVEFORMATEX format_{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    LONG volume_ = 0;
    LONG pan_ = 0;
};

class SoundObject final : public IDirectSound {
public:
    SoundObject() { OpenAudio(); }
    ~SoundObject() override { CloseAudio(); }

    HRESULT SetCooperativeLevel(HWND, DWORD) override {
        return FailStep("dsound_cooperative_level") ? DSERR_GENERIC : DS_OK;
    }
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void*) override {
        if (!out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (!desc) return DSERR_INVALIDPARAM;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (FailStep("dsound_primary_buffer")) return DSERR_GENERIC;
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
            *out = new PrimaryBuffer;
            return DS_OK;
        }
        if (!desc->lpwfxFormat || !SupportedFormat(*desc->lpwfxFormat)) return DSERR_BADFORMAT;
        const WAVEFORMATEX& f = *desc->lpwfxFormat;
        if (desc->dwBufferBytes < f.nBlockAlign || desc->dwBufferBytes > kMaxSoundBufferBytes)
            return DSERR_INVALIDPARAM;
        auto data = std::make_shared<SampleData>();
        data->format = f;
        // The frames are the whole blocks; a partial last block is kept but never played.
        data->bytes.assign(desc->dwBufferBytes, f.wBitsPerSample == 8 ? 0x80 : 0);
        data->frames = desc->dwBufferBytes / f.nBlockAlign;
        *out = new SoundBuffer(std::move(data), desc->dwFlags);
        return DS_OK;
    }
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** out) override {
        if (!out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        auto* source = dynamic_cast<SoundBuffer*>(original);
        if (!source) return DSERR_INVALIDCALL;
        std::shared_ptr<SampleData> data;
        LONG volume;
        LONG pan;
        DWORD frequency;
        {
            std::lock_guard lock(AudioMutex());
            data = source->data_;
            volume = source->volume_;
            pan = source->pan_;
            frequency = source->frequency_;
        }
        *out = new SoundBuffer(std::move(data), source->flags_, volume, pan, frequency);
        return DS_OK;
    }
};

}  // namespace

HRESULT DirectSoundCreate(const void*, IDirectSound** out, void*) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (FailStep("dsound_create")) return DSERR_GENERIC;
    *out = new SoundObject;
    return DS_OK;
}

int LiveSoundBuffers() {
    return liveBuffers;
}

}  // namespace plat
