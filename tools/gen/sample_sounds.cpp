#include "gen/sample_sounds.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "gen/bmp_writer.h"

namespace gen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kOggSerial = 0x4B345354;

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(std::vector<std::uint8_t>& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}

// A tone of `seconds` at `hz` gliding to `hzEnd`, amplitude `peak` (of 32767), fading out.
std::vector<double> Tone(int rate, double seconds, double hz, double hzEnd, double peak) {
    const int n = static_cast<int>(rate * seconds);
    std::vector<double> out(static_cast<std::size_t>(n));
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / n;
        phase += 2 * kPi * (hz + (hzEnd - hz) * t) / rate;
        out[static_cast<std::size_t>(i)] = peak * (1 - t) * std::sin(phase);
    }
    return out;
}

std::vector<std::int32_t> Quantise(const std::vector<double>& wave, int bits, int channels) {
    std::vector<std::int32_t> out;
    for (std::size_t i = 0; i < wave.size(); ++i) {
        for (int c = 0; c < channels; ++c) {
            // The right side a little quieter, so the two sides differ.
            const double v = c == 0 ? wave[i] : wave[i] * 0.75;
            if (bits == 8)
                out.push_back(128 + static_cast<std::int32_t>(std::lround(v / 256)));
            else
                out.push_back(static_cast<std::int32_t>(std::lround(v)));
        }
    }
    return out;
}

}  // namespace

std::string SystemSoundFile(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "se\\sys%02d.wav", n);
    return name;
}

std::vector<std::uint8_t> WaveFileBytes(int rate, int bits, int channels,
                                        const std::vector<std::int32_t>& samples) {
    const std::uint32_t block = static_cast<std::uint32_t>(channels * bits / 8);
    const std::uint32_t data = static_cast<std::uint32_t>(samples.size()) * (bits / 8);
    std::vector<std::uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, 36 + data + (data & 1));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(channels));
    Put32(b, static_cast<std::uint32_t>(rate));
    Put32(b, static_cast<std::uint32_t>(rate) * block);
    Put16(b, block);
    Put16(b, static_cast<std::uint32_t>(bits));
    PutTag(b, "data");
    Put32(b, data);
    for (std::int32_t s : samples) {
        if (bits == 8)
            b.push_back(static_cast<std::uint8_t>(s));
        else
            Put16(b, static_cast<std::uint16_t>(s));
    }
    if (data & 1) b.push_back(0);
    return b;
}

std::vector<std::uint8_t> SystemSoundBytes(int n) {
    // Formats in turn: 8-bit mono 22050 Hz, 16-bit stereo 44100 Hz, 16-bit mono 11025 Hz.
    static const int kRates[] = {22050, 44100, 11025};
    static const int kBits[] = {8, 16, 16};
    static const int kChannels[] = {1, 2, 1};
    const int f = n % 3;
    const double hz = 330.0 * std::pow(2.0, n / 12.0);
    // The hero's loss (8) falls for half a second; the others are short blips.
    const bool lost = n == 8;
    const std::vector<double> wave =
        Tone(kRates[f], lost ? 0.5 : 0.12, hz, lost ? hz / 2 : hz, 9000);
    return WaveFileBytes(kRates[f], kBits[f], kChannels[f], Quantise(wave, kBits[f], kChannels[f]));
}

std::vector<std::uint8_t> JumpSoundBytes() {
    return WaveFileBytes(44100, 16, 1, Quantise(Tone(44100, 0.15, 400, 900, 9000), 16, 1));
}

std::vector<std::uint8_t> OggTuneBytes(int rate, double seconds) {
    // A little arpeggio, a note each eighth of a second, each fading out before the next.
    static const double kNotes[] = {261.63, 329.63, 392.00, 523.25, 392.00, 329.63, 293.66, 349.23};
    const int n = static_cast<int>(rate * seconds);
    const int noteLen = rate / 8;
    std::vector<float> pcm(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int note = (i / noteLen) % 8;
        const double t = static_cast<double>(i % noteLen) / noteLen;
        pcm[static_cast<std::size_t>(i)] = static_cast<float>(
            0.2 * (1 - t) * std::sin(2 * kPi * kNotes[note] * (i % noteLen) / rate));
    }

    std::vector<std::uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, rate, 0.1f) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, kOggSerial);
    auto append = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) append(page);

    constexpr int kChunk = 1024;
    for (int pos = 0; pos <= n; pos += kChunk) {
        const int count = std::min(kChunk, n - pos);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, count);
            for (int i = 0; i < count; ++i) buffer[0][i] = pcm[static_cast<std::size_t>(pos + i)];
        }
        // A write of 0 frames marks the end of the stream.
        vorbis_analysis_wrote(&vd, count > 0 ? count : 0);
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) append(page);
            }
        }
        if (count <= 0) break;
    }
    while (ogg_stream_flush(&os, &page) != 0) append(page);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

bool WriteSampleSounds(const std::string& root) {
    std::error_code ec;
    std::filesystem::create_directories(root + "se", ec);
    std::filesystem::create_directories(root + "bgm", ec);
    bool ok = true;
    for (int n = 0; n < kSampleSystemSounds; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "se/sys%02d.wav", n);
        ok = WriteFileBytes(root + name, SystemSoundBytes(n)) && ok;
    }
    ok = WriteFileBytes(root + "se/jump.wav", JumpSoundBytes()) && ok;
    const std::vector<std::uint8_t> tune = OggTuneBytes(22050, 4.0);
    ok = !tune.empty() && WriteFileBytes(root + "bgm/stage.ogg", tune) && ok;
    return ok;
}

}  // namespace gen
