// What the sound tests share: a headless sound object on the virtual clock in a fresh
// folder, WAVE files built chunk by chunk, and stand-ins for the Ogg player library and the
// MIDI player set that record what they were asked to do.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"
#include "platform/seams.h"
#include "platform/vox.h"
#include "sound/bgm_manager.h"
#include "sound/sound_globals.h"
#include "support/byte_builder.h"
#include "support/temp_dir.h"

namespace soundtest {

// A RIFF chunk: id, size, body and the pad byte of an odd size.
inline std::vector<std::uint8_t> Chunk(const char* id, const std::vector<std::uint8_t>& body,
                                       std::uint32_t declared = 0xFFFFFFFFu) {
    ByteBuilder b;
    b.Raw(id, 4).U32(declared == 0xFFFFFFFFu ? static_cast<std::uint32_t>(body.size()) : declared);
    b.Bytes(body);
    if (body.size() % 2 == 1 && declared == 0xFFFFFFFFu) b.U8(0);
    return b.bytes;
}

inline std::vector<std::uint8_t> FmtBody(int tag, int channels, int rate, int bits,
                                         int blockAlign = -1, std::size_t length = 16) {
    if (blockAlign < 0) blockAlign = channels * bits / 8;
    ByteBuilder b;
    b.U16(static_cast<std::uint16_t>(tag)).U16(static_cast<std::uint16_t>(channels));
    b.U32(static_cast<std::uint32_t>(rate)).U32(static_cast<std::uint32_t>(rate * blockAlign));
    b.U16(static_cast<std::uint16_t>(blockAlign)).U16(static_cast<std::uint16_t>(bits));
    while (b.bytes.size() < length) b.U8(0);
    b.bytes.resize(length);
    return b.bytes;
}

inline std::vector<std::uint8_t> Riff(const std::vector<std::vector<std::uint8_t>>& chunks) {
    ByteBuilder body;
    body.Raw("WAVE", 4);
    for (const auto& c : chunks) body.Bytes(c);
    ByteBuilder b;
    b.Raw("RIFF", 4).U32(static_cast<std::uint32_t>(body.bytes.size())).Bytes(body.bytes);
    return b.bytes;
}

// 16-bit samples as little-endian bytes.
inline std::vector<std::uint8_t> Samples16(const std::vector<std::int16_t>& samples) {
    ByteBuilder b;
    for (std::int16_t s : samples) b.U16(static_cast<std::uint16_t>(s));
    return b.bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Everything the stand-ins were asked, in order ("load bgm\a.ogg", "play", "midi stop 0"...).
inline std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
}

// An Ogg player that takes any name ending in ".ogg" without "bad" in it.
class FakeVox final : public plat::IVox {
public:
    bool Load(const char* path) override {
        const std::string p = path;
        Calls().push_back("load " + p);
        return p.size() > 4 && p.substr(p.size() - 4) == ".ogg" &&
               p.find("bad") == std::string::npos;
    }
    void Play() override { Calls().push_back("play"); }
    void Stop() override { Calls().push_back("stop"); }
    void Clear() override { Calls().push_back("clear"); }
    void SetLoop(std::int32_t n) override { Calls().push_back("loop " + std::to_string(n)); }
    void Delete() override {
        Calls().push_back("delete");
        delete this;
    }
};
inline plat::IVox* CreateFakeVox() {
    return new FakeVox;
}

// A MIDI player set that plays any name ending in "mid" without "bad" in it.
class FakeMidi final : public cBgmMidiEngine {
public:
    void Clear() override { Calls().push_back("midi clear"); }
    void SetCount(int n) override { Calls().push_back("midi count " + std::to_string(n)); }
    int PlayFile(int p, const char* name, int loop) override {
        const std::string n = name;
        Calls().push_back("midi play " + std::to_string(p) + " " + n + " " + std::to_string(loop));
        return n.size() > 3 && n.substr(n.size() - 3) == "mid" &&
               n.find("bad") == std::string::npos;
    }
    void StopAll(int flag) override { Calls().push_back("midi stop " + std::to_string(flag)); }
    void DeleteAll() override { Calls().push_back("midi delete"); }
};

// A fresh folder, headless seams and the virtual clock (which moves only when told), the
// sound globals at their start and the error log on.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        seams.virtualClock = true;
        SetSeams(seams);
        plat::UseVirtualClock(0x10000);
        ResetSoundGlobals();
        Calls().clear();
        SetErrorLog(1, "Error.txt");
    }
    void TearDown() override {
        ResetSoundGlobals();
        SetErrorLog(0, "");
        plat::SetSeams(previous_);
        plat::UseRealClock();
    }
    void SetSeams(const plat::Seams& seams) { plat::SetSeams(seams); }
    static std::string ErrorText() { return ReadText("Error.txt"); }
    // Mixes n frames of every voice.
    static std::vector<std::int16_t> Mix(std::size_t frames) {
        std::vector<std::int16_t> out(frames * 2);
        plat::MixAudioFrames(out.data(), frames);
        return out;
    }

    TempDir dir;
    plat::Seams previous_;
};

}  // namespace soundtest
