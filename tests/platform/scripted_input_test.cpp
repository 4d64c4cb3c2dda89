// Scripted input, headless: the key and joystick lines of frame N reach GetAsyncKeyState,
// the joystick poll and the input reader in frame N, that is after the present of N-1
// (frame 1's at start). The tests count the presents themselves.
#include "platform/scripted_input.h"

#include <gtest/gtest.h>

#include <string>

#include "app/input.h"
#include "app/key_config.h"
#include "platform/frame.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/script_state.h"
#include "platform/seams.h"

namespace {

bool Down(int vk) {
    return (plat::GetAsyncKeyState(vk) & 0x8000) != 0;
}

class ScriptedInput : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        Clean();
    }
    void TearDown() override {
        Clean();
        plat::SetSeams(saved_);
    }
    static void Clean() {
        plat::ResetScriptState();
        plat::ResetFrames();
        plat::ReleaseAllKeys();
        plat::ResetJoysticks();
        KeyConfig = cKeyConfig{};
    }

private:
    plat::Seams saved_;
};

TEST_F(ScriptedInput, AKeyLineTakesEffectOnItsFrame) {
    plat::LoadScriptText(
        "@1 key 0x5A down\n"
        "@3 key 0x25 down\n"
        "@4 key 0x5A up\n"
        "@6 key 0x25 up\n",
        "");
    cInput in;
    in.ResetJoyButtons();
    std::string seen;
    plat::ApplyStartInput();  // start-up, before the game thread
    for (int frame = 1; frame <= 6; ++frame) {
        ASSERT_EQ(plat::FrameCount(), static_cast<std::uint32_t>(frame - 1));
        in.ReadFixed(0, 3, 60);  // the frame's input read
        seen += std::to_string(frame) + ":" + std::to_string(in.wDir) + "/" +
                std::to_string(in.wButton) + (Down(0x25) ? "L" : "") + " ";
        plat::AdvanceFrame();  // its present
    }
    EXPECT_EQ(seen, "1:0/1 2:0/1 3:1/1L 4:1/0L 5:1/0L 6:0/0 ");
}

TEST_F(ScriptedInput, TheFirstPresentAppliesFrameOneWhenStartUpDidNot) {
    plat::LoadScriptText("@1 key 0x41 down\n@1 key 0x42 down\n@2 key 0x41 up\n", "");
    EXPECT_FALSE(Down(0x41));
    plat::AdvanceFrame();
    EXPECT_FALSE(Down(0x41));  // frame 1's down, then frame 2's up, in order
    EXPECT_TRUE(Down(0x42));

    // Frame 1's lines are applied once per run.
    plat::SetKeyState(0x42, false);
    plat::ApplyStartInput();
    plat::AdvanceFrame();
    EXPECT_FALSE(Down(0x42));

    // A run that starts again from frame 0 applies them again.
    plat::ResetFrames();
    plat::ApplyStartInput();
    EXPECT_TRUE(Down(0x42));
}

TEST_F(ScriptedInput, AJoystickLineMakesTheJoystickExistFromItsFrameOn) {
    plat::LoadScriptText(
        "@2 joy 0 x 0 y 32768 buttons 0x3\n"
        "@3 joy 0 x 65535 y 65535 buttons 0\n"
        "@2 joy 15 x 1 y 2 buttons 0x80000000\n",
        "");
    plat::ApplyStartInput();
    plat::JoyPosition p;
    EXPECT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_UNPLUGGED);  // frame 1

    plat::AdvanceFrame();  // present of frame 1: frame 2's lines
    ASSERT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.x, 0u);
    EXPECT_EQ(p.y, 32768u);
    EXPECT_EQ(p.buttons, 3u);
    ASSERT_EQ(plat::joyGetPosEx(15, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.buttons, 0x80000000u);
    EXPECT_EQ(plat::joyGetPosEx(1, &p), plat::JOYERR_UNPLUGGED);

    cInput in;
    in.ResetJoyButtons();
    in.ReadFixed(0, 3, 60);
    EXPECT_EQ(in.wDir, kDirLeft);
    EXPECT_EQ(in.wButton, 3);

    plat::AdvanceFrame();
    plat::AdvanceFrame();  // a joystick keeps its last state
    in.ReadFixed(0, 3, 60);
    EXPECT_EQ(in.wDir, kDirRight | kDirDown);
    EXPECT_EQ(in.nDirNum, 9);
    EXPECT_EQ(in.wButton, 0);
}

TEST_F(ScriptedInput, JoystickNumbersOutsideTheRangeAreRefused) {
    plat::JoyPosition p;
    p.x = 123;
    EXPECT_EQ(plat::joyGetPosEx(-1, &p), plat::JOYERR_PARMS);
    EXPECT_EQ(plat::joyGetPosEx(16, &p), plat::JOYERR_PARMS);
    EXPECT_EQ(plat::joyGetPosEx(0, nullptr), plat::JOYERR_PARMS);
    plat::SetScriptedJoystick(16, 0, 0, 0);
    plat::SetScriptedJoystick(-1, 0, 0, 0);
    EXPECT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_UNPLUGGED);  // headless: nothing else
    EXPECT_EQ(p.x, 123u);                                         // untouched on failure

    plat::SetScriptedJoystick(3, 7, 8, 9);
    ASSERT_EQ(plat::joyGetPosEx(3, &p), plat::JOYERR_NOERROR);
    plat::ResetJoysticks();
    EXPECT_EQ(plat::joyGetPosEx(3, &p), plat::JOYERR_UNPLUGGED);
}

TEST_F(ScriptedInput, WithoutAScriptPresentsChangeNoInput) {
    plat::SetKeyState(0x20, true);
    plat::ApplyStartInput();
    for (int i = 0; i < 5; ++i) plat::AdvanceFrame();
    EXPECT_TRUE(Down(0x20));
    plat::JoyPosition p;
    EXPECT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_UNPLUGGED);
}

}  // namespace
