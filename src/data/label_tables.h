// The constant tables that the data model shares with the editor.
//
// For each enumerated member of a record there is the list of its choices in value order
// (index = stored value); for the commands, statuses and shot parameters there are small
// descriptions with names, counts and ranges. The editor shows them all. The player reads
// only the command-type tables (parameter counts of commands), the formation and homing
// tables (ranges of arranged shot parameters) and the font names (the face of the system
// fonts); the rest is kept because it fixes the value order of the members that records and
// the engine use, and a program built together with the editor's data needs the same orders.
//
// Every table is constant data, built before the program's entry point and never changed,
// so any thread may read it by index without locking. Labels view the program's literals:
// each one ends in a zero byte, so .data() may be handed on as a C string. Texts are the
// CP932 bytes the compiler makes of the literals.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/checked_vector.h"
#include "data/param_desc.h"

// One choice of an enumerated member, or a name.
using Label = std::string_view;

// A label table is a fixed array whose last used label is followed by an empty one, the way
// the editor's choice lists end; the number of choices is the number of labels before the
// first empty one.
constexpr int CountChoices(std::span<const Label> table) {
    int count = 0;
    for (Label label : table) {
        if (label.empty()) break;
        ++count;
    }
    return count;
}

// The name of a command type and the number of integer parameters a command of that type
// carries. Types without integer parameters keep their data in the command's move record,
// shot record or text.
struct CommandTypeDesc {
    Label strName;
    std::int32_t nParamCount = 0;
};

// A status that the status conditions and operations reach: the range of its value and of
// an operand applied to it, and three flags of the editor.
struct StatusDesc {
    Label strName;
    std::int32_t nMin = 0;
    std::int32_t nMax = 0;
    std::int32_t nOperandMin = 0;
    std::int32_t nOperandMax = 0;
    std::int32_t nFlagX = 0;
    std::int32_t nFlagY = 0;
    std::int32_t nFlagZ = 0;
};

// A flag of ステータスの操作2 with the choices it offers.
struct StatusFlagDesc {
    Label strName;
    std::int32_t nMin = 0;
    std::int32_t nMax = 0;
    CheckedVector<Label> vecChoices;
    std::int32_t nDefault = 0;

    StatusFlagDesc() = default;
    // Takes the choices of the table up to its first empty label.
    StatusFlagDesc(Label name, std::int32_t min, std::int32_t max, std::int32_t defaultValue,
                   std::span<const Label> choices);
};

// Tables read at run time.

inline constexpr int kCommandTypeCount = 40;
inline constexpr int kItemCommandTypeCount = 25;

// Index = character command type. A command's parameter list is sized from here.
extern const CommandTypeDesc CommandTypeTable[kCommandTypeCount];
// Index = item command type. Types 2 to 24 run the character command type n + 15 and carry
// the same name and parameter count.
extern const CommandTypeDesc ItemCommandTypeTable[kItemCommandTypeCount];

// The three parameters of each shot formation (entry 3 × formation + parameter, formations in
// the order of FormationLabels); an arranged formation parameter is clamped to its range.
extern const ParamDesc FormationParamTable[18];
// The three parameters of each homing kind (entry 3 × kind + parameter, kinds in the order of
// HomingLabels); an arranged homing parameter is clamped to its range.
extern const ParamDesc HomingParamTable[30];

// Font faces, index = nFontIndex of the system settings (default 60, "ＭＳ Ｐゴシック"); start-up
// gives the chosen face to every font definition. 122 faces and the closing empty label.
extern const Label FontNameTable[123];

// Status descriptions, built for the editor's data and not read at run time.

// In the character status order of the status conditions and status operations.
extern const StatusDesc CharaStatusDescs[15];
// In the system status order.
extern const StatusDesc SystemStatusDescs[5];
// In the flag order of ステータスの操作2.
extern const StatusFlagDesc StatusFlagDescs[7];
// Two descriptions with an empty name, zeros and no choices.
extern const StatusFlagDesc EmptyStatusDescs[2];

// The choices of CondTypeLabels: all its slots, the empty kind 0 included.
inline constexpr int kCondTypeCount = 8;

// Label tables, built for the editor's data and not read at run time; grouped by the data
// they describe.

// Block and palette settings.

