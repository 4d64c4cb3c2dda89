// The game-play scene (scene 4): the scene in which a stage is played. Its states run the
// stage start caption, the play frames, the pause menu, the result screen, the continue menu
// and the game-over screen; it owns everything of the running stage that is not an actor.
//
// The work that is not built yet (the stage's images, hits, items, projectiles, replays,
// rankings, fonts, the menu cursor) carries a placeholder marker with its tag where it is
// called, and is replaced where it is built; scripts/placeholders lists the markers.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "base/checked_list.h"
#include "base/checked_vector.h"
#include "gfx/surface.h"
#include "scene/scene.h"
#include "stage/effect_instance.h"
#include "stage/effect_instances.h"
#include "stage/game_object.h"
#include "stage/message_window.h"
#include "stage/picture_object.h"
#include "stage/projectile.h"
#include "stage/screen_color.h"
#include "stage/scroll_axis.h"
#include "stage/wait_control.h"

class GameProgress;
class cActorBase;
class cBlock;
class cCharaActor;
class cCommandInstance;
class cEdBlock;
class cEdChara;
class cEdItem;
class cEdShot;
class cHeroActor;
class cItemObject;
class FlowInstance;

// Virtual keys read directly during play.
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F3 = 0x72;

// Actor and projectile groups, each with its list in the scene.
inline constexpr int kActorGroupCount = 8;

// The group list of an actor's group. A group outside 0..7 (a damaged file) shares list 0, so
// that adding an actor to its list and taking it out agree.
inline int GroupListIndex(int group) {
    return group >= 0 && group < kActorGroupCount ? group : 0;
}

// Game-scene states.
enum GameState : int {
    GAMESTATE_FADEIN = 0,
    GAMESTATE_STAGESTART = 1,
    GAMESTATE_PLAY = 2,
    GAMESTATE_PAUSE = 3,
    GAMESTATE_RESULT = 4,
    GAMESTATE_CONTINUE = 5,
    GAMESTATE_GAMEOVER = 6,
    GAMESTATE_LEAVE = 7,
};

// A start caption stays this many frames; play starts in the frame after.
inline constexpr int kCaptionFrames = 80;
// The result screen can be left from this counter value on.
inline constexpr int kResultMinFrames = 200;

// Where the menus and the ranking table of the scene stand: x, y and two words that stay 0.
struct ScenePoint {
    std::int32_t x;
    std::int32_t y;
    std::int32_t nReserved1;
    std::int32_t nReserved2;
};
extern ScenePoint PauseMenuPos;
extern ScenePoint ContinueMenuPos;
extern ScenePoint RankingTablePos;
// Where they stand at program start.
inline constexpr ScenePoint kPauseMenuStart{320, 272, 0, 0};
inline constexpr ScenePoint kContinueMenuStart{320, 272, 0, 0};
inline constexpr ScenePoint kRankingTableStart{184, 64, 0, 0};

class cGameScene : public cSceneStates<cGameScene, 8> {
public:
    cGameScene();
    ~cGameScene() override;

    void Run() override;
    void Enter() override;
    void FadeIn() override;
    void Leave() override;

    void StageStart();
    void PlayFrame();
    void PauseMenu();
    void ResultScreen();
    void ContinueMenu();
    void WaitButton();

    // 1 when the pause key is down: system sound 4, and the state and step are kept to
    // return to. The caller goes to the pause menu.
    int CheckPauseKey();
    // 1 when play may go on, 0 when no life is left. A direct play and unlimited lives
    // never use one up.
    int UseLife(GameProgress& progress);
    // The new-play reset when the scene is entered from another scene.
    void ResetPlay();
    // The play screen, in its fixed order of layers. keepStage 0 lets the pause state hide
    // the stage; frozen stops animations and timers (pause, waits); sound lets the time
    // warning sound (only the play frame, where its counter moves); help draws the line of
    // help text. The defaults are those of the states that neither pause nor play.
    void Draw(int keepStage = 1, int frozen = 0, int sound = 0, int help = 1);

