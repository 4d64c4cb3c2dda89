#include "platform/vox.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio_mixer.h"
#include "platform/host_path.h"
#include "platform/ogg_stream.h"
#include "platform/seams.h"

namespace plat {

struct VoxLibrary {};

namespace {

// The whole file, or false when it is missing, unreadable or too large.
bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& bytes) {
    std::FILE* f = FileOpen(path, "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && static_cast<std::uint64_t>(size) <= kMaxOggFileBytes &&
         std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    std::fclose(f);
    return ok;
}

class VoxPlayer final : public IVox, public AudioSource {
public:
    VoxPlayer() { AddAudioSource(this); }

    bool Load(const char* path) override {
        Clear();
        if (!path || !*path) return false;
        std::vector<std::uint8_t> image;
        if (!ReadWholeFile(path, image)) return false;
        // Opened outside the lock (it decodes the headers), then handed to the mixer.
        auto stream = std::make_unique<OggStream>();
        if (!stream->Open(std::move(image))) return false;
        std::lock_guard lock(AudioMutex());
        stream_ = std::move(stream);
        return true;
    }
    void Play() override {
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        if (!stream_ || !stream_->Rewind()) return;
        loopsLeft_ = loops_;
        step_ = (static_cast<std::uint64_t>(stream_->Rate()) << 32) / kMixRate;
        phase_ = std::uint64_t{1} << 32;  // the first output frame reads frame 0
        playing_ = true;
    }
    void Stop() override {
        std::lock_guard lock(AudioMutex());
        CatchUpAudioLocked();
        playing_ = false;
    }
    void Clear() override {
        std::unique_ptr<OggStream> old;
        {
            std::lock_guard lock(AudioMutex());
            CatchUpAudioLocked();
            playing_ = false;
            old = std::move(stream_);
        }
    }
    void SetLoop(std::int32_t count) override {
        std::lock_guard lock(AudioMutex());
        loops_ = count < 0 ? 0 : count;
    }
    void Delete() override {
        RemoveAudioSource(this);
        delete this;
    }

    void MixInto(std::int32_t* acc, std::size_t frames) override {
        if (!playing_) return;
        for (std::size_t f = 0; f < frames; ++f) {
            while (phase_ >= (std::uint64_t{1} << 32)) {
                if (!Advance()) {
                    playing_ = false;
                    return;
                }
                phase_ -= std::uint64_t{1} << 32;
            }
            acc[2 * f] += left_;
            acc[2 * f + 1] += right_;
            phase_ += step_;
        }
    }

private:
    ~VoxPlayer() override = default;

    // The next frame of the stream, going round at its end while loops are left.
    bool Advance() {
        if (stream_->NextFrame(left_, right_)) return true;
        if (loopsLeft_ == 0) return false;
        if (loopsLeft_ != kVoxLoopEndless) --loopsLeft_;
        return stream_->Rewind() && stream_->NextFrame(left_, right_);
    }

    std::unique_ptr<OggStream> stream_;
    bool playing_ = false;
    std::int32_t loops_ = 0;
    std::int32_t loopsLeft_ = 0;
    std::uint64_t step_ = 0;
    std::uint64_t phase_ = 0;
    std::int16_t left_ = 0;
    std::int16_t right_ = 0;
};

IVox* CreateVox() {
    return new VoxPlayer;
}

}  // namespace

VoxLibrary* LoadVoxLibrary() {
    if (FailStep("ogg_init")) return nullptr;
    return new VoxLibrary;
}

VoxFactory GetVoxFactory(VoxLibrary* library) {
    return library ? CreateVox : nullptr;
}

void FreeVoxLibrary(VoxLibrary* library) {
    delete library;
}

}  // namespace plat
