// KeyConfig.dat over hostile bytes: the input is the file (the reader must stop at 108
// bytes), read through the program's path; the bytes after the first 108 then hold keys
// and joysticks down while both readers and the menu filters run on the record for a few
// frames. Headless, so only the scripted joysticks answer.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/input.h"
#include "base/key_config.h"
#include "platform/host_path.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/seams.h"

namespace {

bool SameRecord(const cKeyConfig& a, const cKeyConfig& b) {
    for (int i = 0; i < cKeyConfig::kBindings; ++i) {
        if (a.Bind[i].nDevice != b.Bind[i].nDevice || a.Bind[i].wCode != b.Bind[i].wCode ||
            a.Bind[i].wReserved != b.Bind[i].wReserved)
            return false;
    }
    return a.nBindCount == b.nBindCount && a.nJoyCount == b.nJoyCount && a.bUseBind == b.bUseBind;
}

std::uint32_t Word(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// A folder of its own, named absolutely: libFuzzer's corpus folders are relative to the
// current folder, which therefore stays as it is.
std::string g_root;
std::string g_file;

void RemoveFolder() {
    std::remove(plat::MapPath(g_file).c_str());
    std::remove(plat::MapPath(g_root + "\\user_data").c_str());
    std::remove(g_root.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where possible: a disk file system flushes a rewritten file at each close.
    char shm[] = "/dev/shm/k4-fuzz-keyconfig-XXXXXX";
    char tmp[] = "/tmp/k4-fuzz-keyconfig-XXXXXX";
    char* pattern = mkdtemp(shm);
    if (!pattern) pattern = mkdtemp(tmp);
    if (!pattern) std::abort();
    g_root = pattern;
    std::atexit(RemoveFolder);
    const std::string folder = g_root + "\\user_data";
    if (!plat::CreateDirectory(folder)) std::abort();
    g_file = folder + "\\KeyConfig.dat";
    plat::Seams seams;
    seams.headless = true;
    plat::SetSeams(seams);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = plat::FileOpen(g_file, "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    cKeyConfig record;
    if (ReadKeyConfig(g_file, record) != 1) __builtin_trap();
    cKeyConfig fromBytes;
    LoadKeyConfigBytes(data, size, fromBytes);
    if (!SameRecord(record, fromBytes)) __builtin_trap();
    KeyConfig = record;

    // The tail: 12-byte groups, each a key to hold and a joystick's state.
    plat::ReleaseAllKeys();
    plat::ResetJoysticks();
    for (std::size_t at = cKeyConfig::kFileSize; at + 12 <= size; at += 12) {
        const std::uint8_t* p = data + at;
        plat::SetKeyState(p[0], true);
        plat::SetScriptedJoystick(p[1] & 31, Word(p + 2) & 0x1FFFF, Word(p + 6) & 0x1FFFF,
                                  Word(p + 8));
    }

    CheckedVector<cInput> list(1);
    cInput& in = list[0];
    in.SetRepeat(18, 6);
    in.ResetJoyButtons();
    const int players = size > 0 ? static_cast<std::int8_t>(data[size - 1]) : 1;
    for (int frame = 0; frame < 6; ++frame) {
        UpdateMainInput(list);
        if (frame == 3) in.ReadBound(players, frame - 4);
        if (in.wDir > 15 || in.wButton > 255 || in.nDirNum < 1 || in.nDirNum > 9) __builtin_trap();
        in.History.Push(in.wDir, in.wButton);
        in.LogKeyEvents();
        in.ApplyRepeat();
        in.LatchButtons(frame);
        if (in.History.StateAt(frame & 1, frame * 7) > 255) __builtin_trap();
    }
    return 0;
}
