// The scene base: every scene of the game thread (title, world map, map menu, stage select,
// game, options) is a small state machine. Its state is an index into a table of handlers;
// the first handler is the scene's fade-in and the last its leave, which fades out and hands
// the game thread to the next scene.
#pragma once

#include <array>
#include <cstdint>

#include "base/checked_vector.h"

// Scene ids. The values are stored by other records and index the scene music list.
enum SceneId : int {
    SCENE_TITLE = 0,
    SCENE_WORLDMAP = 1,
    SCENE_MAPMENU = 2,
    SCENE_STAGESELECT = 3,
    SCENE_GAME = 4,
    SCENE_OPTION = 5,
};
inline constexpr int kSceneCount = 6;

// How a play runs: what the lives, rankings and the end of a stage do.
enum PlayMode : int {
    PLAYMODE_STORY = 0,
    PLAYMODE_CHALLENGE = 1,
    PLAYMODE_FREE = 2,
    PLAYMODE_REPLAY = 3,
};

// Items of the title menu: how the play in progress began.
enum TitleChoice : int {
    TITLE_NEWGAME = 0,
    TITLE_CONTINUE = 1,
    TITLE_CHALLENGE = 2,
    TITLE_FREE = 3,
    TITLE_REPLAY = 4,
    TITLE_OPTION = 5,
    TITLE_EXIT = 6,
};

// Button masks of the menu latch: buttons 1 and 2, or buttons 1 to 4.
inline constexpr int kMenuLatchMask = 3;
inline constexpr int kWideMenuLatchMask = 15;

class cScene {
public:
    cScene() = default;
    cScene(const cScene&) = delete;
    cScene& operator=(const cScene&) = delete;
    virtual ~cScene() = default;

    // One frame of the scene: enters it when it has not been entered, then runs the
    // handler of the current state.
    virtual void Run() {}
    virtual void Enter() {}
    virtual void FadeIn() {}
    virtual void Leave() {}

    // -1 until Enter has run; then an index into the scene's handler table.
    std::int32_t m_nState = -1;
    // A counter each state handler uses as it likes; 0 when a handler hands over.
    std::int32_t m_nStep = 0;

protected:
    // Enter inside a handler for a thrown message text: the text is logged and the program
    // is asked to close; either way the scene starts in state 0.
    void EnterGuarded();
    // The handler of m_nState; a state outside the table runs nothing.
    virtual void CallStateHandler() = 0;
};

// A scene with N states whose handlers are members of Derived. Entry 0 is the virtual
// FadeIn and entry N-1 the virtual Leave; the derived constructor fills the rest.
template <class Derived, int N>
class cSceneStates : public cScene {
public:
    using Handler = void (Derived::*)();
    static constexpr int kStateCount = N;

protected:
    cSceneStates() { m_Handlers.fill(nullptr); }
    void CallStateHandler() override {
        if (m_nState < 0 || m_nState >= N) return;
        if (m_nState == 0) {
            FadeIn();
        } else if (m_nState == N - 1) {
            Leave();
        } else if (Handler h = m_Handlers[static_cast<std::size_t>(m_nState)]) {
            (static_cast<Derived*>(this)->*h)();
        }
    }
    std::array<Handler, N> m_Handlers;
};

// What the menu scenes share: the music rule and the images of their Enter, the menu items
// of a System list, the fade-in and the fade-out with the hand-over to the next scene.
class cMenuSceneBase {
public:
    // The common first steps of a menu scene's Enter: the scene music (list index
    // nMusicIndex), the images, and m_nStep = 0. False when the images could not be loaded
    // (a close request has been posted).
    static bool EnterCommon(int nMusicIndex, const int* lpImages, int nImages);
    // The item ids of a menu: the indices of the records whose enable value is not 0, in
    // list order; the single item 0 when none is enabled.
    template <class Record>
    static void BuildItems(const CheckedVector<Record>& list, CheckedVector<std::int32_t>& items) {
        items.Clear();
        for (int i = 0; i < static_cast<int>(list.Size()); ++i)
            if (list[i].bEnabled != 0) items.push_back(i);
        if (items.empty()) items.push_back(0);
    }
    // One step of the fade-in over what the caller has drawn; true when it has ended.
    static bool FadeInStep();
    // One step of the fade-out; when it has ended the back buffer is cleared and true is
    // returned: the caller does its own leave work, then HandOver.
    static bool FadeOutStep();
    // The scene manager switches from scene nOwnId to the next scene.
    static void HandOver(int nOwnId);
};
