// KeyConfig.dat. The file was a memory image of the record, so a short file still counts as
// read and replaces only the bytes it has; the image is rebuilt field by field here, the
// file's bytes laid over it, and the fields taken back, which gives the same result on any
// host. The values are kept as the file gives them: the bound reader bounds them at use.
#include "base/key_config.h"

#include <cstdio>
#include <string>

#include "platform/host_path.h"

cKeyConfig KeyConfig;

namespace {

void PutLittle(std::uint8_t* p, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetLittle(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

void Encode(const cKeyConfig& r, std::uint8_t* image) {
    for (int i = 0; i < cKeyConfig::kBindings; ++i) {
        std::uint8_t* p = image + 8 * i;
        PutLittle(p, static_cast<std::uint32_t>(r.Bind[i].nDevice), 4);
        PutLittle(p + 4, r.Bind[i].wCode, 2);
        PutLittle(p + 6, r.Bind[i].wReserved, 2);
    }
    PutLittle(image + 96, static_cast<std::uint32_t>(r.nBindCount), 4);
    PutLittle(image + 100, static_cast<std::uint32_t>(r.nJoyCount), 4);
    PutLittle(image + 104, static_cast<std::uint32_t>(r.bUseBind), 4);
}

void Decode(const std::uint8_t* image, cKeyConfig& r) {
    for (int i = 0; i < cKeyConfig::kBindings; ++i) {
        const std::uint8_t* p = image + 8 * i;
        r.Bind[i].nDevice = static_cast<std::int32_t>(GetLittle(p, 4));
        r.Bind[i].wCode = static_cast<std::uint16_t>(GetLittle(p + 4, 2));
        r.Bind[i].wReserved = static_cast<std::uint16_t>(GetLittle(p + 6, 2));
    }
    r.nBindCount = static_cast<std::int32_t>(GetLittle(image + 96, 4));
    r.nJoyCount = static_cast<std::int32_t>(GetLittle(image + 100, 4));
    r.bUseBind = static_cast<std::int32_t>(GetLittle(image + 104, 4));
}

}  // namespace

void LoadKeyConfigBytes(const std::uint8_t* bytes, std::size_t size, cKeyConfig& record) {
    if (size > cKeyConfig::kFileSize) size = cKeyConfig::kFileSize;
    std::uint8_t image[cKeyConfig::kFileSize];
    Encode(record, image);
    for (std::size_t i = 0; i < size; ++i) image[i] = bytes[i];
    Decode(image, record);
}

int ReadKeyConfig(std::string_view path, cKeyConfig& record) {
    // Only a plain file can be opened where the file was made: a folder of that name would
    // open here and read as empty, and a pipe would block start-up.
    if (!plat::IsRegularFile(path)) return 0;
    std::FILE* file = plat::FileOpen(path, "rb");
    if (!file) return 0;
    std::uint8_t bytes[cKeyConfig::kFileSize];
    std::size_t size = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    LoadKeyConfigBytes(bytes, size, record);
    return 1;
}

void DefaultKeyConfig(cKeyConfig& record) {
    static constexpr std::uint16_t kCodes[cKeyConfig::kBindings] = {
        0x25, 0x27, 0x26, 0x28,                          // arrows: left, right, up, down
        0x5A, 0x58, 0x43, 0x56, 0x41, 0x53, 0x44, 0x46,  // Z X C V A S D F
    };
    // The reserved halves keep what they hold.
    for (int i = 0; i < cKeyConfig::kBindings; ++i) {
        record.Bind[i].nDevice = kKeyboardDevice;
        record.Bind[i].wCode = kCodes[i];
    }
    record.nBindCount = 12;
    record.nJoyCount = 1;
    record.bUseBind = 0;
}
