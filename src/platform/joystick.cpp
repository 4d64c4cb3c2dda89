// Joysticks: the script's states, or SDL's devices behind stable numbers.
//
// The readers poll on whichever thread runs the frame loop, the script is applied by the
// present and at start-up, so one mutex guards the state; it is never held while waiting
// for anything but SDL's own joystick calls. Nothing here allocates per poll.
#include "platform/joystick.h"

#include <SDL.h>

#include <array>
#include <mutex>

#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/seams.h"

namespace plat {
namespace {

struct ScriptedJoystick {
    bool present = false;
    JoyPosition position;
};

struct SdlSlot {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
};

// SDL's device list is refreshed at most once per frame (or, should frames stall, every
// few milliseconds): the bound reader polls up to 16 joysticks in one frame.
constexpr std::uint64_t kRefreshMs = 10;

struct State {
    std::mutex mutex;
    std::array<ScriptedJoystick, kMaxJoysticks> scripted{};
    bool sdlTried = false;
    bool sdlReady = false;
    std::array<SdlSlot, kMaxJoysticks> slots{};
    int knownDevices = -1;  // SDL's device count at the last matching; -1 forces one
    bool refreshed = false;
    std::uint32_t refreshFrame = 0;
    std::uint64_t refreshTime = 0;
};

State& GetState() {
    static State state;
    return state;
}

// The joystick subsystem alone: video belongs to the window, which may not exist.
bool EnsureSdl(State& s) {
    if (s.sdlTried) return s.sdlReady;
    s.sdlTried = true;
    // The readers run only while the program is active; the state must not freeze when
    // SDL thinks no window of ours has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    // The positions are polled here; the window's event queue has no use for them, and
    // ignoring the events keeps the queue free of them.
    SDL_JoystickEventState(SDL_IGNORE);
    s.sdlReady = true;
    return true;
}

bool Occupied(const State& s, SDL_JoystickID instance) {
    for (const SdlSlot& slot : s.slots)
        if (slot.joystick && slot.instance == instance) return true;
    return false;
}

// Closes the devices that went away and opens new ones into the lowest free numbers.
void MatchDevices(State& s) {
    bool lost = false;
    for (SdlSlot& slot : s.slots) {
        if (slot.joystick && !SDL_JoystickGetAttached(slot.joystick)) {
            SDL_JoystickClose(slot.joystick);
            slot = SdlSlot{};
            lost = true;
        }
    }
    int devices = SDL_NumJoysticks();
    if (devices < 0) devices = 0;
    if (!lost && devices == s.knownDevices) return;
    s.knownDevices = devices;
    for (int i = 0; i < devices; ++i) {
        SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(i);
        if (instance < 0 || Occupied(s, instance)) continue;
        SdlSlot* free = nullptr;
        for (SdlSlot& slot : s.slots) {
            if (!slot.joystick) {
                free = &slot;
                break;
            }
        }
        if (!free) return;  // sixteen in use: the rest stay without a number
        // A device that cannot be opened is tried again at the next change of devices.
        if (SDL_Joystick* joystick = SDL_JoystickOpen(i)) {
            free->joystick = joystick;
            free->instance = SDL_JoystickInstanceID(joystick);
        }
    }
}

void Refresh(State& s) {
    std::uint32_t frame = FrameCount();
    // Device changes happen in real time, whatever clock the game runs on.
    std::uint64_t now = RealMilliseconds();
    if (s.refreshed && frame == s.refreshFrame && now - s.refreshTime < kRefreshMs) return;
    s.refreshed = true;
    s.refreshFrame = frame;
    s.refreshTime = now;
    SDL_JoystickUpdate();
    MatchDevices(s);
}

std::uint32_t AxisPosition(SDL_Joystick* joystick, int axis) {
    // -32768..32767 onto 0..65535.
    return static_cast<std::uint32_t>(static_cast<int>(SDL_JoystickGetAxis(joystick, axis)) +
                                      32768);
}

}  // namespace

std::uint32_t joyGetPosEx(int id, JoyPosition* position) {
    if (id < 0 || id >= kMaxJoysticks || !position) return JOYERR_PARMS;
    State& s = GetState();
    std::lock_guard lock(s.mutex);
    const ScriptedJoystick& scripted = s.scripted[static_cast<std::size_t>(id)];
    if (scripted.present) {
        *position = scripted.position;
        return JOYERR_NOERROR;
    }
    if (GetSeams().headless || !EnsureSdl(s)) return JOYERR_UNPLUGGED;
    Refresh(s);
    SDL_Joystick* joystick = s.slots[static_cast<std::size_t>(id)].joystick;
    if (!joystick) return JOYERR_UNPLUGGED;
    JoyPosition p;
    p.x = AxisPosition(joystick, 0);
    p.y = AxisPosition(joystick, 1);
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int b = 0; b < buttons && b < 32; ++b)
        if (SDL_JoystickGetButton(joystick, b)) p.buttons |= 1u << b;
    *position = p;
    return JOYERR_NOERROR;
}

void SetScriptedJoystick(int id, std::uint32_t x, std::uint32_t y, std::uint32_t buttons) {
    if (id < 0 || id >= kMaxJoysticks) return;
    State& s = GetState();
    std::lock_guard lock(s.mutex);
    ScriptedJoystick& scripted = s.scripted[static_cast<std::size_t>(id)];
    scripted.present = true;
    scripted.position = JoyPosition{x, y, buttons};
}

void ResetJoysticks() {
    State& s = GetState();
    std::lock_guard lock(s.mutex);
    s.scripted.fill(ScriptedJoystick{});
    for (SdlSlot& slot : s.slots) {
        if (slot.joystick) SDL_JoystickClose(slot.joystick);
        slot = SdlSlot{};
    }
    s.knownDevices = -1;
    s.refreshed = false;
}

}  // namespace plat
