// The input script: the reader, and the loaded script the run consumes.
#include "platform/script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/frame.h"
#include "platform/message_box.h"
#include "platform/platform_state.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace {

using plat::ScriptInput;

ScriptInput Key(int frame, std::uint32_t key, bool down) {
    ScriptInput in;
    in.frame = frame;
    in.kind = ScriptInput::Key;
    in.key = key;
    in.down = down;
    return in;
}

ScriptInput Joy(int frame, int joy, std::uint32_t x, std::uint32_t y, std::uint32_t buttons) {
    ScriptInput in;
    in.frame = frame;
    in.kind = ScriptInput::Joy;
    in.joy = joy;
    in.x = x;
    in.y = y;
    in.buttons = buttons;
    return in;
}

ScriptInput Window(int frame, ScriptInput::Kind kind, int x = 0, int y = 0) {
    ScriptInput in;
    in.frame = frame;
    in.kind = kind;
    in.moveX = x;
    in.moveY = y;
    return in;
}

std::string Describe(const ScriptInput& in) {
    std::ostringstream s;
    s << "@" << in.frame;
    switch (in.kind) {
        case ScriptInput::Key:
            s << " key " << in.key << (in.down ? " down" : " up");
            break;
        case ScriptInput::Joy:
            s << " joy " << in.joy << " x " << in.x << " y " << in.y << " buttons " << in.buttons;
            break;
        case ScriptInput::Close:
            s << " close";
            break;
        case ScriptInput::Move:
            s << " move " << in.moveX << " " << in.moveY;
            break;
        case ScriptInput::Minimize:
            s << " minimize";
            break;
    }
    return s.str();
}

std::vector<std::string> Describe(const std::vector<ScriptInput>& inputs) {
    std::vector<std::string> out;
    for (const auto& in : inputs) out.push_back(Describe(in));
    return out;
}

struct LineCase {
    std::string line;
    std::vector<ScriptInput> inputs;
    std::vector<int> boxes;
    std::vector<std::string> dialogs;
    std::string error;  // a piece of the one error expected, empty for none
};

