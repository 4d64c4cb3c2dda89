#include "gen/sample_flows.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "data/command_record.h"
#include "data/move_shot_records.h"
#include "gen/sample_sounds.h"

namespace gen {

namespace {

// Trigger kinds, command types and choices as the editor numbers them.
constexpr int kTriggerAlways = 0;
constexpr int kCmdStraightMove = 2;
constexpr int kCmdGroundTurnMove = 3;
constexpr int kCmdWait = 1;
constexpr int kCmdJump = 10;
constexpr int kCmdFlowOperation = 16;
constexpr int kCmdStageClear = 17;
constexpr int kCmdWarp = 20;
constexpr int kCmdSetTarget = 21;
constexpr int kCmdVanish = 24;
constexpr int kCmdShot = 11;
constexpr int kCmdSword = 12;
constexpr int kCmdSummonBlock = 13;
constexpr int kCmdSummonChara = 14;
constexpr int kCmdStatus2 = 23;
constexpr int kCmdRunCode = 37;
constexpr int kCmdArrange = 38;
constexpr int kMoveForward = 0;
constexpr int kMoveLeft = 2;
constexpr int kMoveRight = 3;
constexpr int kMoveUp = 6;
constexpr int kMoveDown = 7;
constexpr int kJumpFixedHeight = 0;
constexpr int kJumpHeightByKey = 1;

// Key channels of a key condition: ten direction channels, then the buttons (channel 10 is
// "no button", 11 is button 1).
constexpr int kKeyDown = 4;
constexpr int kKeyRight = 2;
constexpr int kKeyLeft = 1;
constexpr int kKeyDownRight = 8;
constexpr int kKeyButton1 = 11;
constexpr int kKeyButton2 = 12;
constexpr int kKeyButton3 = 13;
constexpr int kKeyPressed = 1;

// Shot records: direction choices, homing kinds, summon modes.
constexpr int kShotForward = 0;
constexpr int kShotDown = 7;
constexpr int kShotUp = 6;
constexpr int kHomingAimTarget = 3;
constexpr int kHomingWave = 8;
constexpr int kSummonStagePalette = 1;
constexpr int kBlockToggle = 2;

// Status condition: the system's time left, at most the operand.
constexpr int kCondCommonVar = 1;
constexpr int kCondStatus = 4;
constexpr int kWhoseSystem = 2;
constexpr int kSystemTime = 0;
constexpr int kOpAtLeast = 2;
constexpr int kOpAtMost = 3;

// Distance condition: the hero within a circle around the character.
constexpr int kCondDistance = 7;
constexpr int kWhoseHero = 0;
constexpr int kDistanceWithin = 0;
constexpr int kShapeCircle = 6;
// The stage clear's parameters: on to the next stage of the series, the map and the start
// as they are, the hero's facing left.
constexpr int kStageClearParams = 9;
// Warps: by a point relative to where the actor stands, or by a distance ahead of the target.
constexpr int kWarpToPoint = 2;
constexpr int kWarpFromTarget = 1;
constexpr int kWarpRelative = 0;
// The target: the nearest character of a group, anywhere.
constexpr int kSetTargetParams = 15;
constexpr int kTargetNearest = 2;
constexpr int kRangeEverywhere = 1;
// Flow operation: delete the flow that runs it.
constexpr int kFlowOpDelete = 4;
constexpr int kFlowSetThis = 0;
// Vanish: the characters of a group, anywhere.
constexpr int kVanishCharas = 0;

// A move toward a point: its coordinates are taken from where the move starts.
constexpr int kDestByCoordinates = 1;
constexpr int kCoordFromHere = 1;
// The second parameter of a straight move an arrange can reach: its target X in dots.
constexpr int kStraightMoveTargetXDot = 1;
// Arrange operations and operand sources.
constexpr int kArrangePlus = 1;
constexpr int kArrangeMinus = 2;
constexpr int kArrangeCommonVariable = 0;
// The status flag command: the actor itself, its giant size.
constexpr int kWhoseSelf = 0;
constexpr int kFlagGiant = 5;

// One step of a key sequence: every listed channel pressed, held for any length.
cEdKeyCondition Keys(std::initializer_list<int> channels) {
    cEdKeyCondition keys;
    keys.Reset();
    for (int channel : channels) keys.vecKeyState[channel] = kKeyPressed;
    keys.bAnyLength = 1;
    return keys;
}

// A movement command lasting a tenth of a second: a flow that restarts while its trigger
// holds moves without a gap, and stops soon after the trigger ends.
cEdCommand Move(int type, int direction, int speed) {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.nTime = 1;
    cEdMove::Create(cmd.spMove);
    cmd.spMove->nDirection = static_cast<std::int8_t>(direction);
    cmd.spMove->nSpeed = static_cast<std::int16_t>(speed);
    return cmd;
}

// The jump: its time is worked out from the height when the flow is installed.
cEdCommand Jump(int heightControl, int heightHbl) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdJump;
    cmd.vecParam.resize(5);
    cmd.vecParam.Fill(0);
    cmd.vecParam[0] = heightControl;
    cmd.vecParam[2] = heightHbl;
    return cmd;
}

// A walk of `dots` to the right (negative: to the left) from where it starts, ending on
// arrival; its time comes from the distance.
cEdCommand WalkBy(int dots, int speed) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdStraightMove;
    cEdMove::Create(cmd.spMove);
    cEdMove& move = *cmd.spMove;
    move.nDestMode = kDestByCoordinates;
    move.nCoordKind = kCoordFromHere;
    move.bUseX = 1;
    move.bUseY = 0;
    move.bMirrorX = 0;
    move.bUntilArrival = 1;
    move.nTargetXDot = static_cast<std::int16_t>(dots);
    move.nSpeed = static_cast<std::int16_t>(speed);
    return cmd;
}