    // --- Stage set-up (stage_setup.cpp). ---
    // Builds the running stage from the loaded one for a new attempt. restart: the working
    // copy's settings are brought back to the loaded stage (every attempt but the first
    // entry from another scene); fresh: the scene is entered or a replay restarts (only the
    // music request depends on it).
    void SetStage(int restart, int fresh);
    // Whether the last SetStage ended early on a failed allocation (the program closes).
    bool SetStageFailed() const { return m_bSetStageFailed != 0; }

    // --- The play frame (play_frame.cpp). ---
    // Which objects take part in this tick: the hero always; characters and items by their
    // appearance conditions; characters also by the view and their activation group.
    void UpdatePresence();
    // Whether the object's appearance conditions hold (with the latch of conditions that
    // stay true once true). A character is the subject of its own conditions; an item's
    // subject is the first hero.
    int TestCharaAppearance(cCharaActor& chara);
    int TestItemAppearance(cItemObject& item);
    // The time limit: on every 60th call the time moves by delta seconds; 1 when it ran out
    // in this call.
    int UpdateTimeLimit(int delta);
    // The frames and the play time in hundredths of a 60-frame second.
    void UpdatePlayTime();
    // A character's death: 0 go on, 1 the stage ended (state 4), 2 the hero was lost.
    int HandleCharaDeath(cCharaActor& chara);
    // Gives the item to the hero; 0, 1 the stage cleared, 2 the hero's HP is gone.
    int GiveItem(cItemObject* item, cHeroActor& hero);
    // Takes the character out of the stage: every actor and projectile that points at it
    // lets go, it leaves its target's list and its group list, and it is destroyed.
    void RemoveChara(cCharaActor& chara);
    // The common death step: 2 at once for the player's actor; otherwise the actor dies
    // (unless it already is dying) and 1 means the stage ended.
    int KillActor(cActorBase& actor);
    // The dead that code left behind: the hero (1 when lost), then each character.
    int SweepDeadActors();
    // The hits of a tick: shots against actors (in the ticks that test them), body contact
    // between groups, shots against shots. 0 play goes on; 1 a death ended the stage; 2 the
    // hero died.
    int ResolveHits();
    // The hero takes the items it touches: 0, or an item's result (1 the stage cleared, 2
    // the hero's HP is gone), which ends the walk.
    int PickUpItems(cHeroActor& hero);
    // The hero is lost: 1 when a death flow ended the stage (state 4).
    int LoseHero();

    // --- The hero on the blocks it stands on (hero_block_steps.cpp). ---
    // A new touch of a solid block starts its effect (a jump pad, no jumping, a speed
    // change, a conveyor); a running speed or conveyor effect acts in each of the b ticks of
    // a frame. Nothing while the hero flies. Always 0.
    int ApplyBlockTouch(cHeroActor& hero);
    // A solid block that holds an item gives it on landing and again every second while the
    // hero stays; leaving the ground or stepping onto another block ends the wait. 0, or the
    // non-zero result of GiveItem (1 the stage cleared, 2 the hero's HP is gone).
    int TakeBlockItem(cHeroActor& hero);

    // --- Projectiles (projectile_pass.cpp). ---
    // A projectile just made in m_listProjectile joins the shot list of its group (list 0,
    // reported, for a group outside the lists).
    void AddProjectile(cProjectile& shot);
    // Takes a projectile out of its shot list and destroys it; false when no projectile has
    // that id. Safe during a walk that goes by ids.
    bool RemoveProjectile(ObjectId id);
    // The projectiles' tick: update, gravity, motion, the area test in tick 1, the block
    // test; the projectiles that end are removed.
    void RunProjectiles();
    // The projectiles on screen of the Z pass (-1: all).
    void DrawProjectiles(int pass, int frozen);

    // --- Drawing (play_draw.cpp). ---
    // The hero: dying, its death animation, and at its end the hero-down decision; living,
    // the hero and its gauges.
    void DrawHero(int frozen);
    // A character; 1 when it was dying and its death animation has ended.
    int DrawChara(cCharaActor& chara, int frozen);
    // The end of the hero's death animation: a retry, the continue menu or game over.
    void HeroDown();

