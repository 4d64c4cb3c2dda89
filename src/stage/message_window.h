// A message window: one entry of the game scene's message list. Text windows show a text
// over a character, the hero or the screen; an invisible entry only carries the time of a
// game wait; small icons rise over the hero (an item's notice, the extra-life mark). Every
// drawn frame updates each entry: it is timed, its text refreshed, placed and drawn.
#pragma once

#include <cstdint>
#include <string>

class cGameScene;
struct DDSURFACEDATA;
struct DDSURFACEDEF;

// Kinds of entry.
enum MessageKind : std::int32_t {
    MESSAGE_INVISIBLE = 0,
    MESSAGE_TEXT = 1,
    MESSAGE_ICON = 2,
    MESSAGE_EXTRA_LIFE = 3,
};

// How long a window stays.
enum MessageDuration : std::int32_t {
    MESSAGE_UNTIL_KEY = 0,        // "進行キーが押されるまで表示"
    MESSAGE_UNTIL_STAGE_END = 1,  // "ステージ終了まで表示"
    MESSAGE_FOR_TIME = 2,         // "時間で指定"
};

// Where a window stands (the message command's labels).
enum MessagePosition : std::int32_t {
    MESSAGE_SCREEN_CENTRE = 0,  // "画面中央に表示"
    MESSAGE_ABOVE_SELF = 1,     // "自分の上に表示"
    MESSAGE_BELOW_SELF = 2,
    MESSAGE_CENTRE_SELF = 3,
    MESSAGE_ABOVE_HERO = 4,  // "主人公の上に表示"
    MESSAGE_BELOW_HERO = 5,
    MESSAGE_CENTRE_HERO = 6,
    MESSAGE_SCREEN_POS = 7,  // "画面座標で指定"
    MESSAGE_STAGE_POS = 8,   // "ステージ座標で指定"
};

// What a window is opened with, in the order of the opening call (the reuse flag aside).
struct MessageSettings {
    std::int32_t nKind = MESSAGE_INVISIBLE;
    std::string strText;
    std::int32_t nIconKind = 0;
    std::int32_t nIconNumber = 0;
    std::int32_t nIconSub = 0;
    std::int32_t nPosition = MESSAGE_SCREEN_CENTRE;
    std::int32_t nBlockX = 0;
    std::int32_t nBlockY = 0;
    std::int32_t nDotX = 0;
    std::int32_t nDotY = 0;
    std::int32_t bKeepInside = 0;
    std::int32_t bFixedToScreen = 0;
    std::int32_t nDurationKind = MESSAGE_UNTIL_KEY;
    std::int32_t nTime = 0;  // frames
    std::int32_t bWait = 0;
    std::int32_t nAnchor = 0;  // serial number of the actor it stands at
    std::int32_t bChained = 0;
    std::int32_t bExpand = 0;
    std::int32_t bRefresh = 0;
    std::int32_t nRefreshInterval = 0;
    std::int32_t bZoomIn = 0;
    std::int32_t bManagedById = 0;
    std::int32_t nId = 0;
};

// A notice over an actor (kinds MESSAGE_ICON and MESSAGE_EXTRA_LIFE): its mark rises above
// the actor with serial number `anchor` for kMessageIconFrames, held on the screen.
inline constexpr std::int32_t kMessageIconFrames = 30;
MessageSettings RisingNotice(std::int32_t kind, std::int32_t anchor);

// The size a text window needs: as Font16 draws the text (cells of its pitch, or its face's
// extents line by line), plus 2 each way. Held at the int32 limit.
void MeasureTextWidth(const char* text, std::int32_t* width, std::int32_t* height);

class MessageWindow {
public:
    MessageWindow() = default;
    // The surface belongs to the scene's surface list; a copy would own it twice.
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // Takes the settings, expands and measures the text and, for a text window, renders the
    // text into its surface: the present one when the text measures as the window did (a
    // window opened again in place), else a new one. False when the surface could not be
    // made (WM_CLOSE is posted; the window shows nothing).
    bool Open(cGameScene& scene, const MessageSettings& settings);
    // The text's codes replaced by the variables of the running progress and stage.
    static void ExpandText(std::string& text);
    // A surface of the window's size on the scene's message surfaces, kept by the window.
    bool CreateSurface(cGameScene& scene);
    void RenderText(DDSURFACEDATA* surface);
    // One drawn frame: 1 when the entry is over (a text window's surface is gone then),
    // else 0. Frozen frames keep a timed window's time unless the game waits for it.
    int Update(cGameScene& scene, DDSURFACEDATA* target, int frozen);

    // Gives the surface back to the scene's list; the window draws nothing after.
    void ReleaseSurface(cGameScene& scene);

    DDSURFACEDATA* lpSD = nullptr;
    DDSURFACEDEF* lpDef = nullptr;
    std::int32_t nKind = MESSAGE_INVISIBLE;
    std::string strText;
    std::string strSource;
    std::int32_t nIconKind = 0;
    std::int32_t nIconNumber = 0;
    std::int32_t nIconSub = 0;
    std::int32_t bExpand = 0;
    std::int32_t bRefresh = 0;
    std::int32_t nRefreshInterval = 0;
    std::int32_t bZoomIn = 0;
    std::int32_t nPosition = 0;
    std::int32_t nBlockX = 0;
    std::int32_t nBlockY = 0;
    std::int32_t nDotX = 0;
    std::int32_t nDotY = 0;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::int32_t bKeepInside = 0;
    std::int32_t nDurationKind = 0;
    std::int32_t bFixedToScreen = 0;
    std::int32_t bPosRemembered = 0;
    std::int32_t nRememberedX = 0;
    std::int32_t nRememberedY = 0;
    std::int32_t bManagedById = 0;
    std::int32_t nId = 0;
    std::int32_t nAnchor = 0;
    std::int32_t nRemaining = 0;
    std::int32_t bWait = 0;
    std::int32_t bOpening = 0;
    double dOpening = 0;
    // Where the window stood last (a gone anchor keeps an icon there).
    std::int32_t nLastX = 0;
    std::int32_t nLastY = 0;

private:
    // Screen place by the position mode; false when the anchor is gone.
    bool Place(cGameScene& scene, int* x, int* y) const;
    // The text again from its source when the refresh is due; a new size, a new surface.
    void Refresh(cGameScene& scene);
    // The text rendered into a surface of `width` x `height`: the present one when it has
    // that size, else a new one. False when a surface could not be made.
    bool RenderInSurfaceOf(cGameScene& scene, std::int32_t width, std::int32_t height);
    void Draw(DDSURFACEDATA* target, int x, int y);
};