// A shot-record command of `tenths` tenths of a second: one object straight ahead, whose
// record the caller adjusts.
cEdCommand ShotCommand(int type, int tenths) {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.nTime = static_cast<std::int16_t>(tenths);
    cEdShot::Create(cmd.spShot);
    cEdShot& shot = *cmd.spShot;
    shot.nCount = 1;
    shot.nDirection = kShotForward;
    shot.nPower = 1;
    return cmd;
}

cEdCommand Wait(int tenths) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdWait;
    cmd.nTime = static_cast<std::int16_t>(tenths);
    return cmd;
}

cEdCommand Code(const char* text) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdRunCode;
    cmd.strText = text;
    return cmd;
}

// An arrange of the next straight move's target X by a common variable.
cEdCommand ArrangeTargetX(int operation, int variable) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdArrange;
    cmd.vecParam.resize(5);
    cmd.vecParam[0] = kCmdStraightMove;
    cmd.vecParam[1] = kStraightMoveTargetXDot;
    cmd.vecParam[2] = operation;
    cmd.vecParam[3] = kArrangeCommonVariable;
    cmd.vecParam[4] = variable;
    return cmd;
}

cEdCommand SetOwnGiantSize(int size) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdStatus2;
    cmd.vecParam.resize(3);
    cmd.vecParam[0] = kWhoseSelf;
    cmd.vecParam[1] = kFlagGiant;
    cmd.vecParam[2] = size;
    return cmd;
}

cEdFlow Flow(int trigger, std::initializer_list<cEdKeyCondition> keys, bool keyLevel,
             cEdCommand command) {
    cEdFlow flow;
    flow.nTrigger = static_cast<std::int8_t>(trigger);
    for (const cEdKeyCondition& k : keys) flow.vecKeyCondition.push_back(k);
    flow.bKeyLevel = keyLevel ? 1 : 0;
    flow.vecCommand.push_back(std::move(command));
    return flow;
}

// A flow that runs always: a pause, then the command, again and again.
cEdFlow Every(int pauseTenths, cEdCommand command) {
    cEdFlow flow = Flow(kTriggerAlways, {}, true, Wait(pauseTenths));
    flow.vecCommand.push_back(std::move(command));
    return flow;
}

// The hero within `hbl` half blocks of the character.
cEdCondition HeroWithin(int hbl) {
    cEdCondition reached;
    reached.nKind = kCondDistance;
    reached.nWhose = kWhoseHero;
    reached.nOp = kDistanceWithin;
    reached.nShape = kShapeCircle;
    reached.nValue = hbl;
    return reached;
}

