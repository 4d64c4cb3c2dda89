// PLACEHOLDER until the scene manager is built: the game loop's frame function, which
// tests set. It stands in for the real manager (pacing, input, scenes, present) and will
// be replaced by it; nothing else in the program may rely on the hook.
#pragma once

#include <functional>

class cSceneManager {
public:
    // One frame on the game thread; 0 means the program must stop.
    int UpdateFrame();

    // Placeholder only: the frame function. Without one, a frame succeeds and does nothing.
    std::function<int()> frameFunction;
};

extern cSceneManager SceneMgr;
