// An Ogg Vorbis stream decoded from a file image in memory with libvorbisfile, frame by frame
// as 16-bit left and right samples (mono feeds both; of more channels the first two play).
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

class OggStream {
public:
    OggStream() = default;
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;
    ~OggStream() { Close(); }

    // Takes the file image; false (closed) with the reason in *why when it is no Vorbis
    // stream of 1 to 255 channels and 1 to 200000 frames per second.
    bool Open(std::vector<std::uint8_t> image, std::string* why = nullptr);
    void Close();
    bool IsOpen() const { return open_; }
    long Rate() const { return rate_; }
    int Channels() const { return channels_; }

    // The next frame; false at the end of the stream (or at damage that cannot be passed).
    bool NextFrame(std::int16_t& left, std::int16_t& right);
    // Back to the first frame; false when the stream cannot seek.
    bool Rewind();

    // The callbacks' view of the image.
    const std::vector<std::uint8_t>& Image() const { return image_; }
    std::size_t& ReadPosition() { return readPos_; }

private:
    bool Refill();

    OggVorbis_File file_{};
    bool open_ = false;
    std::vector<std::uint8_t> image_;
    std::size_t readPos_ = 0;
    long rate_ = 0;
    int channels_ = 0;
    std::vector<std::int16_t> decoded_;
    std::size_t decodedFrames_ = 0;
    std::size_t nextFrame_ = 0;
    bool ended_ = false;
};

}  // namespace plat
