// One axis of the view onto the running stage: where the 640×480 window stands on the block
// map, the limits it may not leave, and the automatic scroll of stages that move by
// themselves. The game scene keeps one per axis; the horizontal one also carries the block
// map's row pitch and shift.
//
// Everything is in map dots: the block map has a margin of 10 blocks (320 dots) on every side,
// so stage column c begins at map dot (c + 10) × 32.
#pragma once

#include <cstdint>

struct GameSpeedConstants;

// Axis numbers.
inline constexpr std::int32_t kAxisHorizontal = 0;
inline constexpr std::int32_t kAxisVertical = 1;

struct ScrollAxis {
    // The view's left (top) edge, map dots.
    double m_dPos = 0;
    // 1 when the last clamp pushed the view back to a limit or left it touching the far one.
    std::int32_t m_bAtLimit = 0;
    std::int32_t m_nAxis = 0;
    std::int32_t m_nView = 0;  // 640 or 480
    std::int32_t m_nLow = 0;   // lowest dot the view may show
    std::int32_t m_nHigh = 0;  // the view's far edge may not pass it
    std::int32_t m_nAreaLow = 0;
    std::int32_t m_nAreaHigh = 0;
    std::int32_t m_nMargin = 0;  // blocks
    std::int32_t m_nExtent = 0;  // the stage's extra view size + 640
    std::int32_t m_nBlocks = 0;  // stage blocks + 20
    std::int32_t m_nPitch = 0;   // horizontal: cells per map row; vertical: m_nBlocks
    std::int32_t m_nShift = 0;   // horizontal: log2 of the pitch; vertical: 0
    double m_dAutoSpeed = 0;     // dots per tick
    std::int32_t m_bAuto = 0;

    // The geometry for a stage of `stageBlocks` blocks along the axis with `extraView` dots
    // of extra view size, in the order the set-up writes it. Sizes out of range saturate
    // instead of wrapping; such a stage is refused by the block map anyway.
    void SetGeometry(std::int32_t axis, std::int32_t stageBlocks, std::int32_t extraView);

    // Keeps the view within the limits; the low limit wins where they cross.
    void Clamp();
    // One tick of the automatic scroll (also at speed 0, which still clamps).
    void Advance();
    // Off (on = 0) or on at `speed` tenths of a dot per frame, divided over the b ticks of a
    // frame of the running stage (EdStageWork). Always 0.
    std::int32_t SetAutoSpeed(std::int32_t on, std::int32_t speed);
    // The same with the speed constants given.
    std::int32_t SetAutoSpeed(std::int32_t on, std::int32_t speed,
                              const GameSpeedConstants& constants);
    // Limits from stage block numbers (without the margin); the high block stays in view.
    // A side whose flag is 0 takes the stage's own edge.
    void SetLimits(std::int32_t lowBlock, std::int32_t highBlock, std::int32_t lowFlag,
                   std::int32_t highFlag);
};