    // The items of a Z pass (all of them in the single pass) in one sprite batch.
    void DrawItems(int pass, bool layered, int frozen);
    // The line of help text at the bottom: for a direct play, or when the editor started
    // the player.
    void DrawHelpText(DDSURFACEDATA* target);
    // The screen colour's tint over everything drawn; frozen keeps it where it is.
    void DrawScreenColor(int frozen);

    // --- Pictures and the screen effect (pictures.cpp, screen_effect_draw.cpp). ---
    // The pictures of a layer; one whose time is over goes with its surface.
    void DrawPictures(DDSURFACEDATA* target, int layer, int frozen);
    // Adds a picture whose surface is loaded from `file`; false (and nothing added) when
    // the image cannot be loaded.
    bool AddPicture(const PictureObject& picture, const char* file);
    // Puts a blank picture before `before` with its own surface loaded from `file` (placed
    // by ddMemory as DDCreateSurfaceFromFile takes it) at the same position of the surface
    // lists, and gives the new picture's place in `picture`. The surface, or null (and
    // nothing added) when the image cannot be loaded.
    DDSURFACEDATA* InsertPicture(CheckedList<PictureObject>::iterator before, const char* file,
                                 int ddMemory, CheckedList<PictureObject>::iterator* picture);
    // Removes the picture at `it` with exactly its own surface; the next picture.
    CheckedList<PictureObject>::iterator ErasePicture(CheckedList<PictureObject>::iterator it);
    // Every picture and its surface.
    void ClearPictures();
    // Each lost picture surface loaded again; false when one cannot be.
    bool RestorePictures();
    // The running screen effect transforms the finished frame; frozen shows it without
    // advancing. At its end the slot empties and drawing goes back to the back buffer.
    void RunScreenEffect(int frozen);

    // --- Message windows (message_windows.cpp). ---
    // Every window updates and draws; one that reports its end goes.
    void DrawMessages(DDSURFACEDATA* target, int frozen);
    // A window built and opened at the end of the list; null when its surface could not
    // be made (then nothing was added).
    MessageWindow* AddMessage(const MessageSettings& settings);
    // Removes the window at `it` with its own surface; the next window.
    CheckedList<MessageWindow>::iterator EraseMessage(CheckedList<MessageWindow>::iterator it);
    // Removes exactly this window (with its surface) when it is still on the list.
    bool RemoveMessage(const MessageWindow* window);
    // Every window and every window surface.
    void ClearMessages();
    // Each lost window surface restored; the windows draw their texts again.
    bool RestoreMessages();

    // --- The stage's layers (stage_layers.cpp). ---
    // The auto positions of the backgrounds that scroll by themselves move by their speeds.
    void ScrollBackgrounds();
    // The shown backgrounds of a layer in list order; layer 0 starts with the darkness
    // colour when none of them shows.
    void DrawBackgrounds(DDSURFACEDATA* target, int layer);
    // The blocks of a draw layer in view.
    void DrawBlocks(DDSURFACEDATA* target, int layer);

    // --- The status bar and the time limit (status_bar.cpp). ---
    void DrawStatusBar(DDSURFACEDATA* target);
    // With sound, the warning sound at each second of the warning range.
    void DrawTimeLimit(DDSURFACEDATA* target, int sound);

    // --- The stage's images (stage_resources.cpp). ---
    // The own bitmaps (four surfaces per record from 1), sword images (four per record) and
    // effect images (two per record from 1); a file that cannot be loaded leaves its
    // surface empty and a line in the error log.
    void LoadCharaBitmaps();
    void LoadSwordImages();
    void LoadEffectImages();
    void ReleaseStageImages();
    // The shot sheet and its mirror laid out in 32 x 32 cells (standard surfaces 63, 64).
    void BuildShotCellSheets();
    // Each lost surface of the stage's images loaded again; false when one cannot be.
    bool RestoreStageImages();

