#include "sound/midi_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/log.h"
#include "smf_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint8_t kEot[] = {0xFF, 0x2F, 0x00};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}
const Bytes kEnd(kEot, kEot + 3);

// Every test writes its own report log in a temporary folder.
class MidiFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1); }
    std::string Log() const { return ReadText(dir_.path + "/Report_Game.txt"); }

    TempDir dir_;
};

struct SmfCase {
    const char* name;
    Bytes file;
    Bytes image;       // empty: refused
    const char* line;  // the log line of a refusal (after "Midi t.mid Init ")
};

TEST_F(MidiFileTest, ConvertsOrRefusesFiles) {
    const std::vector<SmfCase> cases = {
        // Running status is written out; the end-of-track event closes the rebuilt track.
        {"format 0 rebuilt",
         Smf(0, 96, {Cat({{0x00, 0x90, 0x3C, 0x40, 0x60, 0x3C, 0x00, 0x10, 0xC1, 0x05, 0x00}, kEnd})}),
         Image(96, Cat({{0x00, 0x90, 0x3C, 0x40, 0x60, 0x90, 0x3C, 0x00, 0x10, 0xC1, 0x05}, {0x00}, kEnd})),
         nullptr},
        // Both tracks play at tick 96: track 0's event first.
        {"same tick, lower track first",
         Smf(1, 96,
             {Cat({{0x60, 0x90, 0x3C, 0x40, 0x00}, kEnd}), Cat({{0x60, 0x91, 0x40, 0x40, 0x00}, kEnd})}),
         Image(96, Cat({{0x60, 0x90, 0x3C, 0x40, 0x00, 0x91, 0x40, 0x40, 0x00}, kEnd})), nullptr},
        // Tracks end at ticks 960 and 1920: one end of track, at 1920.
        {"one end at the latest tick",
         Smf(1, 480, {Cat({{0x00, 0xC0, 0x05, 0x87, 0x40}, kEnd}), Cat({{0x8F, 0x00}, kEnd})}),
         Image(480, Cat({{0x00, 0xC0, 0x05, 0x8F, 0x00}, kEnd})), nullptr},
        // A text meta at tick 480 stays in the image with its own time; the note after it
        // keeps tick 960. SysEx and metas keep their length quantities.
        {"meta and SysEx kept",
         Smf(0, 480,
             {Cat({{0x00, 0x90, 0x3C, 0x40, 0x83, 0x60, 0xFF, 0x01, 0x02, 'h', 'i', 0x83, 0x60, 0x80, 0x3C,
                    0x00, 0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00},
                   kEnd})}),
         Image(480, Cat({{0x00, 0x90, 0x3C, 0x40, 0x83, 0x60, 0xFF, 0x01, 0x02, 'h', 'i', 0x83, 0x60, 0x80,
                          0x3C, 0x00, 0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00},
                         kEnd})),
         nullptr},
        {"header length 7", [] {
             Bytes b = Smf(0, 96, {Cat({{0x00}, kEnd})});
             b[7] = 7;
             return b;
         }(),
         {}, "標準MIDIでない(6)"},
        {"no MThd", [] {
             Bytes b = Smf(0, 96, {Cat({{0x00}, kEnd})});
             b[0] = 'X';
             return b;
         }(),
         {}, "標準MIDIでない(4)"},
        {"shorter than MThd", {'M', 'T'}, {}, "標準MIDIでない(4)"},
        {"header cut short", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, {}, "標準MIDIでない(6)"},
        {"format 2", Smf(2, 96, {Cat({{0x00}, kEnd})}), {}, "対応フォーマットが2でない"},
        {"format 3", Smf(3, 96, {Cat({{0x00}, kEnd})}), {}, "対応フォーマットが0または1でない"},
        {"no MTrk", [] {
             Bytes b = Smf(0, 96, {Cat({{0x00}, kEnd})});
             b[15] = 'X';
             return b;
         }(),
         {}, "標準MIDIでない(4)"},
        {"no track declared", Smf(1, 96, {Cat({{0x00}, kEnd})}, 0), {}, "トラック数が0"},
        {"division 0", Smf(0, 0, {Cat({{0x00}, kEnd})}), {}, "時間単位が0"},
        {"file ends inside a track", Smf(0, 96, {{0x00, 0x90, 0x3C}}), {}, "トラックの途中でファイルが終わる"},
        {"second track missing", Smf(1, 96, {Cat({{0x00}, kEnd})}, 2), {}, "トラックの途中でファイルが終わる"},
        {"file ends inside a SysEx", Smf(0, 96, {{0x00, 0xF0, 0x7F, 0x01}}), {}, "トラックの途中でファイルが終わる"},
        {"four continued delta bytes", Smf(0, 96, {Cat({{0x80, 0x80, 0x80, 0x80, 0x00}, kEnd})}), {},
         "可変長数値が長すぎる"},
        {"no status yet", Smf(0, 96, {Cat({{0x00, 0x3C, 0x40, 0x00}, kEnd})}), {}, "ステータスがない"},
    };
    for (const SmfCase& c : cases) {
        SCOPED_TRACE(c.name);
        cMidiFile f;
        f.SetFileName("t.mid");
        const std::string before = Log();
        const std::vector<std::uint8_t> image = f.Init(c.file.data(), c.file.size());
        EXPECT_EQ(image, c.image);
        const std::string added = Log().substr(before.size());
        if (c.line) {
            EXPECT_EQ(added, std::string("Midi t.mid Init ") + c.line + "\r\n");
        } else {
            EXPECT_EQ(added, "");
        }
    }
}