// An off/on choice.
extern const Label OffOnLabels[3];
// Palette kind: stage palette, common palette.
extern const Label PaletteKindLabels[3];
// Inheritance source of a palette entry: 0 none, 1 common palette, 2 stage palette.
extern const Label InheritSourceLabels[4];
// Inheritance source, common palette only.
extern const Label InheritCommonLabels[3];
// Inheritance source, stage palette only.
extern const Label InheritStageLabels[3];
// Inheritance source, none only.
extern const Label InheritNoneLabels[2];
// Graphic source kind 0 to 4: block sheet, character, item, shot, own bitmap.
extern const Label GraphicSourceLabels[6];
// The same choices as GraphicSourceLabels, a table of its own.
extern const Label GraphicSourceLabels2[6];
// An off/on choice, a table of its own beside OffOnLabels.
extern const Label OffOnLabels2[3];
// Block display mode: hidden, shown, shown in the editor only.
extern const Label BlockShowLabels[4];
// Block hit mode: no hit, hit, instant death for the hero.
extern const Label BlockHitLabels[4];
// None or 0 to 7.
extern const Label NoneOr0to7Labels[10];
// Effect of a block on a character touching it, with a parameter X.
extern const Label BlockTouchLabels[7];
// Palette reference: none, common, stage.
extern const Label PaletteRefLabels[4];
// Palette reference: none, common.
extern const Label PaletteRefCommonLabels[3];

// Flow conditions.

// Flow condition kind 0 to 7. Entry 0 is the empty kind and no empty label closes the table,
// so the terminator rule does not give its number of choices: that is kCondTypeCount.
extern const Label CondTypeLabels[8];
// How a flow combines its conditions: 0 all true, 1 one or more true.
extern const Label CondCombineLabels[3];
// Distance condition: measured to the hero or to the target.
extern const Label DistTargetLabels[3];
// Distance condition shape 0 to 6.
extern const Label DistShapeLabels[8];
// Distance condition: inside or outside.
extern const Label DistInsideLabels[3];
// Display of a distance-condition area: 0 hidden, 1 shown, 2 only in test play.
extern const Label DistShowLabels[4];

// Character settings.

// Character controller: player, computer.
extern const Label CharaControlLabels[3];
// A one-entry choice.
extern const Label CharaOneLabels[2];
// Block collision mode 0 to 3 (the fifth slot is the closing empty label).
extern const Label BlockCollisionLabels[5];
// Shot collision mode 0 to 2.
extern const Label ShotCollisionLabels[4];
// An off/on choice of the character settings.
extern const Label CharaOffOnLabels[3];
// Giant size: 0 none, n = 1 to 9 meaning (n + 1)² times the area (the last two slots empty).
extern const Label GiantSizeLabels[12];
// Giant size without the none entry (the last two slots empty).
extern const Label GiantSizeLabels2[11];
// Range shape around a character.
extern const Label RangeShapeLabels[6];
// Hit-box kind used for a test.
extern const Label HitBoxKindLabels[5];
// Activity area of a character.
extern const Label ActiveAreaLabels[5];
// How range and group decide activity.
extern const Label ActiveCombineLabels[4];

// Flows and commands.

