#include "platform/editor_link.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/seams.h"

namespace plat {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> EncodeEditorCopyData(std::uint32_t window, std::uint32_t dwData,
                                               const void* data, std::uint32_t cbData) {
    std::vector<std::uint8_t> out;
    out.reserve(12 + cbData);
    PutU32(out, window);
    PutU32(out, dwData);
    PutU32(out, cbData);
    if (data && cbData) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + cbData);
    }
    return out;
}

bool SendEditorCopyData(std::uint32_t window, std::uint32_t dwData, const void* data,
                        std::uint32_t cbData) {
    const std::string& path = GetSeams().editorSocket;
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const std::vector<std::uint8_t> bytes = EncodeEditorCopyData(window, dwData, data, cbData);
    const ssize_t sent = sendto(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
    close(fd);
    return sent == static_cast<ssize_t>(bytes.size());
}

}  // namespace plat