const LineCase kLineCases[] = {
    // What each kind of line gives.
    {"@1 key 0x27 down", {Key(1, 0x27, true)}, {}, {}, ""},
    {"@12 key 39 up", {Key(12, 39, false)}, {}, {}, ""},
    {"@1 key 0xFF down", {Key(1, 0xFF, true)}, {}, {}, ""},
    {"  @3   KEY\t0X0d   Down  ", {Key(3, 0x0D, true)}, {}, {}, ""},
    {"@2147483647 key 1 up", {Key(2147483647, 1, false)}, {}, {}, ""},
    {"@4 key 0x27 down # right", {Key(4, 0x27, true)}, {}, {}, ""},
    {"@5 joy 0 x 65535 y 32767 buttons 0x3", {Joy(5, 0, 65535, 32767, 3)}, {}, {}, ""},
    {"@5 joy 15 buttons 0xFFFFFFFF y 0 x 0x10", {Joy(5, 15, 16, 0, 0xFFFFFFFFu)}, {}, {}, ""},
    {"@7 close", {Window(7, ScriptInput::Close)}, {}, {}, ""},
    {"@7 CLOSE # the close box", {Window(7, ScriptInput::Close)}, {}, {}, ""},
    {"@8 move 120 -40", {Window(8, ScriptInput::Move, 120, -40)}, {}, {}, ""},
    {"@8 move -100000 100000", {Window(8, ScriptInput::Move, -100000, 100000)}, {}, {}, ""},
    {"@9 minimize", {Window(9, ScriptInput::Minimize)}, {}, {}, ""},
    {"box yes", {}, {plat::IDYES}, {}, ""},
    {"box no", {}, {plat::IDNO}, {}, ""},
    {"BOX Ok", {}, {plat::IDOK}, {}, ""},
    {"  box cancel  ", {}, {plat::IDCANCEL}, {}, ""},
    {"dialog C:\\game\\save 1.dat", {}, {}, {"C:\\game\\save 1.dat"}, ""},
    {"dialog   two  spaces inside, one after ", {}, {}, {"two  spaces inside, one after "}, ""},
    {"dialog", {}, {}, {""}, ""},
    {"dialog # not a comment", {}, {}, {"# not a comment"}, ""},
    {"", {}, {}, {}, ""},
    {" \t ", {}, {}, {}, ""},
    {"# @1 key 1 down", {}, {}, {}, ""},
    {"   #box yes", {}, {}, {}, ""},
    // Lines that are not understood.
    {"@0 key 1 down", {}, {}, {}, "not a frame number (1 or more): '@0'"},
    {"@ key 1 down", {}, {}, {}, "not a frame number"},
    {"@-1 key 1 down", {}, {}, {}, "not a frame number"},
    {"@2147483648 key 1 down", {}, {}, {}, "not a frame number"},
    {"@99999999999999999999999 key 1 down", {}, {}, {}, "not a frame number"},
    {"@1x key 1 down", {}, {}, {}, "not a frame number"},
    {"@1 key 0 down", {}, {}, {}, "not a key code"},
    {"@1 key 0x100 down", {}, {}, {}, "not a key code (1 to 0xFF): '0x100'"},
    {"@1 key 0x down", {}, {}, {}, "not a key code"},
    {"@1 key +5 down", {}, {}, {}, "not a key code"},
    {"@1 key -1 down", {}, {}, {}, "not a key code"},
    {"@1 key", {}, {}, {}, "needs a key code"},
    {"@1 key 0x27", {}, {}, {}, "expected 'down' or 'up'"},
    {"@1 key 0x27 sideways", {}, {}, {}, "'sideways'"},
    {"@1 key 0x27 down up", {}, {}, {}, "unexpected words after 'key': 'up'"},
    {"@1 joy 16 x 0 y 0 buttons 0", {}, {}, {}, "not a joystick number"},
    {"@1 joy 0 x 65536 y 0 buttons 0", {}, {}, {}, "not a value for 'x' (0 to 65535)"},
    {"@1 joy 0 x 1 x 2 buttons 0", {}, {}, {}, "'joy' names 'x' twice"},
    {"@1 joy 0 x 1 y 2", {}, {}, {}, "'joy' needs 'x X y Y buttons B'"},
    {"@1 joy 0 x 1 y 2 buttons 0x100000000", {}, {}, {}, "not a value for 'buttons'"},
    {"@1 joy 0 x 1 y 2 buttons 3 z 4", {}, {}, {}, "unexpected words after 'joy'"},
    {"@1 box yes",
     {},
     {},
     {},
     "expected 'key', 'joy', 'close', 'move' or 'minimize' after the frame, not 'box'"},
    {"@1", {}, {}, {}, "expected 'key', 'joy'"},
    {"@1 close now", {}, {}, {}, "unexpected words after 'close': 'now'"},
    {"@1 minimize 3", {}, {}, {}, "unexpected words after 'minimize'"},
    {"@1 move 10", {}, {}, {}, "'move' needs X and Y"},
    {"@1 move 10 y", {}, {}, {}, "'move' needs X and Y"},
    {"@1 move 100001 0", {}, {}, {}, "'move' needs X and Y"},
    {"@1 move --5 0", {}, {}, {}, "'move' needs X and Y"},
    {"@1 move 1 2 3", {}, {}, {}, "unexpected words after 'move': '3'"},
    {"box maybe", {}, {}, {}, "expected 'yes', 'no', 'ok' or 'cancel'"},
    {"box", {}, {}, {}, "expected 'yes'"},
    {"box yes please", {}, {}, {}, "unexpected words after 'box'"},
    {"dialogue x", {}, {}, {}, "unknown command 'dialogue'"},
    {"key 1 down", {}, {}, {}, "unknown command 'key'"},
    {std::string("bo\0x yes", 8), {}, {}, {}, "unknown command 'bo\\x00x'"},
    {"box \xEF\xBD\x99", {}, {}, {}, "'\\xEF\\xBD\\x99'"},
};

