// Where the effect and picture commands put an image: on the screen's centre, on the centre
// of the acting actor or of the hero, at a screen position or at a stage position.
#pragma once

#include <cstdint>

class cActorBase;

// The display positions of the effect and picture commands.
enum DisplayPosMode : int {
    DISPPOS_SCREEN_CENTER = 0,  // "画面中央に表示"
    DISPPOS_ACTOR_CENTER = 1,   // "キャラの中心に表示"
    DISPPOS_HERO_CENTER = 2,    // "主人公の中心に表示"
    DISPPOS_SCREEN = 3,         // "画面座標で指定"
    DISPPOS_STAGE = 4,          // "ステージ座標で指定"
};

// The top-left corner in map dots of a width × height image placed by `mode`, with block
// coordinates for the two coordinate modes and a dot offset for all. The view is that of the
// running game scene. A mode the editor cannot give, or a hero that is not there, places the
// image as on the screen's centre.
void CalcDisplayPos(double& outX, double& outY, std::int32_t width, std::int32_t height,
                    const cActorBase& actor, std::int32_t mode, std::int32_t blockX,
                    std::int32_t blockY, std::int32_t dotX, std::int32_t dotY);
