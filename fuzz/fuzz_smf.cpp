// The Standard MIDI File loader over hostile bytes: the header checks, the track parse and
// merge, then every player buffer cut from the image, each buffer's events walked as the
// stream walks them. A fill that consumes nothing before the end would stall the player.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sound/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cMidiFile file;
    file.SetFileName("fuzz.mid");
    file.CreateFromBytes(data, size);
    if (!file.HasImage()) return 0;
    // A buffer smaller than the player's makes full buffers and dropped SysEx frequent.
    for (std::uint32_t length : {24000u, 64u}) {
        std::vector<char> buffer(length);
        plat::MIDIHDR header;
        header.lpData = buffer.data();
        header.dwBufferLength = length;
        std::size_t position = kMidiImageFirstEvent;
        while (position < file.Image().size()) {
            const int consumed = file.ConvertEvents(static_cast<int>(position), &header);
            if (consumed <= 0 || header.dwBytesRecorded > length ||
                header.dwBytesRecorded % 4 != 0) {
                __builtin_trap();
            }
            position += consumed;
            for (std::uint32_t at = 0; at < header.dwBytesRecorded;) {
                std::uint32_t word;
                std::memcpy(&word, buffer.data() + at + 8, 4);
                at += 12;
                if (word & plat::MEVT_F_LONG) at += ((word & 0xFFFFFF) + 3) & ~3u;
                if (at > header.dwBytesRecorded) __builtin_trap();
            }
        }
    }
    return 0;
}