cEdAnimeFrame Frame(int pattern, int tenths) {
    cEdAnimeFrame frame;
    frame.nPattern = pattern;
    frame.nTime = tenths;
    return frame;
}

}  // namespace

CheckedVector<cEdFlow> HeroFlows() {
    CheckedVector<cEdFlow> flows;
    // Level-triggered: the walk goes on for as long as the arrow is held.
    flows.push_back(Flow(kTriggerAlways, {Keys({kKeyLeft})}, true,
                         Move(kCmdStraightMove, kMoveLeft, kHeroWalkSpeed)));
    flows.push_back(Flow(kTriggerAlways, {Keys({kKeyRight})}, true,
                         Move(kCmdStraightMove, kMoveRight, kHeroWalkSpeed)));
    // Level-triggered, so that the flow runs while the button is held; its jump asks the
    // flow's key condition, tick by tick, whether the button is still held, and cuts the
    // rise when it is not.
    cEdCommand jump = Jump(kJumpHeightByKey, kHeroJumpHbl);
    jump.nSound = kJumpSound;
    flows.push_back(Flow(kTriggerAlways, {Keys({kKeyButton1})}, true, std::move(jump)));
    return flows;
}

CheckedVector<cEdFlow> ShooterHeroFlows() {
    CheckedVector<cEdFlow> flows = HeroFlows();
    // Edge-triggered: one shot per press, one swing per press.
    cEdCommand shot = ShotCommand(kCmdShot, 1);
    shot.spShot->nSpeed = kHeroShotSpeed;
    shot.spShot->nGraphic = kHeroShotGraphic;
    flows.push_back(Flow(kTriggerAlways, {Keys({kKeyButton2})}, false, std::move(shot)));
    cEdCommand sword = ShotCommand(kCmdSword, 3);
    sword.spShot->nHomingKind = kSampleSwordType;
    sword.spShot->nPower = kHeroSwordPower;
    flows.push_back(Flow(kTriggerAlways, {Keys({kKeyButton3})}, false, std::move(sword)));
    return flows;
}

CheckedVector<cEdFlow> TurretFlows() {
    cEdCommand shot = ShotCommand(kCmdShot, 1);
    cEdShot& record = *shot.spShot;
    record.nSpeed = kTurretShotSpeed;
    record.nGraphic = 2;
    record.nHomingKind = kHomingAimTarget;  // aims at the hero as it leaves
    record.nImpact = kTurretShotImpact;
    record.nPower = kTurretShotPower;
    CheckedVector<cEdFlow> flows;
    flows.push_back(Every(kTurretPause, std::move(shot)));
    return flows;
}

CheckedVector<cEdFlow> WaverFlows() {
    cEdCommand shot = ShotCommand(kCmdShot, 1);
    cEdShot& record = *shot.spShot;
    record.nDirection = kShotDown;
    record.nSpeed = 15;
    record.nGraphic = 31;
    record.nHomingKind = kHomingWave;
    record.nHomingParam[0] = 2;  // two half blocks to each side
    record.nHomingParam[1] = 4;
    record.nHomingParam[2] = 0;
    CheckedVector<cEdFlow> flows;
    flows.push_back(Every(kWavePause, std::move(shot)));
    return flows;
}

CheckedVector<cEdFlow> SummonerFlows(int chara) {
    cEdCommand summon = ShotCommand(kCmdSummonChara, 1);
    cEdShot& record = *summon.spShot;
    record.nDirection = kShotUp;
    record.nSummonPalette = kSummonStagePalette;
    record.nSummonIndex = static_cast<std::int16_t>(chara);
    record.bLifeLimit = 1;
    record.nLife = kSummonLifeTenths;
    CheckedVector<cEdFlow> flows;
    flows.push_back(Every(kSummonPause, std::move(summon)));
    return flows;
}

CheckedVector<cEdFlow> TogglerFlows(int block) {
    cEdCommand summon = ShotCommand(kCmdSummonBlock, 1);
    cEdShot& record = *summon.spShot;
    record.nSummonPalette = kSummonStagePalette;
    record.nSummonIndex = static_cast<std::int16_t>(block);
    record.nBlockSummonMode = kBlockToggle;
    CheckedVector<cEdFlow> flows;
    flows.push_back(Every(kTogglePause, std::move(summon)));
    return flows;
}