TEST(ParseScript, EachKindOfLine) {
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE("line: " + c.line);
        plat::Script s = plat::ParseScript(c.line);
        EXPECT_EQ(Describe(s.inputs), Describe(c.inputs));
        EXPECT_EQ(std::vector<int>(s.boxAnswers.begin(), s.boxAnswers.end()), c.boxes);
        EXPECT_EQ(std::vector<std::string>(s.dialogAnswers.begin(), s.dialogAnswers.end()),
                  c.dialogs);
        if (c.error.empty()) {
            EXPECT_TRUE(s.errors.empty()) << s.errors.front();
        } else {
            ASSERT_EQ(s.errors.size(), 1u);
            EXPECT_EQ(s.errors[0].rfind("line 1: ", 0), 0u) << s.errors[0];
            EXPECT_NE(s.errors[0].find(c.error), std::string::npos) << s.errors[0];
        }
    }
}

TEST(ParseScript, CrLfBlankLinesAndLineNumbersOfErrors) {
    plat::Script s = plat::ParseScript(
        "# a script written on Windows\r\n"
        "box yes\r\n"
        "\r\n"
        "bogus\r\n"
        "dialog a b\r\n"
        "@2 key 1 down\r\n"
        "@0 key 1 down\r\n"
        "box no");  // no newline at the end
    EXPECT_EQ(Describe(s.inputs), Describe(std::vector<ScriptInput>{Key(2, 1, true)}));
    EXPECT_EQ(std::vector<int>(s.boxAnswers.begin(), s.boxAnswers.end()),
              (std::vector<int>{plat::IDYES, plat::IDNO}));
    ASSERT_EQ(s.dialogAnswers.size(), 1u);
    EXPECT_EQ(s.dialogAnswers[0], "a b");  // the CR is not part of the answer
    ASSERT_EQ(s.errors.size(), 2u);
    EXPECT_EQ(s.errors[0], "line 4: unknown command 'bogus'");
    EXPECT_EQ(s.errors[1].rfind("line 7: ", 0), 0u) << s.errors[1];
}

TEST(ParseScript, InputsAreSortedByFrameKeepingFileOrderWithinAFrame) {
    plat::Script s = plat::ParseScript(
        "@5 key 1 down\n"
        "@2 key 2 down\n"
        "box ok\n"
        "@5 key 3 up\n"
        "@2 joy 0 x 1 y 2 buttons 3\n"
        "@1 key 4 down\n"
        "@5 key 1 up\n");
    EXPECT_EQ(Describe(s.inputs), Describe(std::vector<ScriptInput>{
                                      Key(1, 4, true), Key(2, 2, true), Joy(2, 0, 1, 2, 3),
                                      Key(5, 1, true), Key(5, 3, false), Key(5, 1, false)}));

    // Enough lines that an unstable sort would reorder lines of the same frame.
    std::string text;
    std::vector<ScriptInput> expected;
    for (int frame = 1; frame <= 5; ++frame)
        for (std::uint32_t i = 0; i < 100; ++i)
            if (static_cast<int>(i * 7 % 5) + 1 == frame)
                expected.push_back(Key(frame, i + 1, true));
    for (std::uint32_t i = 0; i < 100; ++i)
        text += "@" + std::to_string(i * 7 % 5 + 1) + " key " + std::to_string(i + 1) + " down\n";
    EXPECT_EQ(Describe(plat::ParseScript(text).inputs), Describe(expected));
}

TEST(ParseScript, HostileInputGivesShortErrorsNotFaults) {
    // A very long line, a number of many digits, and NUL bytes.
    std::string text = std::string(1 << 20, 'z') + "\n@" + std::string(5000, '9') +
                       " key 1 down\n" + std::string(300, '\0') + "\nbox ok\n";
    plat::Script s = plat::ParseScript(text);
    ASSERT_EQ(s.errors.size(), 3u);
    for (const std::string& e : s.errors) EXPECT_LT(e.size(), 200u) << e;
    EXPECT_TRUE(s.inputs.empty());
    EXPECT_EQ(s.boxAnswers.size(), 1u);  // the good line after them still counts
}

// The loaded script, as the run consumes it.
class LoadedScript : public ::testing::Test {
protected:
    void SetUp() override {
        plat::ResetPlatformState();
        saved = plat::GetSeams();
        path = ::testing::TempDir() + "k4_script_test_" + std::to_string(getpid()) + ".txt";
    }
    void TearDown() override {
        plat::SetSeams(saved);
        plat::ResetPlatformState();
        std::remove(path.c_str());
        std::remove((path + ".log").c_str());
    }
    static std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    plat::Seams saved;
    std::string path;
};