    // --- Placement and run-time spawning (placement.cpp). ---
    // Every copy of a placed character record on stage block (column, row); copies outside
    // the stage are not made and take no serial. kInstallFailed when a copy's flows could
    // not be installed (a failed allocation), else 0.
    int PlaceChara(ObjectList<cCharaActor>& list, int column, int row, std::int32_t& serial,
                   const cEdChara& record, const cItemObject* item);
    // An item placement on stage block (column, row), when inside the stage. kUnrollFailed
    // when its commands could not be written out, else 0.
    int PlaceItem(ObjectList<cItemObject>& list, int column, int row, std::int32_t& serial,
                  const cEdItem& record);
    // Summons at map dots (x, y); a failed allocation closes the program.
    void SpawnChara(ObjectList<cCharaActor>& list, double x, double y, int group, int facing,
                    const cEdShot& params, const cEdChara& record, std::int32_t& serial);
    void SpawnItem(ObjectList<cItemObject>& list, double x, double y, const cEdShot& params,
                   const cEdItem& record, std::int32_t& serial);
    void SpawnBlock(double x, double y, const cEdShot& params, const cEdBlock& record);
    // 1 when the block just put into the cell must be taken back: it covers a hero or a
    // character and the summon refuses that. Crush deaths of the covered actors are
    // suspended either way.
    int CheckBlockOverlap(int index, int column, int row, const cEdShot& params);

    // Members in order; every one starts with a value.
    std::int32_t m_nSavedState = 0;
    std::int32_t m_nSavedStep = 0;
    std::int32_t m_nStageResult = 0;
    ScrollAxis m_ScrollX;
    ScrollAxis m_ScrollY;
    ObjectList<cProjectile> m_listProjectile;
    // One list per actor group 0..7, and one per projectile group.
    CheckedVector<CheckedList<cActorBase*>> m_vecGroupList;
    CheckedVector<CheckedList<cProjectile*>> m_vecShotGroupList;
    // The stage's image surfaces, each with the definitions that rebuild it when lost:
    // four per own bitmap (from record 1), four per sword type, two per effect (from
    // record 1).
    SurfaceVector m_vecOwnBitmap;
    SurfaceDefVector m_vecOwnBitmapDef;
    SurfaceVector m_vecSwordImage;
    SurfaceDefVector m_vecSwordImageDef;
    SurfaceVector m_vecEffectImage;
    SurfaceDefVector m_vecEffectImageDef;
    // The message windows in the order they were opened. A text window keeps its own
    // surface and definition on the two lists after it; only text windows have one, so
    // positions on the lists do not match.
    CheckedList<MessageWindow> m_listMessage;
    SurfaceList m_listMsgSurface;
    SurfaceDefList m_listMsgDef;
    // The animation effects on the stage, in the order they were made.
    CheckedList<EffectInstance> m_listEffect;
    // The pictures on the stage, in the order they were shown; each owns its surface and the
    // definition that rebuilds it, at the same position of the two lists after it.
    CheckedList<PictureObject> m_listPicture;
    SurfaceList m_listPicSurface;
    SurfaceDefList m_listPicDef;
    // The one screen effect (number 0: none).
    ScreenEffectInstance m_ScreenEffect;
    ScreenColor m_ScreenColor;
    // What the pause thread's wait ends on.
    WaitControl m_WaitControl;
    // Written by the window thread while the pause thread runs.
    std::atomic<std::int32_t> m_bCloseRequest{0};
    // The command context: whose flow and command run now (null: none).
    cActorBase* m_pCurActor = nullptr;
    FlowInstance* m_pCurFlow = nullptr;
    cCommandInstance* m_pCurCmd = nullptr;
    std::int32_t m_nItemMessageArg = 0;
    std::int32_t m_nPlayers = 0;
    std::int32_t m_nTick = 0;
    std::int32_t m_nTickTotal = 0;
    CheckedVector<std::int32_t> m_vecHitTicks;
    std::int32_t m_nTime = 0;
    std::int32_t m_bNoTimeLimit = 0;
    std::int32_t m_nPlayFrames = 0;
    std::int32_t m_nPlayTime = 0;
    std::int32_t m_nCaptionFrames = 0;
    std::int32_t m_nCaptionFrames2 = 0;
    std::uint32_t m_nSeed = 0;
    std::int32_t m_bHoldButtons = 0;
    std::int32_t m_bCodeKill = 0;
    CheckedVector<std::int32_t> m_vecStageVar;
    CheckedVector<std::uint8_t> m_vecGroupFlag;
    std::int32_t m_nCharaSerial = 0;
    std::int32_t m_nItemSerial = 0;
    std::int32_t m_nShotSerial = 0;
    std::int32_t m_bRemoveOutsideChara = 0;
    std::int32_t m_bRemoveOutsideBlockChara = 0;
    std::int32_t m_bRemoveOutsideItem = 0;
    CheckedVector<std::int32_t> m_vecSummonedBlock;
    std::int32_t m_nFrame = 0;
    std::int32_t m_nNextStage = 0;
    std::string m_strNextStageBase;
    std::int32_t m_bRankAchieved = 0;
    CheckedVector<std::int32_t> m_vecRank;
    CheckedVector<std::int32_t> m_vecRankValue;
    std::string m_strRankName;
    std::int32_t m_bRankingDone = 0;
    std::int32_t m_nHudMode = 0;
    // Set when SetStage ended early on a failed allocation.
    std::int32_t m_bSetStageFailed = 0;

private:
    // One tick of the play frame; false when the frame ends in it.
    bool RunTick();
    // The hero's turn in a tick; the block characters' (1) or the others' (0) turn.
    bool RunHeroTick();
    bool RunCharaPass(int blockCharas);
    // Characters and items outside the stage's areas go, for the areas that apply.
    void RemoveOutsideAreas();
    // A stage-level result: 1 the stage ends (state 4), 2 the hero is lost; true when the
    // frame ends with it.
    bool EndsFrame(int result);
    // The hero died in its turn: the reason goes to the error log. Always false.
    bool HeroDies(const char* why);
    // The rows of the pause menu: 3 with retry, else 2.
    int PauseMenuRows() const;
    // Moves the menu cursor over the `rows` rows of the menu at `at` with the vertical keys,
    // with the cursor sound.
    void MoveMenuCursor(const ScenePoint& at, int rows);
    void LeaveTo(int nextScene);
};