CheckedVector<cEdFlow> DuelFlows() {
    cEdCommand shot = ShotCommand(kCmdShot, 1);
    cEdShot& record = *shot.spShot;
    record.nSpeed = 20;
    record.nGraphic = 61;
    record.nPower = 0;
    record.bClash = 1;
    record.nVanish = 1;
    CheckedVector<cEdFlow> flows;
    flows.push_back(Every(kDuelPause, std::move(shot)));
    return flows;
}

CheckedVector<cEdFlow> StormFlows() {
    constexpr int kThunder = 3;
    constexpr int kAimAtSelf = 2;
    cEdCommand shot = ShotCommand(kCmdShot, 600);
    cEdShot& record = *shot.spShot;
    record.nFormation = kThunder;
    record.nCount = kStormRows;
    record.nFormationParam[0] = 0;
    record.nFormationParam[1] = kStormColumns;
    record.nFormationParam[2] = 0;
    record.nAimAt = kAimAtSelf;
    record.nDirection = kShotDown;
    record.nClonesPerCount = kStormClonePasses - 1;
    record.nSpeed = 30;
    record.nPower = 0;
    CheckedVector<cEdFlow> flows;
    flows.push_back(Flow(kTriggerAlways, {}, true, std::move(shot)));
    return flows;
}

CheckedVector<cEdFlow> PatrolFlows() {
    CheckedVector<cEdFlow> flows;
    flows.push_back(
        Flow(kTriggerAlways, {}, true, Move(kCmdGroundTurnMove, kMoveForward, kPatrolSpeed)));
    return flows;
}

CheckedVector<cEdFlow> HopperFlows() {
    CheckedVector<cEdFlow> flows;
    // Edge-triggered: one hop per entered sequence, however long the last step is held.
    flows.push_back(Flow(kTriggerAlways,
                         {Keys({kKeyDown}), Keys({kKeyDownRight}), Keys({kKeyRight, kKeyButton2})},
                         false, Jump(kJumpFixedHeight, kHopperJumpHbl)));
    return flows;
}

CheckedVector<cEdFlow> WaiterFlows(int timeLimit) {
    cEdCondition late;
    late.nKind = kCondStatus;
    late.nWhose = kWhoseSystem;
    late.nItem = kSystemTime;
    late.nOp = kOpAtMost;
    late.nValue = timeLimit - kWaiterDelaySeconds;
    cEdFlow flow =
        Flow(kTriggerAlways, {}, true, Move(kCmdStraightMove, kMoveForward, kWaiterSpeed));
    flow.vecCondition.push_back(late);
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

CheckedVector<cEdFlow> CodeHeroFlows() {
    CheckedVector<cEdFlow> flows = HeroFlows();
    cEdCondition laps;
    laps.nKind = kCondCommonVar;
    laps.nVarIndex = kCodeLapVariable;
    laps.nOp = kOpAtLeast;
    laps.nValue = kCodeGiantLap;
    cEdFlow grow = Flow(kTriggerAlways, {}, true, SetOwnGiantSize(kCodeGiantSize));
    grow.vecCondition.push_back(laps);
    flows.push_back(std::move(grow));
    return flows;
}

CheckedVector<cEdFlow> CodeLapFlows() {
    // Every lap counts itself, buys time, scores by the time left, and walks out and back:
    // each arrange adds the count to the walk after it, and the change stays with the
    // walker's copy of the command, so the lap grows by the count every time.
    cEdFlow lap = Flow(kTriggerAlways, {}, true, Code("C1 = C1 + 1"));
    lap.vecCommand.push_back(Code("time = time + 2"));
    lap.vecCommand.push_back(Code("score = score + 100 + time"));
    lap.vecCommand.push_back(ArrangeTargetX(kArrangePlus, kCodeLapVariable));
    lap.vecCommand.push_back(WalkBy(kCodeLapBaseDots, kCodeLapSpeed));
    lap.vecCommand.push_back(ArrangeTargetX(kArrangeMinus, kCodeLapVariable));
    lap.vecCommand.push_back(WalkBy(-kCodeLapBaseDots, kCodeLapSpeed));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(lap));
    return flows;
}

