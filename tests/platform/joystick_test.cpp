// SDL joysticks behind the joystick numbers, with SDL's virtual devices standing in for
// plugged ones: axes on the 0-65535 scale, buttons as bits, and numbers that stay with a
// device while it is plugged in.
#include "platform/joystick.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/frame.h"
#include "platform/platform_state.h"
#include "platform/seams.h"

namespace {

class SdlJoysticks : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = plat::GetSeams();
        plat::SetSeams(plat::Seams{});  // with a display: SDL's joysticks answer
        plat::ResetPlatformState();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real joystick is plugged in";
    }
    void TearDown() override {
        for (SDL_Joystick* j : open_)
            if (j) SDL_JoystickClose(j);
        while (SDL_NumJoysticks() > 0 && SDL_JoystickIsVirtual(0)) SDL_JoystickDetachVirtual(0);
        plat::ResetPlatformState();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        plat::SetSeams(saved_);
    }
    // Plugs in a virtual device; returns the test's own handle to move it.
    SDL_Joystick* Plug() {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 12, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* j = SDL_JoystickOpen(index);
        EXPECT_NE(j, nullptr) << SDL_GetError();
        open_.push_back(j);
        return j;
    }
    void Unplug(SDL_Joystick* j) {
        SDL_JoystickID id = SDL_JoystickInstanceID(j);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
    // The next frame: the device list is looked at again.
    static void NextFrame() { plat::AdvanceFrame(); }

private:
    plat::Seams saved_;
    std::vector<SDL_Joystick*> open_;
};

TEST_F(SdlJoysticks, PositionsAndButtons) {
    plat::JoyPosition p;
    EXPECT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_UNPLUGGED);
    SDL_Joystick* pad = Plug();
    NextFrame();
    ASSERT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.x, 32768u);
    EXPECT_EQ(p.y, 32768u);
    EXPECT_EQ(p.buttons, 0u);

    SDL_JoystickSetVirtualAxis(pad, 0, -32768);
    SDL_JoystickSetVirtualAxis(pad, 1, 32767);
    SDL_JoystickSetVirtualButton(pad, 0, 1);
    SDL_JoystickSetVirtualButton(pad, 11, 1);
    NextFrame();
    ASSERT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.x, 0u);
    EXPECT_EQ(p.y, 65535u);
    EXPECT_EQ(p.buttons, 0x801u);
}

TEST_F(SdlJoysticks, NumbersStayWithTheirDevices) {
    SDL_Joystick* a = Plug();
    SDL_Joystick* b = Plug();
    SDL_JoystickSetVirtualButton(b, 1, 1);
    NextFrame();
    plat::JoyPosition p;
    ASSERT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.buttons, 0u);
    ASSERT_EQ(plat::joyGetPosEx(1, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.buttons, 2u);

    Unplug(a);
    NextFrame();
    EXPECT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_UNPLUGGED);
    ASSERT_EQ(plat::joyGetPosEx(1, &p), plat::JOYERR_NOERROR);  // still 1
    EXPECT_EQ(p.buttons, 2u);

    SDL_Joystick* c = Plug();  // takes the free number 0
    SDL_JoystickSetVirtualButton(c, 2, 1);
    NextFrame();
    ASSERT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.buttons, 4u);
    EXPECT_EQ(plat::joyGetPosEx(2, &p), plat::JOYERR_UNPLUGGED);
}

TEST_F(SdlJoysticks, AScriptedJoystickOverridesTheDevice) {
    SDL_Joystick* pad = Plug();
    SDL_JoystickSetVirtualButton(pad, 0, 1);
    plat::SetScriptedJoystick(0, 1, 2, 0x40);
    NextFrame();
    plat::JoyPosition p;
    ASSERT_EQ(plat::joyGetPosEx(0, &p), plat::JOYERR_NOERROR);
    EXPECT_EQ(p.x, 1u);
    EXPECT_EQ(p.buttons, 0x40u);
}

}  // namespace
