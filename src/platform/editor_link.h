// The editor's window, for a test play it launched: each WM_COPYDATA the player sends it is
// one datagram to the Unix socket named by K4_EDITOR_SOCKET, laid out as four little-endian
// u32 (the sending window, 0 for none; dwData; cbData) followed by the cbData bytes. With no
// socket set, or nobody listening, the message goes nowhere, as to a window that is not there.
#pragma once

#include <cstdint>
#include <vector>

namespace plat {

// Sends one copy-data message without ever blocking. `window` is the sender's handle as a
// number (0 for a null handle). True when a listener took the datagram.
bool SendEditorCopyData(std::uint32_t window, std::uint32_t dwData, const void* data,
                        std::uint32_t cbData);

// The datagram's bytes (also what a listener in the tests reads back).
std::vector<std::uint8_t> EncodeEditorCopyData(std::uint32_t window, std::uint32_t dwData,
                                               const void* data, std::uint32_t cbData);

}  // namespace plat
