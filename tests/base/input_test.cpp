// The two input readers: which source wins, the dead-zone edges, the direction numbers,
// the joystick retry, and the bounds put on the key configuration's values.
#include "base/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/key_config.h"
#include "support/input_world.h"

namespace {

constexpr std::uint32_t kCentre = 32768;

struct Stick {
    std::uint32_t x = kCentre, y = kCentre, buttons = 0;
};

struct ReadCase {
    const char* name;
    std::vector<int> keys;
    std::optional<Stick> joy;  // joystick 0, absent when empty
    std::uint16_t dir;
    int dirNum;
    std::uint16_t button;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class FixedReader : public InputWorld, public ::testing::WithParamInterface<ReadCase> {};

const ReadCase kFixedCases[] = {
    {"Nothing", {}, std::nullopt, 0, 5, 0},
    {"LeftAndRightArrowsCancelInTheNumberOnly", {VK_LEFT, VK_RIGHT}, std::nullopt, 3, 5, 0},
    {"UpLeft", {VK_UP, VK_LEFT}, std::nullopt, 5, 1, 0},
    {"DownRight", {VK_DOWN, VK_RIGHT}, std::nullopt, 10, 9, 0},
    {"AllFourArrows", {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}, std::nullopt, 15, 5, 0},
    {"LetterKeysAreButtonsOneToEight",
     {VK_Z, VK_X, VK_C, VK_V, VK_A, VK_S, VK_D, VK_F},
     std::nullopt,
     0,
     5,
     255},
    {"LetterKeysInOrder", {VK_X, VK_A, VK_F}, std::nullopt, 0, 5, 2 | 16 | 128},
    // Dead-zone edges on both axes.
    {"X10000IsLeft", {}, Stick{10000, kCentre, 0}, 1, 4, 0},
    {"X10001IsCentred", {}, Stick{10001, kCentre, 0}, 0, 5, 0},
    {"X55534IsCentred", {}, Stick{55534, kCentre, 0}, 0, 5, 0},
    {"X55535IsRight", {}, Stick{55535, kCentre, 0}, 2, 6, 0},
    {"Y10000IsUp", {}, Stick{kCentre, 10000, 0}, 4, 2, 0},
    {"Y10001IsCentred", {}, Stick{kCentre, 10001, 0}, 0, 5, 0},
    {"Y55534IsCentred", {}, Stick{kCentre, 55534, 0}, 0, 5, 0},
    {"Y55535IsDown", {}, Stick{kCentre, 55535, 0}, 8, 8, 0},
    {"StickUpLeft", {}, Stick{0, 0, 0}, 5, 1, 0},
    {"StickDownRight", {}, Stick{65535, 65535, 0}, 10, 9, 0},
    // The joystick replaces the keyboard for the half it gives, and only then.
    {"StickLeftReplacesRightArrow", {VK_RIGHT}, Stick{0, kCentre, 0}, 1, 4, 0},
    {"CentredStickLeavesTheArrow", {VK_RIGHT}, Stick{}, 2, 6, 0},
    {"StickButtonReplacesLetterKeys", {VK_X}, Stick{kCentre, kCentre, 1}, 0, 5, 1},
    {"NoStickButtonLeavesLetterKeys", {VK_X}, Stick{}, 0, 5, 2},
    {"StickDirectionKeepsLetterKeys", {VK_Z}, Stick{0, kCentre, 0}, 1, 4, 1},
    {"StickButtonKeepsArrows", {VK_DOWN}, Stick{kCentre, kCentre, 0x80}, 8, 8, 128},
    // Buttons past the eighth are not mapped by default.
    {"StickButtonNineIsNothing", {VK_C}, Stick{kCentre, kCentre, 0x100}, 0, 5, 4},
};

TEST_P(FixedReader, Reads) {
    const ReadCase& c = GetParam();
    Hold(c.keys);
    if (c.joy) plat::SetScriptedJoystick(0, c.joy->x, c.joy->y, c.joy->buttons);
    cInput in = Fresh();
    in.wDir = 0xFFFF;  // every call writes fresh bits
    in.wButton = 0xFFFF;
    ASSERT_EQ(in.ReadFixed(0, 3, 60), 1);
    EXPECT_EQ(in.wDir, c.dir);
    EXPECT_EQ(in.nDirNum, c.dirNum);
    EXPECT_EQ(in.wButton, c.button);
    EXPECT_EQ(in.bJoyOk, c.joy ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedReader, ::testing::ValuesIn(kFixedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A remapped joystick: its buttons 1, 2 and 9 all count as button 1, its button 2 also as
// button 3, nothing makes button 2, and its button 3 counts for no button at all.
using JoyButtonMasks = InputWorld;

TEST_F(JoyButtonMasks, FixedReaderMapsThroughTheMasks) {
    const std::uint16_t masks[8] = {0x0103, 0x0000, 0x0002, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080};
    const struct {
        const char* name;
        std::uint32_t joyButtons;
        std::vector<int> keys;
        std::uint16_t button;
    } cases[] = {
        {"Button1", 0x001, {}, 1},
        {"Button9CountsAsButton1", 0x100, {}, 1},
        {"OneStickButtonForTwoButtons", 0x002, {}, 1 | 4},
        {"Button4KeepsItsDefault", 0x008, {}, 8},
        // No mask takes button 3: the stick gave no button, so the letter keys count.
        {"UnmappedStickButtonLeavesTheKeys", 0x004, {VK_X}, 2},
        {"EveryStickButtonNeverMakesButton2", 0xFFFFFFFF, {VK_X}, 0xFD},
        // A mapped stick button replaces the keys, X included, though no mask makes button 2.
        {"MappedStickButtonReplacesTheKeys", 0x001, {VK_X, VK_C}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plat::ReleaseAllKeys();
        Hold(c.keys);
        plat::SetScriptedJoystick(0, kCentre, kCentre, c.joyButtons);
        cInput in = Fresh();
        std::copy(std::begin(masks), std::end(masks), in.wJoyButtonMask);
        in.wButton = 0xFFFF;
        ASSERT_EQ(in.ReadFixed(0, 3, 60), 1);
        EXPECT_EQ(in.bJoyOk, 1);
        EXPECT_EQ(in.wButton, c.button);
        EXPECT_EQ(in.wDir, 0);
    }
}

TEST(ClearInput, EachClearTouchesItsOwnHalfOnly) {
    const struct {
        const char* name;
        void (cInput::*clear)();
        std::uint16_t dir;
        int dirNum;
        std::uint16_t button;
    } cases[] = {
        {"ClearDirection", &cInput::ClearDirection, 0, 5, 0x1A5},
        {"ClearButtons", &cInput::ClearButtons, 15, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cInput in;
        in.wDir = 15;
        in.nDirNum = 1;
        in.wButton = 0x1A5;
        in.wDirRecent = 0x1234;
        in.bLatch = 1;
        in.nRepeatH = 7;
        (in.*c.clear)();
        EXPECT_EQ(in.wDir, c.dir);
        EXPECT_EQ(in.nDirNum, c.dirNum);
        EXPECT_EQ(in.wButton, c.button);
        // What the menu filters remember is not the clears' business.
        EXPECT_EQ(in.wDirRecent, 0x1234);
        EXPECT_EQ(in.bLatch, 1);
        EXPECT_EQ(in.nRepeatH, 7);
    }
}

TEST(DirectionNumber, LeftWinsOverRightAndUpOverDown) {
    const int expected[16] = {5, 4, 6, 4, 2, 1, 3, 1, 8, 7, 9, 7, 2, 1, 3, 1};
    for (int bits = 0; bits < 16; ++bits)
        EXPECT_EQ(DirectionNumber(static_cast<std::uint16_t>(bits)), expected[bits]) << bits;
}

TEST(JoyAxisPressed, OnlyTheFourAxisCodes) {
    const plat::JoyPosition low{10000, 10000, 0xFFFFFFFF};
    const plat::JoyPosition high{55535, 55535, 0xFFFFFFFF};
    const plat::JoyPosition inner{10001, 55534, 0};
    EXPECT_TRUE(cInput::JoyAxisPressed(low, kJoyXLow));
    EXPECT_TRUE(cInput::JoyAxisPressed(low, kJoyYLow));
    EXPECT_FALSE(cInput::JoyAxisPressed(low, kJoyXHigh));
    EXPECT_TRUE(cInput::JoyAxisPressed(high, kJoyXHigh));
    EXPECT_TRUE(cInput::JoyAxisPressed(high, kJoyYHigh));
    EXPECT_FALSE(cInput::JoyAxisPressed(high, kJoyYLow));
    EXPECT_FALSE(cInput::JoyAxisPressed(inner, kJoyXLow));
    EXPECT_FALSE(cInput::JoyAxisPressed(inner, kJoyYHigh));
    // Buttons and combined codes are no axis.
    EXPECT_FALSE(cInput::JoyAxisPressed(low, 1));
    EXPECT_FALSE(cInput::JoyAxisPressed(low, kJoyXLow | kJoyYLow));
}

using ReaderChoice = InputWorld;

TEST_F(ReaderChoice, EachReaderRefusesTheOtherFlagStateAndTouchesNothing) {
    Hold({VK_LEFT, VK_Z});
    cInput in = Fresh();
    in.wDir = 0x40;
    in.wButton = 0x400;
    in.nDirNum = 77;

    KeyConfig.bUseBind = 1;
    EXPECT_EQ(in.ReadFixed(0, 3, 60), 0);
    KeyConfig.bUseBind = 0;
    EXPECT_EQ(in.ReadBound(1, 60), 0);
    EXPECT_EQ(in.wDir, 0x40);
    EXPECT_EQ(in.wButton, 0x400);
    EXPECT_EQ(in.nDirNum, 77);
    // Not even the joystick was polled.
    EXPECT_EQ(in.bJoyOk, 0);
    EXPECT_EQ(in.nJoyRetry, 0);
}

TEST_F(ReaderChoice, UpdateMainInputFollowsTheFlag) {
    DefaultKeyConfig(KeyConfig);
    Hold({VK_LEFT, VK_RIGHT});
    CheckedVector<cInput> list(1);
    list[0] = Fresh();

    UpdateMainInput(list);  // the fixed reader: both bits
    EXPECT_EQ(list[0].wDir, 3);
    EXPECT_EQ(list[0].nDirNum, 5);

    KeyConfig.bUseBind = 1;
    UpdateMainInput(list);  // the bound reader: left wins
    EXPECT_EQ(list[0].wDir, 1);
    EXPECT_EQ(list[0].nDirNum, 4);
}

// Nothing in this program has touched InputList: its one element is as the constructor
// made it, before start-up gives it the repeat settings and the joystick button masks.
TEST_F(ReaderChoice, TheProgramsListHoldsOneFreshState) {
    ASSERT_EQ(InputList.Size(), 1u);
    const cInput& in = InputList[0];
    // The logs that the flow key conditions index: 10 and 9 logs of 32 {0, 0} entries.
    ASSERT_EQ(in.DirLog.Size(), 10u);
    ASSERT_EQ(in.ButtonLog.Size(), 9u);
    for (const auto* logs : {&in.DirLog, &in.ButtonLog})
        for (const KeyEventLog& log : *logs) {
            ASSERT_EQ(log.Size(), 32u);
            for (const KEYEVENT& e : log) EXPECT_EQ(e, (KEYEVENT{0, 0}));
        }
    // An empty history: every run {0, 0}, both ring indexes 0.
    for (int channel = 0; channel < 2; ++channel) {
        EXPECT_EQ(in.History.index[channel], 0);
        for (const KeyHistory::Run& run : in.History.runs[channel]) {
            EXPECT_EQ(run.state, 0);
            EXPECT_EQ(run.frames, 0);
        }
    }
    // Every scalar 0, the direction number included.
    EXPECT_EQ(in.wDir, 0);
    EXPECT_EQ(in.wButton, 0);
    EXPECT_EQ(in.wDirRecent, 0);
    EXPECT_EQ(in.nDirNum, 0);
    EXPECT_EQ(in.nRepeatH, 0);
    EXPECT_EQ(in.nRepeatV, 0);
    EXPECT_EQ(in.nRepeatDelay, 0u);
    EXPECT_EQ(in.nRepeatInterval, 0u);
    EXPECT_EQ(in.bLatch, 0);
    for (std::uint16_t mask : in.wJoyButtonMask) EXPECT_EQ(mask, 0);
    EXPECT_EQ(in.bJoyOk, 0);
    EXPECT_EQ(in.nJoyRetry, 0);

    // So its first read polls the joystick at once (on a copy: the list stays fresh).
    plat::SetScriptedJoystick(0, 0, kCentre, 0);
    CheckedVector<cInput> copy = InputList;
    UpdateMainInput(copy);
    EXPECT_EQ(copy[0].bJoyOk, 1);
    EXPECT_EQ(copy[0].wDir, kDirLeft);
    EXPECT_EQ(copy[0].nDirNum, 4);
}

// A joystick that failed is left alone for twice the retry frames.
using JoystickRetry = InputWorld;

TEST_F(JoystickRetry, FixedReaderPollsAgainAfter120Frames) {
    cInput in = Fresh();
    ASSERT_EQ(in.ReadFixed(0, 3, 60), 1);  // nothing plugged in
    EXPECT_EQ(in.bJoyOk, 0);
    EXPECT_EQ(in.nJoyRetry, 120);

    plat::SetScriptedJoystick(0, 0, kCentre, 0);  // plugged in, pushed left
    Hold({VK_RIGHT});
    for (int frame = 1; frame <= 120; ++frame) {
        in.ReadFixed(0, 3, 60);
        ASSERT_EQ(in.wDir, kDirRight) << "frame " << frame;  // the keyboard alone
    }
    EXPECT_EQ(in.nJoyRetry, 0);
    in.ReadFixed(0, 3, 60);
    EXPECT_EQ(in.bJoyOk, 1);
    EXPECT_EQ(in.wDir, kDirLeft);
}

TEST_F(JoystickRetry, JoystickAloneKeepsTheBitsWhileItIsAway) {
    Hold({VK_RIGHT, VK_Z});
    cInput in = Fresh();
    in.wDir = kDirUp;
    in.nDirNum = 2;
    in.wButton = 4;
    in.ReadFixed(0, 1, 60);  // no joystick, keyboard not allowed
    EXPECT_EQ(in.wDir, kDirUp);
    EXPECT_EQ(in.nDirNum, 2);
    EXPECT_EQ(in.wButton, 4);
}

TEST_F(JoystickRetry, KeyboardAloneStillPollsTheJoystick) {
    plat::SetScriptedJoystick(0, 0, 0, 1);
    Hold({VK_DOWN});
    cInput in = Fresh();
    in.ReadFixed(0, 2, 60);
    EXPECT_EQ(in.bJoyOk, 1);
    EXPECT_EQ(in.wDir, kDirDown);
    EXPECT_EQ(in.wButton, 0);
}

TEST_F(JoystickRetry, BoundReaderCountsVisitsWithOneSharedCount) {
    DefaultKeyConfig(KeyConfig);
    KeyConfig.bUseBind = 1;
    KeyConfig.nJoyCount = 2;
    cInput in = Fresh();
    in.ReadBound(1, 60);
    // Joystick 0 failed and set 120; joystick 1's visit then counted down.
    EXPECT_EQ(in.bJoyOk, 0);
    EXPECT_EQ(in.nJoyRetry, 119);
    in.ReadBound(1, 60);
    EXPECT_EQ(in.nJoyRetry, 117);
}

// The bound reader over a configuration. Bindings 0-3 are the arrows, 4-11 ZXCVASDF,
// unless a case changes them.
struct BoundCase {
    const char* name;
    void (*configure)(cKeyConfig&);
    std::vector<int> keys;
    std::vector<std::pair<int, Stick>> joys;
    std::uint16_t dir;
    int dirNum;
    std::uint16_t button;
};

void PrintTo(const BoundCase& c, std::ostream* os) {
    *os << c.name;
}

void Defaults(cKeyConfig&) {}
void BindCount6(cKeyConfig& k) {
    k.nBindCount = 6;
}
void BindCount100(cKeyConfig& k) {
    k.nBindCount = 100;
}
void BindCountNegative(cKeyConfig& k) {
    k.nBindCount = -5;
}
// A joystick player's file: X low on joystick 0 is left, its button 1 is button 1.
void JoystickLeftAndButton(cKeyConfig& k) {
    k.Bind[0] = KEYBIND{0, kJoyXLow, 0};
    k.Bind[4] = KEYBIND{0, 1, 0};
}
// All four directions on joystick 0's axes.
void JoystickAxes(cKeyConfig& k) {
    k.Bind[0] = KEYBIND{0, kJoyXLow, 0};
    k.Bind[1] = KEYBIND{0, kJoyXHigh, 0};
    k.Bind[2] = KEYBIND{0, kJoyYLow, 0};
    k.Bind[3] = KEYBIND{0, kJoyYHigh, 0};
}
void LeftOnJoystick1(cKeyConfig& k) {
    k.Bind[0] = KEYBIND{1, kJoyXLow, 0};
}
void LeftOnJoystickMinus1(cKeyConfig& k) {
    k.Bind[0] = KEYBIND{-1, kJoyXLow, 0};
}
void LeftOnJoystick16OfMany(cKeyConfig& k) {
    k.nJoyCount = 1000;
    k.Bind[0] = KEYBIND{16, kJoyXLow, 0};
}
void NegativeJoystickCount(cKeyConfig& k) {
    k.nJoyCount = -3;
    k.Bind[0] = KEYBIND{0, kJoyXLow, 0};
}
void LeftKeyAbove255(cKeyConfig& k) {
    k.Bind[0].wCode = 0x100 | VK_LEFT;
}
void AxisCodeAsButton(cKeyConfig& k) {
    k.Bind[4] = KEYBIND{0, kJoyXLow, 0};
}
void ButtonCodeAsDirection(cKeyConfig& k) {
    k.Bind[3] = KEYBIND{0, 4, 0};
}

const BoundCase kBoundCases[] = {
    {"LeftWinsOverRight", Defaults, {VK_LEFT, VK_RIGHT}, {}, 1, 4, 0},
    {"UpWinsOverDown", Defaults, {VK_UP, VK_DOWN}, {}, 4, 2, 0},
    {"DownRight", Defaults, {VK_DOWN, VK_RIGHT}, {}, 10, 9, 0},
    {"AllButtons", Defaults, {VK_Z, VK_X, VK_C, VK_V, VK_A, VK_S, VK_D, VK_F}, {}, 0, 5, 255},
    {"BindingCount6GivesButtons1And2Only",
     BindCount6,
     {VK_Z, VK_X, VK_C, VK_V, VK_A, VK_S, VK_D, VK_F},
     {},
     0,
     5,
     3},
    {"BindingCountAbove12IsTwelve",
     BindCount100,
     {VK_Z, VK_X, VK_C, VK_V, VK_A, VK_S, VK_D, VK_F},
     {},
     0,
     5,
     255},
    {"NegativeBindingCountGivesNoButtons", BindCountNegative, {VK_Z, VK_LEFT}, {}, 1, 4, 0},
    {"JoystickXAt10000IsLeft",
     JoystickLeftAndButton,
     {VK_DOWN},
     {{0, Stick{10000, kCentre, 1}}},
     9,
     7,
     1},
    {"JoystickXAt10001IsNot",
     JoystickLeftAndButton,
     {VK_LEFT, VK_X},
     {{0, Stick{10001, kCentre, 0}}},
     0,
     5,
     2},
    // The dead-zone edges of every axis code; the arrows, no longer bound, count for nothing.
    {"AxisX10000IsLeft", JoystickAxes, {VK_RIGHT}, {{0, Stick{10000, kCentre, 0}}}, 1, 4, 0},
    {"AxisX10001IsCentred", JoystickAxes, {VK_LEFT}, {{0, Stick{10001, kCentre, 0}}}, 0, 5, 0},
    {"AxisX55534IsCentred", JoystickAxes, {VK_RIGHT}, {{0, Stick{55534, kCentre, 0}}}, 0, 5, 0},
    {"AxisX55535IsRight", JoystickAxes, {}, {{0, Stick{55535, kCentre, 0}}}, 2, 6, 0},
    {"AxisY10000IsUp", JoystickAxes, {VK_DOWN}, {{0, Stick{kCentre, 10000, 0}}}, 4, 2, 0},
    {"AxisY10001IsCentred", JoystickAxes, {VK_UP}, {{0, Stick{kCentre, 10001, 0}}}, 0, 5, 0},
    {"AxisY55534IsCentred", JoystickAxes, {VK_DOWN}, {{0, Stick{kCentre, 55534, 0}}}, 0, 5, 0},
    {"AxisY55535IsDown", JoystickAxes, {}, {{0, Stick{kCentre, 55535, 0}}}, 8, 8, 0},
    {"AxisCornersAtTheEdges", JoystickAxes, {}, {{0, Stick{55535, 10000, 0}}}, 6, 3, 0},
    {"AxisCornersJustInside", JoystickAxes, {}, {{0, Stick{10001, 55534, 0}}}, 0, 5, 0},
    {"KeyboardBindingsBesideJoystickOnes",
     JoystickLeftAndButton,
     {VK_RIGHT, VK_Z, VK_X},
     {{0, Stick{}}},
     2,
     6,
     2},
    {"JoystickBindingWithoutAJoystick", JoystickLeftAndButton, {}, {}, 0, 5, 0},
    {"DeviceAtJoystickCountIsNeverDown", LeftOnJoystick1, {}, {{1, Stick{0, kCentre, 0}}}, 0, 5, 0},
    {"NegativeDeviceIsNeverDown", LeftOnJoystickMinus1, {}, {{0, Stick{0, kCentre, 0}}}, 0, 5, 0},
    {"JoystickCountAbove16IsSixteen",
     LeftOnJoystick16OfMany,
     {},
     {{0, Stick{0, kCentre, 0}}},
     0,
     5,
     0},
    {"NegativeJoystickCountPollsNone",
     NegativeJoystickCount,
     {},
     {{0, Stick{0, kCentre, 0}}},
     0,
     5,
     0},
    {"KeyCodeAbove255NeverReadsTheTable", LeftKeyAbove255, {VK_LEFT}, {}, 0, 5, 0},
    {"AxisCodeInAButtonBindingIsAMask", AxisCodeAsButton, {}, {{0, Stick{0, kCentre, 0}}}, 0, 5, 0},
    {"AxisCodeInAButtonBindingMatchesButton9",
     AxisCodeAsButton,
     {},
     {{0, Stick{kCentre, kCentre, 0x100}}},
     0,
     5,
     1},
    {"ButtonMaskInADirectionBinding",
     ButtonCodeAsDirection,
     {},
     {{0, Stick{kCentre, kCentre, 4}}},
     8,
     8,
     0},
};

class BoundReader : public InputWorld, public ::testing::WithParamInterface<BoundCase> {};

TEST_P(BoundReader, Reads) {
    const BoundCase& c = GetParam();
    DefaultKeyConfig(KeyConfig);
    KeyConfig.bUseBind = 1;
    c.configure(KeyConfig);
    Hold(c.keys);
    for (const auto& [id, stick] : c.joys)
        plat::SetScriptedJoystick(id, stick.x, stick.y, stick.buttons);
    cInput in = Fresh();
    in.wDir = 0xFFFF;
    in.wButton = 0xFFFF;
    ASSERT_EQ(in.ReadBound(1, 60), 1);
    EXPECT_EQ(in.wDir, c.dir);
    EXPECT_EQ(in.nDirNum, c.dirNum);
    EXPECT_EQ(in.wButton, c.button);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoundReader, ::testing::ValuesIn(kBoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderChoice, BoundReaderReachesTheSixteenthJoystick) {
    DefaultKeyConfig(KeyConfig);
    KeyConfig.bUseBind = 1;
    KeyConfig.nJoyCount = 16;
    KeyConfig.Bind[0] = KEYBIND{15, kJoyXLow, 0};
    KeyConfig.Bind[11] = KEYBIND{15, 0x8000, 0};
    for (int id = 0; id < 15; ++id) plat::SetScriptedJoystick(id, 0, 0, 0xFFFFFFFF);
    plat::SetScriptedJoystick(15, 0, kCentre, 0x8000);
    cInput in = Fresh();
    in.ReadBound(1, 60);
    EXPECT_EQ(in.wDir, kDirLeft);
    EXPECT_EQ(in.wButton, 128);
}

// One retry count serves every joystick: while joystick 0 is away, the visits to the
// others count it down instead of polling them.
TEST_F(ReaderChoice, BoundReaderSkipsLaterJoysticksWhileAnEarlierOneIsAway) {
    DefaultKeyConfig(KeyConfig);
    KeyConfig.bUseBind = 1;
    KeyConfig.nJoyCount = 2;
    KeyConfig.Bind[0] = KEYBIND{1, kJoyXLow, 0};
    plat::SetScriptedJoystick(1, 0, kCentre, 0);
    cInput in = Fresh();
    std::vector<int> leftFrames;
    for (int frame = 0; frame < 125; ++frame) {
        in.ReadBound(1, 60);
        if (in.wDir == kDirLeft) leftFrames.push_back(frame);
    }
    EXPECT_EQ(leftFrames, (std::vector<int>{60, 121}));
}

TEST_F(ReaderChoice, BoundReaderWithoutPlayersWritesNoBits) {
    DefaultKeyConfig(KeyConfig);
    KeyConfig.bUseBind = 1;
    Hold({VK_LEFT});
    cInput in = Fresh();
    in.wDir = 0x40;
    EXPECT_EQ(in.ReadBound(0, 60), 1);
    EXPECT_EQ(in.wDir, 0x40);
    // More players than the record holds read its one block.
    EXPECT_EQ(in.ReadBound(4, 60), 1);
    EXPECT_EQ(in.wDir, kDirLeft);
}

}  // namespace
