#include "platform/wav_writer.h"

#include <algorithm>
#include <cstring>

namespace plat {
namespace {

// RIFF sizes are 32-bit: a file stops growing just below 4 GiB.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 3;

void Put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, std::uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

}  // namespace

bool WavWriter::Open(const std::string& hostPath, int rate) {
    Close();
    file_ = std::fopen(hostPath.c_str(), "wb");
    if (!file_) return false;
    unsigned char header[44] = {};
    std::memcpy(header, "RIFF", 4);
    Put32(header + 4, 36);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, 1);  // PCM
    Put16(header + 22, 2);
    Put32(header + 24, static_cast<std::uint32_t>(rate));
    Put32(header + 28, static_cast<std::uint32_t>(rate) * 4);
    Put16(header + 32, 4);
    Put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, 0);
    dataBytes_ = 0;
    if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) {
        Close();
        return false;
    }
    std::fflush(file_);
    return true;
}

void WavWriter::Append(const std::int16_t* frames, std::size_t count) {
    if (!file_ || count == 0) return;
    std::uint64_t bytes = std::uint64_t{count} * 4;
    if (dataBytes_ + bytes > kMaxDataBytes) return;
    unsigned char buffer[4096 * 4];
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = std::min<std::size_t>(count - done, 4096);
        for (std::size_t i = 0; i < n * 2; ++i)
            Put16(buffer + i * 2, static_cast<std::uint16_t>(frames[done * 2 + i]));
        std::fwrite(buffer, 1, n * 4, file_);
        done += n;
    }
    dataBytes_ += bytes;
    WriteSizes();
}

void WavWriter::WriteSizes() {
    unsigned char size[4];
    std::fseek(file_, 4, SEEK_SET);
    Put32(size, static_cast<std::uint32_t>(36 + dataBytes_));
    std::fwrite(size, 1, 4, file_);
    std::fseek(file_, 40, SEEK_SET);
    Put32(size, static_cast<std::uint32_t>(dataBytes_));
    std::fwrite(size, 1, 4, file_);
    std::fseek(file_, 0, SEEK_END);
    std::fflush(file_);
}

void WavWriter::Close() {
    if (!file_) return;
    WriteSizes();
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace plat