CheckedVector<cEdFlow> WandererFlows() {
    cEdFlow lap = Flow(kTriggerAlways, {}, true, Code("C5 = rand(0, 16) - 8"));
    lap.vecCommand.push_back(ArrangeTargetX(kArrangePlus, kWanderVariable));
    lap.vecCommand.push_back(WalkBy(0, kPatrolSpeed));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(lap));
    return flows;
}

cEdCommand ItemStatusAdd(int whose, int status, int value) {
    constexpr int kItemStatus = 7;
    constexpr int kStatusParams = 18;
    constexpr int kOpPlus = 1;
    cEdCommand cmd;
    cmd.nCmdKind = 1;
    cmd.nCmdType = kItemStatus;
    cmd.vecParam.resize(kStatusParams);
    cmd.vecParam.Fill(0);
    cmd.vecParam[3] = whose;
    cmd.vecParam[4] = status;
    cmd.vecParam[5] = kOpPlus;
    cmd.vecParam[7] = value;
    return cmd;
}

CheckedVector<cEdFlow> DashFlows() {
    cEdCommand dash = Move(kCmdStraightMove, kMoveForward, kDashSpeed);
    dash.nTime = kDashTenths;
    // Edge-triggered: one dash per press.
    cEdFlow flow = Flow(kTriggerAlways, {Keys({kKeyButton2})}, false, std::move(dash));
    flow.nId = kDashFlowId;
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

CheckedVector<cEdFlow> NearOnceFlows(const CheckedVector<cEdCommand>& commands) {
    cEdFlow flow;
    flow.nTrigger = kTriggerAlways;
    flow.bKeyLevel = 1;
    flow.vecCommand = commands;
    // Then the flow takes itself away: the commands never run again.
    cEdCommand done;
    done.nCmdType = kCmdFlowOperation;
    done.vecParam = {kFlowOpDelete, kFlowSetThis, 0};
    flow.vecCommand.push_back(std::move(done));
    flow.vecCondition.push_back(HeroWithin(kSwitchReachHbl));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

CheckedVector<cEdFlow> FailingCodeFlows() {
    CheckedVector<cEdFlow> flows;
    flows.push_back(Flow(kTriggerAlways, {}, true, Code(kCodeFailingText)));
    return flows;
}

CheckedVector<cEdFlow> RideStartFlows(int speed) {
    // The flow starts again in every tick the hero rides: the platform moves while it is
    // ridden and stops soon after the hero has left it.
    CheckedVector<cEdFlow> flows;
    flows.push_back(
        Flow(kTriggerRiddenByHero, {}, false, Move(kCmdStraightMove, kMoveRight, speed)));
    return flows;
}

CheckedVector<cEdFlow> ShuttleFlows(int dots, int speed) {
    cEdFlow shuttle = Flow(kTriggerAlways, {}, true, WalkBy(dots, speed));
    shuttle.vecCommand.push_back(WalkBy(-dots, speed));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(shuttle));
    return flows;
}

CheckedVector<cEdFlow> ElevatorFlows(int tenths, int speed, bool downFirst) {
    cEdCommand up = Move(kCmdStraightMove, kMoveUp, speed);
    up.nTime = static_cast<std::int16_t>(tenths);
    cEdCommand down = Move(kCmdStraightMove, kMoveDown, speed);
    down.nTime = static_cast<std::int16_t>(tenths);
    cEdFlow lift = Flow(kTriggerAlways, {}, true, downFirst ? down : up);
    lift.vecCommand.push_back(downFirst ? up : down);
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(lift));
    return flows;
}

CheckedVector<cEdFlow> GoalFlows() {
    const cEdCondition reached = HeroWithin(kGoalReachHbl);
    cEdCommand clear;
    clear.nCmdType = kCmdStageClear;
    clear.vecParam.resize(kStageClearParams);
    clear.vecParam.Fill(0);
    cEdFlow flow = Flow(kTriggerAlways, {}, true, std::move(clear));
    flow.vecCondition.push_back(reached);
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

namespace {

cEdCommand WarpBy(int blocks) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdWarp;
    cEdMove::Create(cmd.spMove);
    cEdMove& move = *cmd.spMove;
    move.nDestMode = kWarpToPoint;
    move.nCoordKind = kWarpRelative;
    move.bMirrorX = 0;
    move.nTargetXBl = static_cast<std::int16_t>(blocks);
    return cmd;
}

}  // namespace

