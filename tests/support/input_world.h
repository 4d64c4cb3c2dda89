// A clean input world for one test: headless (only scripted joysticks exist), no key
// down, no joystick, a zero key configuration and no script. Restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "base/input.h"
#include "base/key_config.h"
#include "platform/frame.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/script_state.h"
#include "platform/seams.h"

class InputWorld : public ::testing::Test {
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
    static void Hold(std::initializer_list<int> keys) {
        for (int vk : keys) plat::SetKeyState(vk, true);
    }
    static void Hold(const std::vector<int>& keys) {
        for (int vk : keys) plat::SetKeyState(vk, true);
    }
    // A new state as start-up leaves it.
    static cInput Fresh() {
        cInput in;
        in.SetRepeat(18, 6);
        in.ResetJoyButtons();
        return in;
    }

private:
    plat::Seams saved_;
};

// Virtual-key codes the tests press.
constexpr int VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
constexpr int VK_Z = 0x5A, VK_X = 0x58, VK_C = 0x43, VK_V = 0x56;
constexpr int VK_A = 0x41, VK_S = 0x53, VK_D = 0x44, VK_F = 0x46;
