// A Standard MIDI File (format 0 or 1) read into one self-contained format-0 image: every
// track merged into one, ordered by absolute time (the lower track first on equal times),
// every event with an explicit status, and a single end-of-track event at the latest end
// of all tracks. The image is then cut, buffer by buffer, into MIDI stream events.
//
// Image layout: "MThd", 00 00 00 06, format 0, one track, the input's time division,
// "MTrk", the track length (big-endian, bytes after offset 22), then the events.
//
// Nothing is read past the end of the file; a file that cannot be used leaves the image
// empty and writes a "Midi %s Init" (or "Create") line naming the step to the report and
// error logs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/midi_stream.h"

// Offset of the first event in an image.
inline constexpr int kMidiImageFirstEvent = 22;
// The largest file read; a music file is far smaller.
inline constexpr std::size_t kMidiMaxFileSize = 32u << 20;

// Reads a variable-length quantity of up to 4 bytes from [p, end): the bytes used (1-4),
// or 0 when all four have the top bit set or the data ends first.
int ReadVarLen(const std::uint8_t* p, const std::uint8_t* end, std::uint32_t* value);

class cMidiFile {
public:
    cMidiFile() = default;
    virtual ~cMidiFile() = default;
    cMidiFile(const cMidiFile&) = delete;
    cMidiFile& operator=(const cMidiFile&) = delete;

    // Loads and converts the named file (a program path); the image stays empty on failure.
    void Create(const char* fileName);
    // The header checks and the conversion of a whole file; the image, or empty.
    std::vector<std::uint8_t> Init(const std::uint8_t* b, std::size_t size);
    // Parses, merges and rebuilds the tracks of a checked file; empty on failure.
    std::vector<std::uint8_t> Convert(const std::uint8_t* b, std::size_t size);
    // Fills one stream buffer (header->lpData, dwBufferLength bytes) with the events from
    // image offset `position` on; sets the recorded byte count and returns the image bytes
    // consumed.
    int ConvertEvents(int position, plat::MIDIHDR* header) const;

    // The standard encoding of value into out (room for 4 bytes): the bytes written, or 0
    // for a value above 0x0FFFFFFF.
    static int WriteVarLen(std::uint8_t* out, std::uint32_t value);

    bool HasImage() const { return !m_Image.empty(); }
    const std::vector<std::uint8_t>& Image() const { return m_Image; }
    const std::string& FileName() const { return m_FileName; }
    // Sets the name the log lines use (Create sets it from the file).
    void SetFileName(std::string name) { m_FileName = std::move(name); }
    // Converts file bytes already in memory, as Create does after reading the file.
    void CreateFromBytes(const std::uint8_t* b, std::size_t size) { m_Image = Init(b, size); }

protected:
    std::vector<std::uint8_t> m_Image;
    std::string m_FileName;
};
