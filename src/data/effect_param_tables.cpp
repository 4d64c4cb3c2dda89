// The descriptions of the character-effect and screen-effect parameters, the labels of the
// kinds and the editor's speed notes: the editor's tables, of which the player reads only
// the defaults that upgrade old records.
//
// Constant expressions, so the tables are in place before any other static object is made.
#include "data/effect_records.h"

namespace {

// A parameter that the kind does not use.
constexpr ParamDesc kUnused{"", 0, 0, 0};

}  // namespace

// A note names the speed with Direct3D and without it, each part possibly empty.
#define K4_EFFECT_NOTE(with, without) "Direct3D有効時：" with "\nDirect3D無効時：" without

constexpr Label CharaEffectLabels[17] = {
    "破裂",   "分割（横）", "分割（縦）", "波（横）", "波（縦）", "点滅",
    "回転A",  "回転B",      "回転（奥）", "円",       "拡大",     "レンズ",
    "色変化", "半透明",     "モザイク",   "ぼかし",   "",
};

constexpr Label CharaEffectNotes[17] = {
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("やや遅い", "やや遅い"),
    K4_EFFECT_NOTE("やや遅い", "やや遅い"),
    K4_EFFECT_NOTE("速い", "速い"),
    K4_EFFECT_NOTE("回転Aと回転Bは同じ", "巨大キャラには実行速度重視"),
    K4_EFFECT_NOTE("回転Aと回転Bは同じ", "やや遅い。巨大キャラには描画精度重視"),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("やや遅い", "やや遅い"),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("遅過ぎ", "遅い"),
    K4_EFFECT_NOTE("", "画面が8bit色→精度悪い、16bit色以上→やや遅い"),
    K4_EFFECT_NOTE("", "画面が8bit色→精度悪い、16bit色以上→遅過ぎ"),
    K4_EFFECT_NOTE("遅い", "画面が16bit色以上だと遅い"),
    K4_EFFECT_NOTE("遅い", "画面が16bit色以上でのみ有効。遅い"),
    "",
};

constexpr ParamDesc CharaEffectParamTable[17][5] = {
    // 0: no effect
    {kUnused, kUnused, kUnused, kUnused, kUnused},
    // 1 "破裂"
    {
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始位置(dot)", 0, 999, 0},
        {"終了位置(dot)", 0, 999, 32},
        kUnused,
        kUnused,
    },
    // 2 "分割（横）"
    {
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始位置(dot)", 0, 999, 0},
        {"終了位置(dot)", 0, 999, 32},
        {"分割数", 2, 16, 4},
        kUnused,
    },
    // 3 "分割（縦）"
    {
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始位置(dot)", 0, 999, 0},
        {"終了位置(dot)", 0, 999, 32},
        {"分割数", 2, 16, 4},
        kUnused,
    },
    // 4 "波（横）"
    {
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始幅(dot)", 0, 999, 0},
        {"終了幅(dot)", 0, 999, 32},
        {"波の数", 2, 16, 2},
        {"波の粗さ(dot)", 1, 4, 2},
    },
    // 5 "波（縦）"
    {
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始幅(dot)", 0, 999, 0},
        {"終了幅(dot)", 0, 999, 32},
        {"波の数", 2, 16, 2},
        {"波の粗さ(dot)", 1, 4, 2},
    },
    // 6 "点滅"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"点滅間隔(1/60s)", 1, 9999, 2},
        kUnused,
        kUnused,
        kUnused,
    },
    // 7 "回転A"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始角度", 0, 9999, 0},
        {"終了角度", 0, 9999, 1440},
        kUnused,
        kUnused,
    },
    // 8 "回転B"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始角度", 0, 9999, 0},
        {"終了角度", 0, 9999, 1440},
        kUnused,
        kUnused,
    },
    // 9 "回転（奥）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始位置(dot)", 0, 9999, 0},
        {"終了位置(dot)", 0, 9999, 256},
        kUnused,
        kUnused,
    },
    // 10 "円"
    {
        {"実行時間(1/10s)", 1, 9999, 5},
        {"開始半径(dot)", 0, 32, 32},
        {"終了半径(dot)", 0, 32, 0},
        {"円の粗さ(dot)", 1, 4, 2},
        kUnused,
    },
    // 11 "拡大"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 320, 32},
        {"終了幅(dot)", 0, 320, 64},
        kUnused,
        kUnused,
    },
    // 12 "レンズ"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始距離", 0, 100, 100},
        {"終了距離", 0, 100, 5},
        {"ズレX(dot)", -16, 16, 0},
        {"ズレY(dot)", -16, 16, 0},
    },
    // 13 "色変化"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始合成度", 1, 4, 1},
        {"終了合成度", 1, 4, 1},
        {"色", 16, 207, 16},
        kUnused,
    },
    // 14 "半透明"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"点滅間隔(1/60s)", 1, 9999, 9999},
        kUnused,
        kUnused,
        kUnused,
    },
    // 15 "モザイク"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始強度", 1, 16, 1},
        {"終了強度", 1, 16, 8},
        kUnused,
        kUnused,
    },
    // 16 "ぼかし"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始強度", 1, 4, 1},
        {"終了強度", 1, 4, 4},
        kUnused,
        kUnused,
    },
};