// Flow ID: 0 none, 1 to 26 = A to Z.
extern const Label FlowIdLabels[28];
// Flow group: 0 none, 1 to 26 = a to z.
extern const Label FlowGroupLabels[28];
// Flow trigger kind 0 to 19.
extern const Label FlowTriggerLabels[21];
// フローの操作 parameter 0: operation 0 to 5.
extern const Label FlowOpLabels[7];
// フローの操作 parameter 1: which flows.
extern const Label FlowOpTargetLabels[4];
// Whose: self, target.
extern const Label SelfTargetLabels[3];
// Whose status: self, target, system.
extern const Label SelfTargetSystemLabels[4];
// Hero or target.
extern const Label HeroTargetLabels[3];
// Hero, target or system.
extern const Label HeroTargetSystemLabels[4];
// Operand kind: status, variable.
extern const Label StatusOrVarLabels[3];
// Value source: 0 constant, 1 random, 2 status, 3 variable.
extern const Label ValueSourceLabels[5];
// Variable scope: common, stage.
extern const Label VarScopeLabels[3];
// Calculation mode: normal, percent of the maximum, percent of the current value.
extern const Label CalcModeLabels[4];
// A single ON choice.
extern const Label OnOnlyLabels[2];
// States tested by ステータス条件3.
extern const Label StateCondLabels[5];
// Key-condition combination: 0 all keys, 1 one or more, 2 exactly one.
extern const Label KeyCombineLabels[4];
// Key state per key of a key condition: 0 none, 1 pressed, 2 released.
extern const Label KeyStateLabels[4];
// ステージクリア parameter 0: next stage, by number, by path, world clear.
extern const Label StageClearModeLabels[5];
// Facing at the next stage.
extern const Label ClearFacingLabels[4];
// メッセージ display position 0 to 8.
extern const Label MessagePosLabels[10];
// メッセージ display duration.
extern const Label MessageTimeLabels[4];
// ターゲットの設定: whom to target.
extern const Label TargetChoiceLabels[5];
// ターゲットの設定: search range.
extern const Label TargetRangeLabels[4];
// ターゲットの設定: result when nobody is found.
extern const Label TargetMissLabels[3];
// Object kind: character, shot.
extern const Label CharaOrShotLabels[3];
// Range: on screen, everywhere.
extern const Label ScreenRangeLabels[3];
// Palette: common, stage.
extern const Label PaletteSideLabels[3];
// Palette: common only.
extern const Label PaletteCommonOnlyLabels[2];
// Display position of a picture or effect, 0 to 4.
extern const Label PicturePosLabels[6];
// Picture display duration.
extern const Label PictureTimeLabels[4];
// Animation play mode: normal, reversed, back and forth.
extern const Label PlayModeLabels[4];
// Show, hide, toggle.
extern const Label ShowHideLabels[4];
// Variable scope: common, stage, character.
extern const Label VarScope3Labels[4];

// Move commands.

// Move: by direction or by target coordinates.
extern const Label MoveSpecLabels[3];
// Move: by direction and distance, from the target, or target coordinates.
extern const Label MoveSpec3Labels[4];
// Move direction 0 to 12 (12 = the input direction).
extern const Label MoveDirLabels[14];
// Coordinate kind, with placement-relative.
extern const Label CoordKind4Labels[5];
// Coordinate kind: relative, absolute, screen.
extern const Label CoordKindLabels[4];
// Rotation sense of the circle move.
extern const Label RotateDirLabels[5];
// 向き変更 facing choice 0 to 5.
extern const Label TurnDirLabels[7];
// Move timing: 0 time and speed, 1 time and distance, 2 speed and distance.
extern const Label MoveTimingLabels[4];
// Move timing without a distance: time or speed.
extern const Label MoveTiming2Labels[3];
// Jump height control.
extern const Label JumpHeightLabels[4];
// Distance unit: hbl or dot.
extern const Label UnitLabels[3];

// Item commands.

// フローの変更 parameter 0: 0 add, 1 change, 2 delete.
extern const Label FlowChangeOpLabels[4];
// フローの変更 parameter 1: 0 all, 1 to 26 = flow ID A to Z.
extern const Label FlowChangeIdLabels[28];

// Shots.

// Shot formation kind 0 to 5 (the row order of FormationParamTable).
extern const Label FormationLabels[7];
// Shot aim reference.
extern const Label ShotAimLabels[4];
// Shot homing kind 0 to 9 (the row order of HomingParamTable).
extern const Label HomingLabels[11];
// ブロック召喚 mode.
extern const Label BlockSummonModeLabels[4];
// Palette of shot data: common, stage.
extern const Label ShotPaletteLabels[3];
// Palette of shot data: common only.
extern const Label ShotPaletteCommonLabels[2];
// Side (勢力) of a spawned object: as the palette says, same as the user, by number.
extern const Label ShotSideModeLabels[4];

// System settings.

// Colour mode of the project (the order of nColourMode).
extern const Label ColorModeLabels[3];
// Colour depth for DirectDraw (the order of nDepthDD).
extern const Label ColorDepthLabels[4];
// Colour depth for Direct3D (the order of nDepthD3D).
extern const Label ColorDepthFullLabels[3];

// Status operations and comparisons.

// Character variable 1 to 8.
extern const Label CharaVarLabels[9];
// Arithmetic operation 0 to 6: set, add, subtract, multiply, divide, remainder, percent.
extern const Label CalcOpLabels[8];
// Comparison operator 0 to 7.
extern const Label CompareOpLabels[9];
// If, if not.
extern const Label IfLabels[3];

// Colours.

// Colour choice, for example the colour in which a distance-condition area is shown.
extern const Label ColourLabels[11];
