// The hero's two steps on the block it stands on: the block's touch effect, and the item a
// block gives. Only the hero is affected; a flying hero not at all, its running effect and
// its item wait frozen until it walks again.
#include <cmath>
#include <cstdint>

#include "base/message_box.h"
#include "base/window_requests.h"
#include "data/common_palette.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "platform/trunc.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/item_object.h"
#include "stage/stage_objects.h"

namespace {

// Touch effects of a block, as the editor numbers them.
constexpr int kTouchJump = 1;
constexpr int kTouchNoJump = 2;

constexpr int kSeJumpPad = 10;
// A rise that no jump command can cut: the hold of a jump pad whose time to the top cannot be
// worked out (no gravity, or a damaged value).
constexpr std::int32_t kEndlessHold = std::int32_t{1} << 30;
// An item block gives again after this many frames of standing on it.
constexpr std::int32_t kItemBlockFrames = 60;

bool StandsOnSolidBlock(const cHeroActor& hero) {
    return hero.m_pStandBlock != nullptr && hero.m_pStandBlock->GetHitType(hero.m_nGroup) != 0;
}

// The ticks the rise of a jump pad's launch at v lasts: trunc(B − v / g).
std::int32_t JumpPadHold(double v) {
    const GameSpeedConstants& sp = EdStageWork.speed;
    const double g = sp.dStepGravity;
    const double ticks = g != 0 ? sp.dSubSteps - v / g : 0.0;
    if (g == 0 || !std::isfinite(ticks) || ticks >= kEndlessHold) return kEndlessHold;
    if (ticks <= -kEndlessHold) return -kEndlessHold;
    return plat::TruncToInt(ticks);
}

void StartTouchEffect(cHeroActor& hero, const cBlock& block) {
    const GameSpeedConstants& sp = EdStageWork.speed;
    switch (block.nTouchEffect) {
        case kTouchJump: {
            PlaySystemSe(kSeJumpPad);
            const double v = hero.JumpSpeedForHbl(static_cast<std::int8_t>(block.nTouchParam));
            hero.m_dVY = v;
            hero.m_bJumping = 1;
            hero.m_bAirborne = 1;
            hero.m_bJumpArmed = 0;
            hero.m_nJumpHold = JumpPadHold(v);
            break;
        }
        case kTouchNoJump:
            hero.m_bJumpForbidden = 1;
            return;
        case kTouchSpeed:
            hero.m_nTouchKind = kTouchSpeed;
            hero.m_dTouchValue = block.nTouchParam * 0.01;
            hero.m_nTouchTicks = sp.nSubSteps;
            break;
        case kTouchMoveLeft:
        case kTouchMoveRight:
            hero.m_nTouchKind = block.nTouchEffect;
            hero.m_dTouchValue = sp.dSubSteps > 0 ? block.nTouchParam * 0.1 / sp.dSubSteps : 0.0;
            hero.m_nTouchTicks = sp.nSubSteps;
            break;
        default:
            break;
    }
    // Any other solid block under the feet lifts a no-jumping block's ban.
    hero.m_bJumpForbidden = 0;
}

void RunTouchEffect(cHeroActor& hero) {
    switch (hero.m_nTouchKind) {
        case kTouchSpeed:
            hero.m_dVX *= hero.m_dTouchValue;
            break;
        case kTouchMoveLeft:
            hero.m_dVX -= hero.m_dTouchValue;
            if (hero.m_dMoveVX > 0) hero.m_dMoveVX = 0;
            break;
        case kTouchMoveRight:
            hero.m_dVX += hero.m_dTouchValue;
            if (hero.m_dMoveVX < 0) hero.m_dMoveVX = 0;
            break;
        default:
            break;
    }
    if (--hero.m_nTouchTicks <= 0) {
        hero.m_nTouchTicks = 0;
        if (hero.m_dVY >= 0) hero.m_dVY += 1.0;
    }
}

}  // namespace

int cGameScene::ApplyBlockTouch(cHeroActor& hero) {
    if (hero.m_bFlying) return 0;
    if (hero.m_nTouchTicks == 0 && StandsOnSolidBlock(hero))
        StartTouchEffect(hero, *hero.m_pStandBlock);
    if (hero.m_nTouchTicks != 0) RunTouchEffect(hero);
    return 0;
}

int cGameScene::TakeBlockItem(cHeroActor& hero) {
    if (hero.m_bFlying) return 0;
    bool taken = false;
    if (hero.m_nItemBlockWait == 0 && StandsOnSolidBlock(hero) &&
        hero.m_pStandBlock->nItemPalette != 0) {
        const cBlock& block = *hero.m_pStandBlock;
        if (const cEdItem* found = FindPaletteItem(block.nItemPalette, block.nItemIndex)) {
            cEdItem record = *found;
            cItemObject item;
            if (item.Init(0, record, 0) == kUnrollFailed) {
                MemoryErrorAndClose();
                return 0;
            }
            item.m_bPresent = 1;
            const int r = GiveItem(&item, Player[0]);
            if (r != 0) return r;
            hero.m_nItemBlockWait = kItemBlockFrames * EdStageWork.speed.nSubSteps;
            taken = true;
        }
    }
    if (hero.m_nItemBlockWait != 0) {
        if (hero.m_bFalling) {
            hero.m_nItemBlockWait = 0;
            return 0;
        }
        if (--hero.m_nItemBlockWait < 0) hero.m_nItemBlockWait = 0;
        // Another cell under the feet: the next item block gives at once.
        if (hero.m_pStandBlock != nullptr && hero.m_pLastBlock != hero.m_pPrevLastBlock && !taken) {
            hero.m_nItemBlockWait = 0;
            if (hero.m_dVY >= 0) hero.m_dVY += 1.0;
        }
    }
    return 0;
}