constexpr Label ScreenEffectLabels[14] = {
    "移動", "振動（横）", "振動（縦）", "分割（横）", "分割（縦）", "波（横）", "波（縦）",
    "点滅", "回転",       "円",         "拡大",       "レンズ",     "モザイク", "",
};

constexpr Label ScreenEffectNotes[14] = {
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("", ""),
    K4_EFFECT_NOTE("やや遅い", "やや遅い"),
    K4_EFFECT_NOTE("やや遅い", "やや遅い"),
    K4_EFFECT_NOTE("速い", "速い"),
    K4_EFFECT_NOTE("", "遅い"),
    K4_EFFECT_NOTE("やや遅い", "やや遅い"),
    K4_EFFECT_NOTE("", "やや遅い"),
    K4_EFFECT_NOTE("遅過ぎ", "遅過ぎ"),
    K4_EFFECT_NOTE("遅過ぎ", "画面が16bit色以上だと遅過ぎ"),
    "",
};

constexpr ParamDesc ScreenEffectParamTable[14][5] = {
    // 0: no effect
    {kUnused, kUnused, kUnused, kUnused, kUnused},
    // 1 "移動"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始座標X(dot)", -640, 640, 0},
        {"開始座標Y(dot)", -480, 480, 0},
        {"終了座標X(dot)", -640, 640, 640},
        {"終了座標Y(dot)", -480, 480, 0},
    },
    // 2 "振動（横）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"振動幅(dot)", 1, 640, 4},
        {"振動回数", 1, 9999, 4},
        kUnused,
        kUnused,
    },
    // 3 "振動（縦）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"振動幅(dot)", 1, 480, 4},
        {"振動回数", 1, 9999, 4},
        kUnused,
        kUnused,
    },
    // 4 "分割（横）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始位置(dot)", 0, 640, 0},
        {"終了位置(dot)", 0, 640, 640},
        {"分割数", 2, 240, 15},
        kUnused,
    },
    // 5 "分割（縦）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始位置(dot)", 0, 480, 0},
        {"終了位置(dot)", 0, 480, 480},
        {"分割数", 2, 320, 20},
        kUnused,
    },
    // 6 "波（横）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 640, 0},
        {"終了幅(dot)", 0, 640, 640},
        {"波の数", 2, 240, 4},
        {"波の粗さ(dot)", 1, 48, 8},
    },
    // 7 "波（縦）"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 480, 0},
        {"終了幅(dot)", 0, 480, 480},
        {"波の数", 2, 320, 4},
        {"波の粗さ(dot)", 1, 64, 10},
    },
    // 8 "点滅"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"点滅間隔(1/60s)", 1, 9999, 10},
        kUnused,
        kUnused,
        kUnused,
    },
    // 9 "回転"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始角度", 0, 9999, 0},
        {"終了角度", 0, 9999, 1440},
        kUnused,
        kUnused,
    },
    // 10 "円"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始半径(dot)", 0, 640, 640},
        {"終了半径(dot)", 0, 640, 0},
        {"円の粗さ(dot)", 1, 48, 8},
        kUnused,
    },
    // 11 "拡大"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始幅(dot)", 0, 6400, 640},
        {"終了幅(dot)", 0, 6400, 1280},
        kUnused,
        kUnused,
    },
    // 12 "レンズ"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始距離", 0, 1500, 1500},
        {"終了距離", 0, 1500, 5},
        {"ズレX(dot)", -320, 320, 0},
        {"ズレY(dot)", -240, 240, 0},
    },
    // 13 "モザイク"
    {
        {"実行時間(1/10s)", 1, 9999, 10},
        {"開始強度", 1, 240, 1},
        {"終了強度", 1, 240, 60},
        kUnused,
        kUnused,
    },
};

#undef K4_EFFECT_NOTE
