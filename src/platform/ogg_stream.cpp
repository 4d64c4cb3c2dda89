#include "platform/ogg_stream.h"

#include <algorithm>
#include <cstring>

namespace plat {
namespace {

constexpr std::size_t kDecodeBytes = 16384;

size_t ReadImage(void* dst, size_t size, size_t count, void* source) {
    auto* s = static_cast<OggStream*>(source);
    const std::vector<std::uint8_t>& image = s->Image();
    std::size_t& pos = s->ReadPosition();
    if (size == 0) return 0;
    const std::size_t want = std::min(count, (image.size() - pos) / size);
    std::memcpy(dst, image.data() + pos, want * size);
    pos += want * size;
    return want;
}

int SeekImage(void* source, ogg_int64_t offset, int whence) {
    auto* s = static_cast<OggStream*>(source);
    const auto size = static_cast<ogg_int64_t>(s->Image().size());
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(s->ReadPosition());
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return -1;
    if (offset > size || offset < -size) return -1;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > size) return -1;
    s->ReadPosition() = static_cast<std::size_t>(target);
    return 0;
}

long TellImage(void* source) {
    return static_cast<long>(static_cast<OggStream*>(source)->ReadPosition());
}

}  // namespace

bool OggStream::Open(std::vector<std::uint8_t> image, std::string* why) {
    Close();
    image_ = std::move(image);
    readPos_ = 0;
    const ov_callbacks callbacks{ReadImage, SeekImage, nullptr, TellImage};
    if (ov_open_callbacks(this, &file_, nullptr, 0, callbacks) != 0) {
        if (why) *why = "not an Ogg Vorbis stream";
        image_.clear();
        return false;
    }
    open_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->channels < 1 || info->channels > 255 || info->rate < 1 ||
        info->rate > 200000) {
        if (why) *why = "unsupported channels or rate";
        Close();
        return false;
    }
    rate_ = info->rate;
    channels_ = info->channels;
    decoded_.assign(kDecodeBytes / 2, 0);
    decodedFrames_ = nextFrame_ = 0;
    ended_ = false;
    return true;
}

void OggStream::Close() {
    if (open_) ov_clear(&file_);
    open_ = false;
    image_.clear();
    image_.shrink_to_fit();
    decodedFrames_ = nextFrame_ = 0;
    ended_ = true;
}

bool OggStream::Refill() {
    decodedFrames_ = nextFrame_ = 0;
    const std::size_t frameBytes = static_cast<std::size_t>(channels_) * 2;
    // A damaged stretch (a hole) is passed; the reads move on, so this ends.
    for (int tries = 0; tries < 64; ++tries) {
        int section = 0;
        const long got = ov_read(&file_, reinterpret_cast<char*>(decoded_.data()),
                                 static_cast<int>(decoded_.size() * 2), 0, 2, 1, &section);
        if (got == OV_HOLE) continue;
        if (got <= 0) return false;
        // A section of another channel count cannot be read on as frames of this one.
        const vorbis_info* info = ov_info(&file_, section);
        if (!info || info->channels != channels_) return false;
        decodedFrames_ = static_cast<std::size_t>(got) / frameBytes;
        if (decodedFrames_ > 0) return true;
    }
    return false;
}

bool OggStream::NextFrame(std::int16_t& left, std::int16_t& right) {
    if (!open_ || ended_) return false;
    if (nextFrame_ >= decodedFrames_ && !Refill()) {
        ended_ = true;
        return false;
    }
    const std::int16_t* p = decoded_.data() + nextFrame_ * static_cast<std::size_t>(channels_);
    left = p[0];
    right = channels_ > 1 ? p[1] : p[0];
    ++nextFrame_;
    return true;
}

bool OggStream::Rewind() {
    if (!open_) return false;
    decodedFrames_ = nextFrame_ = 0;
    ended_ = ov_pcm_seek(&file_, 0) != 0;
    return !ended_;
}

}  // namespace plat