// The hit-frequency table of a stage of b ticks per frame that tests shot hits n times per
// frame (n = 0: every tick): b entries, 1 in the ticks that test them.
void BuildHitTicks(CheckedVector<std::int32_t>& ticks, std::int32_t b, std::int32_t n);

// F1 and F2 (held) save the current and the previous attempt as a replay through the main
// window, this thread waiting; 1 when one was handled. Over an empty log only the refusal
// sound plays, at most once per 60 calls. Nothing in a play-back or with replays off.
int CheckReplayHotKeys();
// The refusal sound's cool-down back to 0 (program start).
void ResetReplayHotKeys();

// The game scene while it exists; null otherwise (set by NewGameScene, cleared first thing
// when the scene is destroyed).
extern cGameScene* lpGame;
// The hero's sight mask, made again after its sight changed.
void BuildSightMask(cGameScene& scene);
// The scene manager's maker of scene 4 (MakeGameScene): a new game scene, also in lpGame.
cScene* NewGameScene();

// The help texts of the system settings: a direct play, a play the editor started.
inline constexpr int kHelpTextEditor = 25;
inline constexpr int kHelpTextDirectPlay = 26;

// Standard surfaces the game scene loads when it is entered from another scene: 2-47,
// 49-51 and 55-70.
inline constexpr int kGameSurfaceCount = 65;
extern const int kGameSurfaces[kGameSurfaceCount];
// The eight background layers, reloaded for every stage.
inline constexpr int kBackgroundSurfaceFirst = 55;
inline constexpr int kBackgroundCount = 8;
