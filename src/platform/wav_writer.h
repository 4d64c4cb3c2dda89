// A WAV file of 16-bit stereo frames written as they come (K4_AUDIO_OUT). The header's sizes
// are brought up to date after every append, so the file is whole even when the process ends
// without closing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace plat {

class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter() { Close(); }

    // Creates (or empties) the host file; false when it cannot be written.
    bool Open(const std::string& hostPath, int rate);
    bool IsOpen() const { return file_ != nullptr; }
    // Interleaved left, right.
    void Append(const std::int16_t* frames, std::size_t count);
    void Close();

private:
    void WriteSizes();

    std::FILE* file_ = nullptr;
    std::uint64_t dataBytes_ = 0;
};

}  // namespace plat
