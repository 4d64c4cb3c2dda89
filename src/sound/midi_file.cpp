#include "sound/midi_file.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <queue>
#include <utility>

#include "base/log.h"
#include "platform/host_path.h"

namespace {

// One parsed event: its absolute time, status and the data bytes that followed the status.
struct ParsedEvent {
    std::uint64_t time;
    const std::uint8_t* data;
    std::uint32_t length;
    std::uint8_t status;
};

// The end-of-track event the merged track ends with.
constexpr std::uint8_t kEndOfTrackData[2] = {0x2F, 0x00};

std::uint32_t Big32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}
std::uint16_t Big16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// Why a read of the track data stopped.
enum class ParseFailure { None, Truncated, LongQuantity, NoStatus };

// A quantity at b[pos]: its size, or 0 with the reason.
int ReadQuantity(const std::uint8_t* b, std::size_t size, std::size_t pos, std::uint32_t* value,
                 ParseFailure* failure) {
    if (pos >= size) {
        *failure = ParseFailure::Truncated;
        return 0;
    }
    const int n = ReadVarLen(b + pos, b + size, value);
    if (n == 0) *failure = size - pos >= 4 ? ParseFailure::LongQuantity : ParseFailure::Truncated;
    return n;
}

void WriteBig32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

void PutLittle32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Writes one stream event header at out: delta, stream id 0, event word.
void PutEvent(std::uint8_t* out, std::uint64_t delta, std::uint32_t word) {
    const std::uint32_t d = delta > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(delta);
    PutLittle32(out, d);
    PutLittle32(out + 4, 0);
    PutLittle32(out + 8, word);
}

}  // namespace

int ReadVarLen(const std::uint8_t* p, const std::uint8_t* end, std::uint32_t* value) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        if (p + i >= end) return 0;
        v = (v << 7) | (p[i] & 0x7F);
        if (!(p[i] & 0x80)) {
            *value = v;
            return i + 1;
        }
    }
    return 0;
}

int cMidiFile::WriteVarLen(std::uint8_t* out, std::uint32_t value) {
    int n;
    if (value < 0x80) {
        n = 1;
    } else if (value < 0x4000) {
        n = 2;
    } else if (value < 0x200000) {
        n = 3;
    } else if (value <= 0x0FFFFFFF) {
        n = 4;
    } else {
        return 0;
    }
    for (int i = 0; i < n; ++i) {
        const int shift = 7 * (n - 1 - i);
        out[i] = static_cast<std::uint8_t>(((value >> shift) & 0x7F) | (i + 1 < n ? 0x80 : 0));
    }
    return n;
}

