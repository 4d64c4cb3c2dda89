// A picture of the play screen: an image shown at a stage position (or held at a screen
// position) in one of the two picture passes, until its time is over or it is removed. The
// game scene keeps the pictures in a list, each with its own surface.
#pragma once

#include <cstdint>

struct DDSURFACEDATA;

// How long a picture stays.
enum PictureDuration : std::int32_t {
    PICTURE_UNTIL_KEY = 0,        // "進行キーが押されるまで表示"
    PICTURE_UNTIL_STAGE_END = 1,  // "ステージ終了まで表示"
    PICTURE_FOR_TIME = 2,         // "時間で指定"
};

class PictureObject {
public:
    // Stores the values; the picture is stretched when the scale is not 100 %. A picture
    // fixed to the screen takes its screen position from the view now.
    void Set(std::int16_t number, double x, double y, std::int32_t width, std::int32_t height,
             std::int32_t fixedToScreen, std::int32_t layer, std::int32_t scale,
             std::int32_t durationKind, std::int32_t frames, std::int32_t wait,
             std::int32_t managedById, std::int32_t id);
    // One drawn frame of the picture from `surface`: 1 when its time is over (nothing is
    // drawn then). Held frames keep the time unless the game waits for the picture.
    int Draw(DDSURFACEDATA* target, DDSURFACEDATA* surface, int hold);

    std::int16_t nNumber = 0;
    double dX = 0;  // top-left, stage dots
    double dY = 0;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::int32_t bStretched = 0;
    std::int32_t nLayer = 0;  // picture pass 0 (under the blocks) or 1 (over the actors)
    std::int32_t nDurationKind = PICTURE_UNTIL_KEY;
    std::int32_t nFramesLeft = 0;  // for PICTURE_FOR_TIME, counted down per drawn frame
    std::int32_t bWait = 0;
    std::int32_t bFixedToScreen = 0;
    std::int32_t bScreenPosSet = 0;
    std::int32_t nScreenX = 0;
    std::int32_t nScreenY = 0;
    std::int32_t bManagedById = 0;
    std::int32_t nId = 0;
};
