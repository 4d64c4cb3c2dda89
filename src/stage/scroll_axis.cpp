#include "stage/scroll_axis.h"

#include <cstdint>
#include <limits>

#include "data/stage_record.h"
#include "stage/block_map.h"

namespace {

constexpr std::int32_t kMarginBlocks = 10;
constexpr std::int32_t kMaxRowShift = 30;

// Stage sizes and limits come from files: sums and products are taken in 64 bits and
// brought back to the nearest int32, so a damaged stage cannot wrap a limit around.
std::int32_t Saturate(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

void ScrollAxis::SetGeometry(std::int32_t axis, std::int32_t stageBlocks, std::int32_t extraView) {
    m_nAxis = axis;
    m_nView = axis == kAxisHorizontal ? 640 : 480;
    m_nMargin = kMarginBlocks;
    m_nExtent = Saturate(std::int64_t{extraView} + 640);
    m_nBlocks = Saturate(std::int64_t{stageBlocks} + 2 * kMarginBlocks);
    if (axis == kAxisHorizontal) {
        // A hostile width asks for a row shift of up to 32, which the block map refuses; the
        // shift is held where a shift of an int stays defined, and such a stage never runs.
        m_nShift = BlockMapRowShift(stageBlocks);
        if (m_nShift > kMaxRowShift) m_nShift = kMaxRowShift;
        m_nPitch = std::int32_t{1} << m_nShift;
    } else {
        m_nShift = 0;
        m_nPitch = m_nBlocks;
    }
    m_nAreaLow = m_nMargin * 32;
    const std::int64_t areaHigh = (std::int64_t{m_nBlocks} - m_nMargin) * 32;
    m_nAreaHigh = areaHigh < 0 ? 0 : Saturate(areaHigh);
}

void ScrollAxis::Clamp() {
    if (m_nLow > m_dPos) {
        m_dPos = m_nLow;
        m_bAtLimit = 1;
        return;
    }
    if (m_dPos + m_nView < m_nHigh) {
        m_bAtLimit = 0;
        return;
    }
    // In doubles: the difference of two int32 limits cannot overflow there, and it is exact.
    m_dPos = static_cast<double>(m_nHigh) - m_nView;
    if (m_dPos < m_nLow) m_dPos = m_nLow;
    m_bAtLimit = 1;
}

void ScrollAxis::Advance() {
    m_dPos += m_dAutoSpeed;
    Clamp();
}

std::int32_t ScrollAxis::SetAutoSpeed(std::int32_t on, std::int32_t speed) {
    return SetAutoSpeed(on, speed, EdStageWork.speed);
}

std::int32_t ScrollAxis::SetAutoSpeed(std::int32_t on, std::int32_t speed,
                                      const GameSpeedConstants& constants) {
    if (on == 0) {
        m_dAutoSpeed = 0;
        m_bAuto = 0;
        return 0;
    }
    // Tenths of a dot per frame, then per tick: 10 is one dot per frame at any game speed.
    // Without ticks (b not positive) nothing moves.
    m_dAutoSpeed = constants.PerSubStep(speed * 0.1);
    m_bAuto = 1;
    return 0;
}

void ScrollAxis::SetLimits(std::int32_t lowBlock, std::int32_t highBlock, std::int32_t lowFlag,
                           std::int32_t highFlag) {
    m_nLow =
        lowFlag ? Saturate(std::int64_t{m_nAreaLow} + std::int64_t{lowBlock} * 32) : m_nAreaLow;
    if (highFlag) {
        m_nHigh = Saturate(std::int64_t{m_nAreaLow} + (std::int64_t{highBlock} + 1) * 32);
        if (m_nHigh < m_nLow) m_nHigh = m_nLow;
    } else {
        m_nHigh = m_nAreaHigh;
    }
}