CheckedVector<cEdFlow> WarperFlows() {
    cEdFlow flow = Flow(kTriggerAlways, {}, true, WarpBy(kWarpBlocks));
    flow.vecCommand.push_back(Wait(kWarpPauseTenths));
    flow.vecCommand.push_back(WarpBy(-kWarpBlocks));
    flow.vecCommand.push_back(Wait(kWarpPauseTenths));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

CheckedVector<cEdFlow> AimerFlows(int aimGroup) {
    cEdCommand aim;
    aim.nCmdType = kCmdSetTarget;
    aim.vecParam.resize(kSetTargetParams);
    aim.vecParam.Fill(0);
    aim.vecParam[0] = kTargetNearest;
    aim.vecParam[1] = aimGroup;
    aim.vecParam[3] = kRangeEverywhere;
    cEdCommand warp;
    warp.nCmdType = kCmdWarp;
    cEdMove::Create(warp.spMove);
    warp.spMove->nDestMode = kWarpFromTarget;
    warp.spMove->nDirection = kMoveForward;
    warp.spMove->nDistance = kAimHbl;
    cEdFlow flow = Flow(kTriggerAlways, {}, true, std::move(aim));
    flow.vecCommand.push_back(std::move(warp));
    flow.vecCommand.push_back(Wait(kAimPauseTenths));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

CheckedVector<cEdFlow> SwitchFlows(int vanishGroup) {
    cEdCommand vanish;
    vanish.nCmdType = kCmdVanish;
    vanish.vecParam = {kVanishCharas, vanishGroup, kRangeEverywhere};
    cEdFlow flow = Flow(kTriggerAlways, {}, true, std::move(vanish));
    flow.vecCondition.push_back(HeroWithin(kSwitchReachHbl));
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

cEdFlow ShownDistanceAreas() {
    constexpr int kTriggerNever = 19;
    constexpr int kCondDistance = 7;
    constexpr int kShowInDirectPlay = 2;
    cEdFlow flow;
    flow.nTrigger = kTriggerNever;
    const int shapes[] = {6, 1};  // a circle, then the band in front
    const int colours[] = {2, 5};
    for (int i = 0; i < 2; ++i) {
        cEdCondition area;
        area.nKind = kCondDistance;
        area.nWhose = 0;  // to the hero
        area.nValue = kShownAreaHbl;
        area.nShape = static_cast<std::int8_t>(shapes[i]);
        area.nSubject = kShowInDirectPlay;
        area.nItem = static_cast<std::int8_t>(colours[i]);
        area.nSource = 1;  // shown while absent
        area.nWhose2 = 1;  // and while hidden
        flow.vecCondition.push_back(area);
    }
    return flow;
}

CheckedVector<cEdFlow> BusyFlows() {
    CheckedVector<cEdFlow> flows = PatrolFlows();
    cEdCondition now;
    now.nKind = kCondStatus;
    now.nWhose = kWhoseSystem;
    now.nItem = kSystemTime;
    now.nOp = 6;  // a multiple of
    now.nValue = 2;
    cEdFlow hurt = Flow(kTriggerAlways, {}, true, Code("hp = hp - 1"));
    hurt.vecCondition.push_back(now);
    flows.push_back(std::move(hurt));
    return flows;
}

void FillBasicAnimations(cEdAnimeSet& set) {
    // Standing, walking, flying, flying on the move: the order the actors ask for them.
    const std::pair<int, int> cells[] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}};
    const int tenths[] = {5, 1, 3, 1};
    for (int i = 0; i < 4 && i < static_cast<int>(set.vecAnime.Size()); ++i) {
        cEdAnime& anime = set.vecAnime[i];
        anime.vecFrame.Clear();
        anime.vecFrame.push_back(Frame(cells[i].first, tenths[i]));
        anime.vecFrame.push_back(Frame(cells[i].second, tenths[i]));
    }
}

}  // namespace gen
