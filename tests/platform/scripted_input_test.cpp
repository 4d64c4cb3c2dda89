// Scripted input, headless: the key and joystick lines of frame N reach GetAsyncKeyState,
// the joystick poll and the input reader in frame N, that is after the present of N-1
// (frame 1's at start). The tests count the presents themselves.
#include "platform/scripted_input.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "base/input.h"
#include "base/key_config.h"
#include "platform/desktop.h"
#include "platform/display_window.h"
#include "platform/frame.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "support/input_world.h"
#include "support/temp_dir.h"

namespace {

bool Down(int vk) {
    return (plat::GetAsyncKeyState(vk) & 0x8000) != 0;
}

using ScriptedInput = InputWorld;

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

// The whole road of a run: K4_SCRIPT names a file, the script is loaded from it on first
// use, and each present makes the next frame's keys down for GetAsyncKeyState and for the
// reader that UpdateMainInput chooses, fixed or bound.
TEST_F(ScriptedInput, AScriptFileReachesTheKeyTableAndTheReaderOnItsFrame) {
    TempDir dir;
    const std::string path = dir.path + "/run.k4s";
    {
        std::ofstream file(path, std::ios::binary);
        file << "# left and Z from frame 3, left up at 5, Z up at 6\n"
                "@3 key 0x25 down\n"
                "@3 key 0x5A down\n"
                "@5 key 0x25 up\n"
                "@6 key 0x5A up\n";
    }
    plat::Seams seams = plat::GetSeams();
    seams.scriptPath = path;
    plat::SetSeams(seams);

    for (int useBind : {0, 1}) {
        SCOPED_TRACE(useBind ? "bound reader" : "fixed reader");
        // A fresh run: the script read again from the file, from frame 0, no key down.
        plat::ResetScriptState();
        plat::ResetFrames();
        plat::ReleaseAllKeys();
        ASSERT_TRUE(plat::ScriptInUse());
        DefaultKeyConfig(KeyConfig);
        KeyConfig.bUseBind = useBind;
        CheckedVector<cInput> list(1);
        list[0].SetRepeat(18, 6);
        list[0].ResetJoyButtons();

        std::string seen;
        plat::ApplyStartInput();
        for (int frame = 1; frame <= 7; ++frame) {
            ASSERT_EQ(plat::FrameCount(), static_cast<std::uint32_t>(frame - 1));
            UpdateMainInput(list);
            seen += std::to_string(frame) + ":" + (Down(0x25) ? "L" : "-") +
                    (Down(0x5A) ? "Z" : "-") + " " + std::to_string(list[0].wDir) + "/" +
                    std::to_string(list[0].nDirNum) + "/" + std::to_string(list[0].wButton) + "\n";
            plat::AdvanceFrame();
        }
        EXPECT_EQ(seen,
                  "1:-- 0/5/0\n"
                  "2:-- 0/5/0\n"
                  "3:LZ 1/4/1\n"
                  "4:LZ 1/4/1\n"
                  "5:-Z 0/5/1\n"
                  "6:-- 0/5/0\n"
                  "7:-- 0/5/0\n");
    }
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

// The window lines and the keys reach the main window as messages, each after the present
// of the frame before its own (frame 1's at start): a key as WM_KEYDOWN / WM_KEYUP, the close
// box as WM_CLOSE, a move as the new corner and WM_MOVE, the minimise box as a minimised window.
TEST_F(ScriptedInput, WindowLinesAndKeysReachTheMainWindow) {
    plat::LoadScriptText(
        "@1 key 0x1B down\n"
        "@2 key 0x1B up\n"
        "@2 move -30 700\n"
        "@3 minimize\n"
        "@4 close\n",
        "");
    const plat::HWND window = plat::CreateWindow(
        [](plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) -> plat::LRESULT { return 0; });
    plat::SetMainWindow(window);
    ASSERT_TRUE(plat::OpenDisplayWindow(window, "", 640, 480));
    plat::SetWindowPos(window, 10, 20, 646, 505);
    plat::ShowWindow(window, plat::SW_SHOWNORMAL);
    auto posted = [] {
        std::string seen;
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) {
            if (m.message == plat::WM_ACTIVATEAPP) continue;
            seen += std::to_string(m.message) + ":" + std::to_string(m.wParam) + ":" +
                    std::to_string(m.lParam) + " ";
        }
        return seen;
    };
    posted();
    plat::ApplyStartInput();
    EXPECT_EQ(posted(), "256:27:1 ");  // WM_KEYDOWN, Esc
    plat::AdvanceFrame();
    plat::RECT rect{};
    plat::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, -30);
    EXPECT_EQ(rect.top, 700);
    EXPECT_EQ(rect.right - rect.left, 646);  // the size stays
    EXPECT_EQ(posted(), "257:27:0 3:0:" + std::to_string(plat::MAKELPARAM(-30, 700)) + " ");
    EXPECT_FALSE(plat::IsIconic(window));
    plat::AdvanceFrame();
    EXPECT_TRUE(plat::IsIconic(window));
    EXPECT_EQ(posted(), "");
    plat::AdvanceFrame();
    EXPECT_EQ(posted(), "16:0:0 ");  // WM_CLOSE
    plat::CloseDisplayWindow();
    plat::SetMainWindow(nullptr);
    plat::DestroyWindow(window);
    plat::ForgetWindowRect(window);
}

}  // namespace
