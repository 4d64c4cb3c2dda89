// The arrangeable parameters of every command type that has any, index by index. The
// formation parameters of the shot and summon commands and the movement-type parameters of
// the shot list 0 to 2147483647 here: the arrange takes their real range from the formation
// and homing tables, by the shot's own formation and homing kind.
#include "flow/param_desc_table.h"

namespace {

// 2 直線移動, 5 突撃移動
constexpr cParamRange kMoveTargetParams[] = {
    {"目標X(bl)", -640, 640},               // 0
    {"目標X(dot)", -640, 640},              // 1
    {"目標Y(bl)", -640, 640},               // 2
    {"目標Y(dot)", -640, 640},              // 3
    {"角度", -7200, 7200},                  // 4
    {"分身値による増加角度", -7200, 7200},  // 5
};

// 6 誘導移動
constexpr cParamRange kHomingMoveParams[] = {
    {"誘導性能の悪さ", 0, 10},                  // 0
    {"分身値による増加誘導性能の悪さ", 0, 10},  // 1
    {"目標X(bl)", -640, 640},                   // 2
    {"目標X(dot)", -640, 640},                  // 3
    {"目標Y(bl)", -640, 640},                   // 4
    {"目標Y(dot)", -640, 640},                  // 5
};

// 11 ショット
constexpr cParamRange kShotParams[] = {
    {"グラフィック", 1, 120},                         // 0
    {"Z座標", 0, 7},                                  // 1
    {"フォーメーション固有1", 0, 2147483647},         // 2
    {"フォーメーション固有2", 0, 2147483647},         // 3
    {"フォーメーション固有3", 0, 2147483647},         // 4
    {"発射数", 1, 127},                               // 5
    {"発射数に対する分身数", 0, 20},                  // 6
    {"角度のズレ", -7200, 7200},                      // 7
    {"分身値による角度のズレ", -7200, 7200},          // 8
    {"分散角度", 0, 180},                             // 9
    {"発射位置のズレX(dot)", -640, 640},              // 10
    {"分身値による発射位置のズレX(dot)", -640, 640},  // 11
    {"発射位置のズレY(dot)", -640, 640},              // 12
    {"分身値による発射位置のズレY(dot)", -640, 640},  // 13
    {"勢力", 0, 7},                                   // 14
    {"移動タイプ固有1", 0, 2147483647},               // 15
    {"移動タイプ固有2", 0, 2147483647},               // 16
    {"移動タイプ固有3", 0, 2147483647},               // 17
    {"速度", -200, 200},                              // 18
    {"分身値による増加速度", -200, 200},              // 19
    {"加速度", -200, 200},                            // 20
    {"分身値による増加加速度", -200, 200},            // 21
    {"飛距離(hbl)", 0, 64},                           // 22
    {"分身値による増加飛距離", -40, 40},              // 23
    {"存在時間(1/10s)", 1, 999},                      // 24
    {"分身値よる増加存在時間", -99, 99},              // 25
    {"消滅値", 1, 9},                                 // 26
    {"威力", -999999, 999999},                        // 27
    {"衝撃", -20, 20},                                // 28
};

// 12 ソード
constexpr cParamRange kSwordParams[] = {
    {"勢力", 0, 7},             // 0
    {"Z座標", 0, 7},            // 1
    {"威力", -999999, 999999},  // 2
    {"衝撃", -20, 20},          // 3
};

// 13 ブロック召喚
constexpr cParamRange kBlockSummonParams[] = {
    {"フォーメーション固有1", 0, 2147483647},  // 0
    {"フォーメーション固有2", 0, 2147483647},  // 1
    {"フォーメーション固有3", 0, 2147483647},  // 2
    {"数", 1, 127},                            // 3
    {"召喚位置のズレX(dot)", -640, 640},       // 4
    {"召喚位置のズレY(dot)", -640, 640},       // 5
};

// 14 キャラ召喚
constexpr cParamRange kCharaSummonParams[] = {
    {"存在時間(1/10s)", 1, 9999},              // 0
    {"勢力", 0, 7},                            // 1
    {"フォーメーション固有1", 0, 2147483647},  // 2
    {"フォーメーション固有2", 0, 2147483647},  // 3
    {"フォーメーション固有3", 0, 2147483647},  // 4
    {"数", 1, 127},                            // 5
    {"召喚位置のズレX(dot)", -640, 640},       // 6
    {"召喚位置のズレY(dot)", -640, 640},       // 7
};

// 15 アイテム召喚
constexpr cParamRange kItemSummonParams[] = {
    {"存在時間(1/10s)", 1, 9999},              // 0
    {"フォーメーション固有1", 0, 2147483647},  // 1
    {"フォーメーション固有2", 0, 2147483647},  // 2
    {"フォーメーション固有3", 0, 2147483647},  // 3
    {"数", 1, 127},                            // 4
    {"召喚位置のズレX(dot)", -640, 640},       // 5
    {"召喚位置のズレY(dot)", -640, 640},       // 6
};

// 17 ステージクリア
constexpr cParamRange kStageClearParams[] = {
    {"次のステージの番号", 1, 99},                // 0
    {"次のステージの初期位置X(bl)", 0, 999},      // 1
    {"次のステージの初期位置Y(bl)", 0, 999},      // 2
    {"クリア後のワールドマップの位置X", 0, 999},  // 3
    {"クリア後のワールドマップの位置Y", 0, 999},  // 4
};

// 19 メッセージ
constexpr cParamRange kMessageParams[] = {
    {"メッセージID", 0, 999},             // 0
    {"座標X(bl)", 0, 20},                 // 1
    {"座標Y(bl)", 0, 15},                 // 2
    {"表示位置のズレX(dot)", -999, 999},  // 3
    {"表示位置のズレY(dot)", -999, 999},  // 4
};

// 20 ワープ
constexpr cParamRange kWarpParams[] = {
    {"距離(hbl)", 0, 64},                    // 0
    {"分身値による増加距離(hbl)", -40, 40},  // 1
    {"目標X(bl)", -640, 640},                // 2
    {"目標Y(bl)", -640, 640},                // 3
    {"目標Xのズレ(dot)", -640, 640},         // 4
    {"目標Yのズレ(dot)", -640, 640},         // 5
};

// 21 ターゲットの設定
constexpr cParamRange kSetTargetParams[] = {
    {"対象勢力", 0, 7},                             // 0
    {"対象キャラID", 0, 99},                        // 1
    {"キャラ変数と比較する数値", -999999, 999999},  // 2
};

// 22 ステータスの操作
constexpr cParamRange kStatusParams[] = {
    {"乱数の最小値", -999999, 999999},  // 0
    {"乱数の最大値", -999999, 999999},  // 1
};

// 24 消滅
constexpr cParamRange kVanishParams[] = {
    {"対象勢力", 0, 7},  // 0
};

// 26 グラフィックの変更
constexpr cParamRange kChangeGraphicParams[] = {
    {"グラフィック", 1, 119},  // 0
    {"ズレ", -999, 999},       // 1
};

// 29 エフェクトの実行
constexpr cParamRange kEffectParams[] = {
    {"座標X(bl)", 0, 511},                // 0
    {"座標Y(bl)", 0, 511},                // 1
    {"表示位置のズレX(dot)", -999, 999},  // 2
    {"表示位置のズレY(dot)", -999, 999},  // 3
    {"表示倍率(%)", 1, 1000},             // 4
};

// 32 ピクチャーの表示
constexpr cParamRange kPictureParams[] = {
    {"ピクチャーID", 0, 999},             // 0
    {"座標X(bl)", 0, 511},                // 1
    {"座標Y(bl)", 0, 511},                // 2
    {"表示位置のズレX(dot)", -999, 999},  // 3
    {"表示位置のズレY(dot)", -999, 999},  // 4
    {"表示倍率(%)", 1, 1000},             // 5
};

// 33 画面の色を変更
constexpr cParamRange kScreenColorParams[] = {
    {"R", 0, 255},  // 0
    {"G", 0, 255},  // 1
    {"B", 0, 255},  // 2
    {"%", 0, 100},  // 3
};

// 34 背景の変更
constexpr cParamRange kBackgroundParams[] = {
    {"背景番号", 1, 8},  // 0
};

constexpr ArrangeParamList kLists[] = {
    {2, kMoveTargetParams},   {5, kMoveTargetParams},  {6, kHomingMoveParams},
    {11, kShotParams},        {12, kSwordParams},      {13, kBlockSummonParams},
    {14, kCharaSummonParams}, {15, kItemSummonParams}, {17, kStageClearParams},
    {19, kMessageParams},     {20, kWarpParams},       {21, kSetTargetParams},
    {22, kStatusParams},      {24, kVanishParams},     {26, kChangeGraphicParams},
    {29, kEffectParams},      {32, kPictureParams},    {33, kScreenColorParams},
    {34, kBackgroundParams},
};

}  // namespace

constexpr std::span<const ArrangeParamList> ArrangeParamLists = kLists;