TEST_F(MidiFileTest, CreateReadsTheFileOrLogsWhyNot) {
    WriteFile("Tune.mid", Smf(0, 96, {Cat({{0x00, 0xC0, 0x01, 0x00}, kEnd})}));
    cMidiFile f;
    f.Create("tune.MID");  // projects made on Windows mix case
    EXPECT_EQ(f.Image(), Image(96, Cat({{0x00, 0xC0, 0x01, 0x00}, kEnd})));

    cMidiFile missing;
    missing.Create("none.mid");
    EXPECT_FALSE(missing.HasImage());
    EXPECT_NE(Log().find("Midi none.mid Create ファイルが開けません\r\n"), std::string::npos);
}

TEST(MidiVarLen, WritesAndReadsTheStandardEncoding) {
    const struct {
        std::uint32_t value;
        Bytes bytes;
    } cases[] = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
        {0x200000, {0x81, 0x80, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        std::uint8_t out[4] = {};
        const int n = cMidiFile::WriteVarLen(out, c.value);
        EXPECT_EQ(Bytes(out, out + n), c.bytes);
        std::uint32_t back = 0xDEAD;
        EXPECT_EQ(ReadVarLen(c.bytes.data(), c.bytes.data() + c.bytes.size(), &back), n);
        EXPECT_EQ(back, c.value);
    }
    std::uint8_t out[4] = {};
    EXPECT_EQ(cMidiFile::WriteVarLen(out, 0x10000000), 0);

    std::uint32_t v = 0;
    const Bytes four = {0x80, 0x80, 0x80, 0x80, 0x00};
    EXPECT_EQ(ReadVarLen(four.data(), four.data() + four.size(), &v), 0);
    const Bytes cut = {0x81, 0x80};
    EXPECT_EQ(ReadVarLen(cut.data(), cut.data() + cut.size(), &v), 0);  // nothing read past the end
}

// The words of one short or tempo stream event.
Bytes Ev(std::uint32_t delta, std::uint32_t word) {
    return Words({delta, 0, word});
}

struct FillCase {
    const char* name;
    Bytes events;         // the image's events
    std::uint32_t space;  // buffer length
    Bytes buffer;         // the recorded stream events
    int consumed;         // image bytes consumed; -1: all of them
};

TEST(MidiConvertEvents, FillsABufferWithStreamEvents) {
    const std::uint32_t kEndWord = 0x40002FFF;
    const std::vector<FillCase> cases = {
        {"short messages", Cat({{0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x00}, kEnd}),
         24000, Cat({Ev(0, 0x00403C90), Ev(96, 0x00003C80), Ev(0, kEndWord)}), -1},
        {"program change and channel pressure: one data byte",
         Cat({{0x00, 0xC5, 0x07, 0x05, 0xD5, 0x30, 0x00}, kEnd}), 24000,
         Cat({Ev(0, 0x07C5), Ev(5, 0x30D5), Ev(0, kEndWord)}), -1},
        {"tempo", Cat({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00}, kEnd}), 24000,
         Cat({Ev(0, 0x0107A120), Ev(0, kEndWord)}), -1},
        // Length 6 (status and five bytes), padded to eight.
        {"SysEx padded to whole words",
         Cat({{0x10, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00}, kEnd}), 24000,
         Cat({Ev(0x10, 0x80000006), Words({0x097F7EF0, 0x0000F701}), Ev(0, kEndWord)}), -1},
        // A text meta at tick 480 between notes at 0 and 960; the later note keeps its tick.
        {"other metas dropped, their time carried",
         Cat({{0x00, 0x90, 0x3C, 0x40, 0x83, 0x60, 0xFF, 0x01, 0x02, 'h', 'i', 0x83, 0x60, 0x80,
               0x3C, 0x00, 0x00},
              kEnd}),
         24000, Cat({Ev(0, 0x00403C90), Ev(960, 0x00003C80), Ev(0, kEndWord)}), -1},
        {"a tempo meta of another length is dropped",
         Cat({{0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x05, 0x90, 0x3C, 0x40, 0x00}, kEnd}), 24000,
         Cat({Ev(5, 0x00403C90), Ev(0, kEndWord)}), -1},
        // Room for two events: the second calls back; the rest waits for the next fill.
        {"a full buffer's last event calls back",
         Cat({{0x00, 0x90, 0x3C, 0x40, 0x10, 0x90, 0x3E, 0x40, 0x10, 0x90, 0x40, 0x40, 0x00},
              kEnd}),
         24, Cat({Ev(0, 0x00403C90), Ev(0x10, 0x40403E90)}), 8},
        // The end of track only fits a buffer of its own.
        {"the end of track waits for room", Cat({{0x00, 0x90, 0x3C, 0x40, 0x00}, kEnd}), 20,
         Ev(0, 0x40403C90), 4},
        // A SysEx that no buffer of this size can hold is dropped; its time goes on.
        {"a SysEx larger than any buffer is dropped",
         Cat({{0x00, 0x90, 0x3C, 0x40, 0x07, 0xF0, 0x10, 1,  2,    3,    4,    5,    6,    7,
               8,    9,    10,   11,   12,   13,   14,   15, 0xF7, 0x02, 0x80, 0x3C, 0x00, 0x00},
              kEnd}),
         24, Cat({Ev(0, 0x00403C90), Ev(9, 0x40003C80)}), 27},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(c.name);
        cMidiFile f;
        const Bytes image = Image(96, c.events);
        f.CreateFromBytes(Smf(0, 96, {c.events}).data(), Smf(0, 96, {c.events}).size());
        ASSERT_EQ(f.Image(), image);
        std::vector<char> buffer(c.space, '\x55');
        plat::MIDIHDR h;
        h.lpData = buffer.data();
        h.dwBufferLength = c.space;
        h.dwFlags = plat::MHDR_PREPARED | plat::MHDR_DONE;
        h.dwOffset = 7;
        const int consumed = f.ConvertEvents(kMidiImageFirstEvent, &h);
        EXPECT_EQ(consumed, c.consumed < 0 ? static_cast<int>(c.events.size()) : c.consumed);
        EXPECT_EQ(h.dwBytesRecorded, c.buffer.size());
        Bytes expected = c.buffer;
        expected.resize(c.space, 0);  // the rest of the buffer is zeroed
        EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), expected);
        EXPECT_EQ(h.dwFlags.load(), 0u);
        EXPECT_EQ(h.dwOffset, 0u);
    }
}

