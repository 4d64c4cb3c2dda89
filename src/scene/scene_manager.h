// The scene manager: the game thread runs the whole game as a sequence of scenes, one frame
// at a time. One object owns the six scene objects, knows the current one, creates the one
// that is needed and deletes the others, and runs a frame: pacing, lost-surface recovery,
// input, the current scene's state handler, the frame-rate overlay and the present.
//
// Beside it live the palette functions of the scenes: the 8-bit half-mix table with the
// palette variant the player chose, and the per-frame colour animation with the table of
// animated colours that actor drawing reads.
#pragma once

#include <cstdint>
#include <functional>

#include "gfx/surface.h"
#include "scene/scene.h"

class cTitleScene;
class cWorldMapScene;
class cMapMenuScene;
class cStageSelectScene;
class cOptionScene;

class cSceneManager {
public:
    // One frame; 0 when lost surfaces could not be restored (the game loop then closes the
    // program), otherwise 1.
    int UpdateFrame();
    // Makes sure the object of scene `id` exists and, unless m_bKeepScenes, deletes the
    // others. An id outside 0-5 creates nothing.
    void PrepareScene(int id);
    // Deletes all six scene objects.
    void DeleteScenes();
    // The object of scene `id` (null when it does not exist or the id is not a scene).
    cScene* SceneById(int id) const;

    cTitleScene* m_pTitle = nullptr;
    cWorldMapScene* m_pWorldMap = nullptr;
    cMapMenuScene* m_pMapMenu = nullptr;
    cStageSelectScene* m_pStageSelect = nullptr;
    cOptionScene* m_pOption = nullptr;
    // The play scene, made by MakeGameScene.
    cScene* m_pGame = nullptr;
    std::int32_t m_nScene = 0;
    std::int32_t m_nNextScene = 0;
    std::int32_t m_nPrevScene = 0;
    std::int32_t m_nTitleChoice = 0;
    std::int32_t m_nPlayMode = 0;
    std::int32_t m_bKeepScenes = 0;
    std::int32_t m_nSelectRow = 0;
    std::int32_t m_nSelectTop = 0;
    std::int32_t m_bRanking = 0;
    std::int32_t m_nFps = 0;
    std::int32_t m_nFadeStep = 0;
    std::int32_t m_nBgmPlaying = 0;

    // The game-loop tests replace the whole frame with this function; the program never
    // sets it. With it set, UpdateFrame only returns its result.
    std::function<int()> frameFunction;
};

// Zero-filled at program start: the title comes first. Scenes are deleted by the program's
// shut-down (DeleteScenes), not by the static destructor: by then the surfaces the scenes
// release may already be gone.
extern cSceneManager SceneMgr;

// Makes the play scene. The play scene is built on top of this frame (it is a scene and reads
// the manager's state), so the program's composition root names its maker; until then scene
// 4 cannot be prepared.
using GameSceneMaker = cScene* (*)();
extern GameSceneMaker MakeGameScene;

// Restores the play scene's own image surfaces after a DirectDraw surface loss; false when
// one could not be loaded again. Set by the play scene while it holds them.
using StageImageRestorer = bool (*)();
void SetStageImageRestorer(StageImageRestorer restorer);

// The work surfaces of the menu scenes (the title's menu, the options, the stage list).
extern SurfaceVector SceneSurfaces;
extern SurfaceDefVector SceneSurfaceDefs;

// DirectDraw full screen: 1 shows frames by blitting the back buffer instead of flipping
// (decided at start-up from the vertical sync and the monitor's refresh rate).
extern int bBltPresent;

// DirectDraw only: holds the frame back with 1-ms sleeps until its time (m_nFps) has come.
// Also the frame loops of the pause and ranking threads.
void LimitFrameRate();
// Shows the finished back buffer. Direct3D: a lost device is reported to the window thread
// with WM_USER_RESTORE.
void PresentFrame();
// DirectDraw: restores the display and every surface list after the primary surface was
// lost; 0 when a surface could not be restored. 1 at once in Direct3D.
int RestoreLostSurfaces();
// One surface: restored when lost, and its image reloaded unless it has none (then bLost
// tells its owner to redraw it). False when the reload failed.
bool RestoreSurfaceEntry(DDSURFACEDATA& sd);
bool RestoreSurface(SurfaceVector& surfaces);
bool RestoreSurface(SurfaceList& surfaces);

// The frame-rate overlay of the last frame that showed it: the frames counted in the last
// second and the average working time of the last full ring of 16 frames (0 until 16 frames
// were counted), and the text "FPS%2d(%2d)" drawn.
struct FpsOverlay {
    int nFps = 0;
    int nAverage = 0;
    char szText[32] = {};
};
const FpsOverlay& LastFpsOverlay();
// Back to the state at program start (tests): the ring, the average and the overlay.
void ResetFpsOverlay();

// The 8-bit half-mix table and palette variant n (0-23); only in DirectDraw at 8 bits per
// pixel (elsewhere 1 at once). 0 when the table or the palette could not be loaded.
int LoadHbtPalette(int n);

// The animated colours (entries 1 to 9) that actor drawing selects by number in Direct3D.
struct ANIMCOLOR {
    std::uint32_t dwColor = 0;  // A8R8G8B8, alpha always 255
    std::int32_t nMode = 0;     // the draw mode of the entry
};
inline constexpr int kAnimatedColorCount = 10;  // entry 0 is not used
extern ANIMCOLOR AnimatedColorTable[kAnimatedColorCount];
// Once per drawn frame: DirectDraw at 8 bits rotates the animated palette groups every 6th
// call (when the System asks for palette animation); Direct3D rebuilds AnimatedColorTable.
void AnimatePaletteColors();
// Back to the state at program start (tests): channels, directions, counters.
void ResetPaletteAnimation();

// A value moving back and forth between low and high by step: the step that would reach a
// bound is taken back and the direction turns. 1 when a falling value turned at low.
std::int32_t PingPongStep(std::int32_t* lpValue, std::int32_t* lpDir, std::int32_t nStep,
                          std::int32_t nLow, std::int32_t nHigh);