TEST_F(LoadedScript, InputsAreLookedUpByFrame) {
    plat::LoadScriptText("@3 key 1 down\n@2 key 2 down\n@3 joy 1 x 5 y 6 buttons 7\n", "");
    EXPECT_TRUE(plat::ScriptInputsForFrame(1).empty());
    EXPECT_EQ(Describe(plat::ScriptInputsForFrame(2)),
              Describe(std::vector<ScriptInput>{Key(2, 2, true)}));
    EXPECT_EQ(Describe(plat::ScriptInputsForFrame(3)),
              Describe(std::vector<ScriptInput>{Key(3, 1, true), Joy(3, 1, 5, 6, 7)}));
    EXPECT_TRUE(plat::ScriptInputsForFrame(4).empty());
    // Looking up does not consume: the present of a frame may ask again.
    EXPECT_EQ(plat::ScriptInputsForFrame(3).size(), 2u);
}

TEST_F(LoadedScript, LoadedLazilyFromTheSeamPathWithAFreshLog) {
    {
        std::ofstream(path, std::ios::binary)
            << "box no\r\ndialog save.dat\r\n@1 key 0x20 down\r\n";
        std::ofstream(path + ".log", std::ios::binary) << "a line of an earlier run\n";
    }
    plat::Seams seams;
    seams.scriptPath = path;
    plat::SetSeams(seams);
    plat::ResetScriptState();

    EXPECT_TRUE(plat::ScriptInUse());
    EXPECT_EQ(plat::ScriptLogPath(), path + ".log");
    EXPECT_EQ(Read(path + ".log"), "");
    EXPECT_EQ(plat::ScriptInputsForFrame(1).size(), 1u);
    EXPECT_EQ(plat::TakeDialogAnswer(), std::optional<std::string>("save.dat"));
    EXPECT_EQ(plat::TakeDialogAnswer(), std::nullopt);
    EXPECT_EQ(plat::TakeBoxAnswer([](int) { return true; }), std::optional<int>(plat::IDNO));
    EXPECT_EQ(plat::TakeBoxAnswer([](int) { return true; }), std::nullopt);

    plat::AppendScriptLog("first");
    plat::AppendScriptLog("second");
    EXPECT_EQ(Read(path + ".log"), "first\nsecond\n");
}

TEST_F(LoadedScript, MissingScriptFileIsAnEmptyScript) {
    plat::Seams seams;
    seams.scriptPath = path + ".missing";
    plat::SetSeams(seams);
    plat::ResetScriptState();
    EXPECT_TRUE(plat::ScriptInUse());
    EXPECT_EQ(plat::TakeBoxAnswer([](int) { return true; }), std::nullopt);
    EXPECT_TRUE(plat::ScriptInputsForFrame(1).empty());
    std::remove((path + ".missing.log").c_str());
}

TEST_F(LoadedScript, WithoutScriptNothingIsInUseOrLogged) {
    plat::SetSeams(plat::Seams{});
    plat::ResetScriptState();
    EXPECT_FALSE(plat::ScriptInUse());
    EXPECT_EQ(plat::ScriptLogPath(), "");
    plat::AppendScriptLog("nowhere");  // must not fail or write anything
    EXPECT_EQ(plat::TakeDialogAnswer(), std::nullopt);
}

TEST_F(LoadedScript, RefusedBoxAnswerStaysQueued) {
    plat::LoadScriptText("box yes\nbox ok\n", "");
    int refused = 0;
    EXPECT_EQ(plat::TakeBoxAnswer([](int id) { return id == plat::IDOK; }, &refused), std::nullopt);
    EXPECT_EQ(refused, plat::IDYES);
    EXPECT_EQ(plat::TakeBoxAnswer([](int) { return true; }), std::optional<int>(plat::IDYES));
    EXPECT_EQ(plat::TakeBoxAnswer([](int) { return true; }), std::optional<int>(plat::IDOK));
}

}  // namespace