// A song cut buffer by buffer reaches its end with every event sent once.
TEST(MidiConvertEvents, SuccessiveFillsCoverTheWholeSong) {
    Bytes events;
    for (int i = 0; i < 3000; ++i)
        events.insert(events.end(), {0x01, 0x90, static_cast<std::uint8_t>(i % 128), 0x40});
    events.push_back(0x00);
    events.insert(events.end(), kEnd.begin(), kEnd.end());
    cMidiFile f;
    const Bytes file = Smf(0, 96, {events});
    f.CreateFromBytes(file.data(), file.size());
    ASSERT_TRUE(f.HasImage());
    std::vector<char> buffer(24000);
    plat::MIDIHDR h;
    h.lpData = buffer.data();
    h.dwBufferLength = 24000;
    int position = kMidiImageFirstEvent;
    int fills = 0;
    std::uint32_t events_sent = 0;
    while (position < static_cast<int>(f.Image().size())) {
        const int consumed = f.ConvertEvents(position, &h);
        ASSERT_GT(consumed, 0);
        position += consumed;
        events_sent += h.dwBytesRecorded / 12;
        ++fills;
        // Every buffer ends with a callback event.
        std::uint32_t lastWord;
        std::memcpy(&lastWord, buffer.data() + h.dwBytesRecorded - 4, 4);
        EXPECT_TRUE(lastWord & plat::MEVT_F_CALLBACK);
    }
    EXPECT_EQ(position, static_cast<int>(f.Image().size()));
    EXPECT_EQ(fills, 2);
    EXPECT_EQ(events_sent, 3001u);
}

}  // namespace