void cMidiFile::Create(const char* fileName) {
    m_Image.clear();
    m_FileName = fileName;
    std::FILE* file = plat::IsRegularFile(m_FileName) ? plat::FileOpen(m_FileName, "rb") : nullptr;
    if (!file) {
        ReportLogErr("Midi %s Create ファイルが開けません", m_FileName.c_str());
        return;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        ReportLogErr("Midi %s Create ファイルが開けません", m_FileName.c_str());
        return;
    }
    if (static_cast<unsigned long>(size) > kMidiMaxFileSize) {
        std::fclose(file);
        ReportLogErr("Midi %s Create ファイルが大きすぎる", m_FileName.c_str());
        return;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    bytes.resize(got);
    m_Image = Init(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> cMidiFile::Init(const std::uint8_t* b, std::size_t size) {
    const char* name = m_FileName.c_str();
    if (size < 4 || std::memcmp(b, "MThd", 4) != 0) {
        ReportLogErr("Midi %s Init 標準MIDIでない(4)", name);
        return {};
    }
    // A header shorter than its six bytes is as wrong as one that declares another length.
    if (size < 14 || Big32(b + 4) != 6) {
        ReportLogErr("Midi %s Init 標準MIDIでない(6)", name);
        return {};
    }
    const std::uint16_t format = Big16(b + 8);
    if (format == 2) {
        ReportLogErr("Midi %s Init 対応フォーマットが2でない", name);
        return {};
    }
    if (format > 2) {
        ReportLogErr("Midi %s Init 対応フォーマットが0または1でない", name);
        return {};
    }
    if (size < 18 || std::memcmp(b + 14, "MTrk", 4) != 0) {
        ReportLogErr("Midi %s Init 標準MIDIでない(4)", name);
        return {};
    }
    if (Big16(b + 10) == 0) {
        ReportLogErr("Midi %s Init トラック数が0", name);
        return {};
    }
    if (Big16(b + 12) == 0) {
        ReportLogErr("Midi %s Init 時間単位が0", name);
        return {};
    }
    return Convert(b, size);
}

std::vector<std::uint8_t> cMidiFile::Convert(const std::uint8_t* b, std::size_t size) {
    const char* name = m_FileName.c_str();
    if (size < 18) return {};  // Init has checked the header
    const int trackCount = Big16(b + 10);
    if (trackCount == 0) return {};

    // Parse: one list per track, the track's own end-of-track events left out.
    std::vector<std::vector<ParsedEvent>> tracks(trackCount);
    std::size_t total = 0;
    std::uint64_t lastEnd = 0;
    ParseFailure failure = ParseFailure::None;
    std::size_t pos = 14;
    for (int t = 0; t < trackCount && failure == ParseFailure::None; ++t) {
        pos += 8;
        std::uint64_t time = 0;
        std::uint8_t running = 0;
        for (;;) {
            std::uint32_t delta;
            const int n = ReadQuantity(b, size, pos, &delta, &failure);
            if (n == 0) break;
            pos += n;
            time += delta;
            if (pos >= size) {
                failure = ParseFailure::Truncated;
                break;
            }
            std::uint8_t status;
            if (b[pos] & 0x80) {
                status = b[pos++];
                running = status;
            } else if (running) {
                status = running;
            } else {
                failure = ParseFailure::NoStatus;
                break;
            }
            if (status == 0xFF && pos + 1 < size && b[pos] == 0x2F && b[pos + 1] == 0x00) {
                if (time > lastEnd) lastEnd = time;
                pos += 2;
                break;
            }
            std::size_t length;
            if (status >= 0xC0 && status <= 0xDF) {
                length = 1;
            } else if (status == 0xF0 || status == 0xF7) {
                std::uint32_t l;
                const int m = ReadQuantity(b, size, pos, &l, &failure);
                if (m == 0) break;
                length = m + std::size_t{l};
            } else if (status == 0xFF) {
                std::uint32_t l;
                const int m = ReadQuantity(b, size, pos + 1, &l, &failure);
                if (m == 0) break;
                length = 1 + m + std::size_t{l};
            } else {
                length = 2;
            }
            if (pos >= size || length > size - pos) {
                failure = ParseFailure::Truncated;
                break;
            }
            tracks[t].push_back({time, b + pos, static_cast<std::uint32_t>(length), status});
            ++total;
            pos += length;
        }
    }
    switch (failure) {
        case ParseFailure::None:
            break;
        case ParseFailure::Truncated:
            ReportLogErr("Midi %s Init トラックの途中でファイルが終わる", name);
            return {};
        case ParseFailure::LongQuantity:
            ReportLogErr("Midi %s Init 可変長数値が長すぎる", name);
            return {};
        case ParseFailure::NoStatus:
            ReportLogErr("Midi %s Init ステータスがない", name);
            return {};
    }
    tracks.back().push_back({lastEnd, kEndOfTrackData, 2, 0xFF});
    ++total;

    // Merge by absolute time, the lower track first on equal times: a heap of track heads
    // costs events x log tracks, where a scan of every head would cost events x tracks.
    using Head = std::pair<std::uint64_t, int>;  // (time of the next event, track)
    std::priority_queue<Head, std::vector<Head>, std::greater<Head>> heads;
    std::vector<std::size_t> next(trackCount, 0);
    for (int t = 0; t < trackCount; ++t) {
        if (!tracks[t].empty()) heads.push({tracks[t][0].time, t});
    }

    // Build the image.
    std::vector<std::uint8_t> image(kMidiImageFirstEvent);
    std::memcpy(image.data(), "MThd\0\0\0\x06\0\0\0\x01", 12);
    image[12] = b[12];
    image[13] = b[13];
    std::memcpy(image.data() + 14, "MTrk", 4);
    image.reserve(kMidiImageFirstEvent + total * 4);
    std::uint64_t previous = 0;
    while (!heads.empty()) {
        const int t = heads.top().second;
        heads.pop();
        const ParsedEvent& e = tracks[t][next[t]++];
        if (next[t] < tracks[t].size()) heads.push({tracks[t][next[t]].time, t});
        const std::uint64_t delta = e.time - previous;
        std::uint8_t quantity[4];
        const int n =
            delta <= 0x0FFFFFFF ? WriteVarLen(quantity, static_cast<std::uint32_t>(delta)) : 0;
        if (n == 0) {
            ReportLogErr("Midi %s Init デルタタイムが大きすぎる", name);
            return {};
        }
        image.insert(image.end(), quantity, quantity + n);
        image.push_back(e.status);
        image.insert(image.end(), e.data, e.data + e.length);
        previous = e.time;
    }
    if (image.size() - kMidiImageFirstEvent >
        static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        ReportLogErr("Midi %s Init トラックが長すぎる", name);
        return {};
    }
    WriteBig32(image.data() + 18, static_cast<std::uint32_t>(image.size() - kMidiImageFirstEvent));
    return image;
}

int cMidiFile::ConvertEvents(int position, plat::MIDIHDR* header) const {
    auto* out = reinterpret_cast<std::uint8_t*>(header->lpData);
    const std::size_t capacity = out ? header->dwBufferLength : 0;
    if (out) std::memset(out, 0, capacity);
    std::size_t written = 0;
    std::size_t consumed = 0;
    std::uint64_t carried = 0;
    std::size_t lastEvent = capacity;  // offset of the last event written; none yet
    bool ended = false;

    const std::uint8_t* img = m_Image.data();
    const std::size_t end = m_Image.size();
    const std::size_t start =
        position < kMidiImageFirstEvent ? end : static_cast<std::size_t>(position);
    while (start + consumed < end) {
        const std::size_t at = start + consumed;
        std::uint32_t delta;
        const int n = ReadVarLen(img + at, img + end, &delta);
        if (n == 0 || at + n >= end) break;
        const std::size_t p = at + n;
        const std::uint8_t status = img[p];
        const std::uint64_t eventDelta = carried + delta;
        std::size_t size = 12;       // bytes written
        std::size_t eventBytes = 0;  // image bytes consumed
        std::uint32_t word = 0;
        const std::uint8_t* longData = nullptr;
        std::uint32_t longLength = 0;
        if (status == 0xF0 || status == 0xF7) {
            std::uint32_t l;
            const int m = ReadVarLen(img + p + 1, img + end, &l);
            if (m == 0 || l > end - (p + 1 + m)) break;
            eventBytes = n + 1 + m + std::size_t{l};
            size = 12 + ((std::size_t{l} + 1 + 3) & ~std::size_t{3});
            if (size > capacity) {
                // It could never be sent, not even alone: dropped, its time kept.
                carried = eventDelta;
                consumed += eventBytes;
                continue;
            }
            word = (std::uint32_t{plat::MEVT_LONGMSG} << 24) | (l + 1);
            longData = img + p + 1 + m;
            longLength = l;
        } else if (status == 0xFF) {
            if (p + 2 >= end) break;
            const std::uint8_t type = img[p + 1];
            std::uint32_t l;
            const int m = ReadVarLen(img + p + 2, img + end, &l);
            if (m == 0 || l > end - (p + 2 + m)) break;
            eventBytes = n + 2 + m + std::size_t{l};
            const std::uint8_t* data = img + p + 2 + m;
            if (type == 0x2F && l == 0) {
                word = plat::MEVT_F_CALLBACK | 0x002FFF;
                ended = true;
            } else if (type == 0x51 && l == 3) {
                word = (std::uint32_t{plat::MEVT_TEMPO} << 24) | (std::uint32_t{data[0]} << 16) |
                       (std::uint32_t{data[1]} << 8) | data[2];
            } else {
                // Other meta events do not reach the stream; the next event keeps their time.
                carried = eventDelta;
                consumed += eventBytes;
                continue;
            }
        } else {
            const std::size_t dataBytes = status >= 0xC0 && status <= 0xDF ? 1 : 2;
            if (dataBytes > end - (p + 1)) break;
            eventBytes = n + 1 + dataBytes;
            word = status | (std::uint32_t{img[p + 1]} << 8);
            if (dataBytes == 2) word |= std::uint32_t{img[p + 2]} << 16;
        }
        if (size > capacity - written) {
            ended = false;
            break;
        }
        PutEvent(out + written, eventDelta, word);
        if (longData) {
            out[written + 12] = status;
            std::memcpy(out + written + 13, longData, longLength);
        }
        lastEvent = written;
        written += size;
        consumed += eventBytes;
        carried = 0;
        if (ended) break;
    }
    if (!ended && lastEvent < capacity) {
        // The buffer is full: its last event calls the player back to refill.
        out[lastEvent + 11] |= static_cast<std::uint8_t>(plat::MEVT_F_CALLBACK >> 24);
    }
    header->dwBytesRecorded = static_cast<std::uint32_t>(written);
    header->dwFlags = 0;
    header->lpNext = nullptr;
    header->reserved = 0;
    header->dwOffset = 0;
    std::memset(header->dwReserved, 0, sizeof header->dwReserved);
    return static_cast<int>(consumed);
}
