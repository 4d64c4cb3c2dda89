// The default contents of the system settings: the texts of a new project, its menus and the
// System.ini options, and the texts that the upgrade of old files inserts.
#include "data/system_record.h"

constexpr Label kSystemTextDefaults[kSystemTextCount] = {
    "ワールド",            // 0
    "ステージ",            // 1
    "スコア",              // 2
    "ハイスコア",          // 3
    "トータルスコア",      // 4
    "スコア",              // 5: the lines of the stage result box, 5 to 9
    "残り時間",            // 6
    "クリア時間",          // 7
    "残りHP",              // 8
    "残りSP",              // 9
    "ステージに挑む",      // 10
    "やっぱりやめる",      // 11
    "セーブする",          // 12
    "やっぱりやめる",      // 13
    "オートセーブＯＮ",    // 14
    "オートセーブＯＦＦ",  // 15
    "保存先が不明です！一度は「セーブ」して下さい！",  // 16
    "タイトルへ戻る",                                  // 17
    "やっぱりやめる",                                  // 18
    "しゅうりょう",                                    // 19
    "つづける",                                        // 20
    "リトライ",                                        // 21
    "リトライ",                                        // 22
    "マップへ戻る",                                    // 23
    "Vキーでジャンルの切り替え",                       // 24
    "スペースキーでタイトルへ戻る",                    // 25
    "スペースキーで終了",                              // 26
    "F3キーでランキングへ登録",                        // 27
};

constexpr Label kTitleMenuDefaults[7] = {"はじめから", "つづきから", "チャレンジ",  "フリー",
                                         "リプレイ",   "オプション", "しゅうりょう"};

constexpr Label kMapMenuDefaults[4] = {"セーブ", "オートセーブ", "もどる", "タイトルへ"};

// The last item has no text.
constexpr Label kOptionMenuDefaults[6] = {"BGM",    "SE", "ランキング登録", "ランキング登録名",
                                          "もどる", ""};

constexpr Label kRankingModeNameDefaults[4] = {"手動登録（登録名入力）", "手動登録（登録名固定）",
                                               "自動登録（登録名入力）", "自動登録（登録名固定）"};

constexpr SystemOptionDefault kSystemOptionDefaults[kSystemOptionCount] = {
    {"Direct3D", cEdSystemSubD::kNumber, 2},
    {"WindowMode", cEdSystemSubD::kNumber, 0},
    {"Bpp", cEdSystemSubD::kNumber, 0},
    {"VSync", cEdSystemSubD::kNumber, 2},
    {"D3D_FontCache", cEdSystemSubD::kNumber, 0},
    {"DD_FontCache", cEdSystemSubD::kNumber, 1},
    {"DD_VideoStretch", cEdSystemSubD::kNumber, 0},
    {"ShowFps", cEdSystemSubD::kNumber, 1},
    {"FreeStage", cEdSystemSubD::kText, 0},
    {"English", cEdSystemSubD::kNumber, 0},
};

constexpr SystemHudDefault kHudItemDefaults[kHudItemCount] = {
    {1, 1, "スコア", 4}, {1, 1, "スコア", 3}, {1, 1, "HP", 0}, {1, 1, "SP", 0}, {1, 1, "人", 2},
};

constexpr Label kAutosaveItemText = "オートセーブ";
constexpr Label kSaveLocationText = "保存先が不明です！一度は「セーブ」して下さい！";
constexpr Label kAutosaveOnText = "オートセーブＯＮ";
constexpr Label kAutosaveOffText = "オートセーブＯＦＦ";
constexpr Label kRemainingHpText = "残りHP";
constexpr Label kRemainingSpText = "残りSP";
constexpr Label kRetryText = "リトライ";
constexpr Label kBackToMapText = "マップへ戻る";
