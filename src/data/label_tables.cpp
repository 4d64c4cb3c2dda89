// The choices of the enumerated members, in value order, each list closed by an empty label
// (CondTypeLabels alone has none), and the font faces of the system settings.
//
// The definitions are constant expressions, so the tables are in place before any other
// static object is made and can be read from any source file's start-up code.
#include "data/label_tables.h"

// Block and palette settings.

constexpr Label OffOnLabels[3] = {"OFF", "ON", ""};
constexpr Label PaletteKindLabels[3] = {"ステージパレット", "コモンパレット", ""};
constexpr Label InheritSourceLabels[4] = {"継承しない", "コモンパレット", "ステージパレット", ""};
constexpr Label InheritCommonLabels[3] = {"継承しない", "コモンパレット", ""};
constexpr Label InheritStageLabels[3] = {"継承しない", "ステージパレット", ""};
constexpr Label InheritNoneLabels[2] = {"継承しない", ""};
constexpr Label GraphicSourceLabels[6] = {"ブロック", "キャラ",  "アイテム",
                                          "ショット", "専用bmp", ""};
constexpr Label GraphicSourceLabels2[6] = {"ブロック", "キャラ",  "アイテム",
                                           "ショット", "専用bmp", ""};
constexpr Label OffOnLabels2[3] = {"OFF", "ON", ""};
constexpr Label BlockShowLabels[4] = {"表示しない", "表示する", "エディターでのみ表示", ""};
constexpr Label BlockHitLabels[4] = {"当たらない", "当たる", "主人公が当たると即死", ""};
constexpr Label NoneOr0to7Labels[10] = {"なし", "0", "1", "2", "3", "4", "5", "6", "7", ""};
constexpr Label BlockTouchLabels[7] = {"なし",
                                       "ジャンプ X=高さ(hbl)",
                                       "ジャンプ禁止",
                                       "移動速度変更 X=％",
                                       "左移動 X=移動速度",
                                       "右移動 X=移動速度",
                                       ""};
constexpr Label PaletteRefLabels[4] = {"なし", "コモンパレット", "ステージパレット", ""};
constexpr Label PaletteRefCommonLabels[3] = {"なし", "コモンパレット", ""};

// Flow conditions.

constexpr Label CondTypeLabels[8] = {"",
                                     "コモン変数条件",
                                     "ステージ変数条件",
                                     "キャラ変数条件",
                                     "ステータス条件",
                                     "ステータス条件2",
                                     "ステータス条件3",
                                     "距離条件"};
constexpr Label CondCombineLabels[3] = {"全ての条件が真なら成立", "1つ以上の条件が真なら成立", ""};
constexpr Label DistTargetLabels[3] = {"主人公", "ターゲット", ""};
constexpr Label DistShapeLabels[8] = {"横", "前", "後", "縦", "前Y", "後Y", "円", ""};
constexpr Label DistInsideLabels[3] = {"以内", "外", ""};
constexpr Label DistShowLabels[4] = {"表示しない", "表示する", "テストプレイ時のみ表示", ""};

// Character settings.

constexpr Label CharaControlLabels[3] = {"プレイヤー", "コンピューター", ""};
constexpr Label CharaOneLabels[2] = {"1", ""};
constexpr Label BlockCollisionLabels[5] = {
    "OFF", "ON (ブロックをすり抜ける)", "ON (ブロックに当たる)", "ON (ブロックに当たると即死)", ""};
constexpr Label ShotCollisionLabels[4] = {"OFF", "ON (ショットが当たる)",
                                          "ON (ショットがすり抜ける)", ""};
constexpr Label CharaOffOnLabels[3] = {"OFF", "ON", ""};
constexpr Label GiantSizeLabels[12] = {"しない", "×4",  "×9",  "×16",  "×25", "×36",
                                       "×49",    "×64", "×81", "×100", "",    ""};
constexpr Label GiantSizeLabels2[11] = {"×4",  "×9",  "×16",  "×25", "×36", "×49",
                                        "×64", "×81", "×100", "",    ""};
constexpr Label RangeShapeLabels[6] = {"画面内全て",           "キャラを中心とした円形",
                                       "キャラの前方に円形",   "キャラを中心とした正方形",
                                       "キャラの前方に正方形", ""};
constexpr Label HitBoxKindLabels[5] = {"キャラ対キャラの当たり判定範囲（推奨）",
                                       "キャラ対ショットの当たり判定範囲",
                                       "ショット対キャラの当たり判定範囲", "32×32", ""};
constexpr Label ActiveAreaLabels[5] = {"画面内", "X座標のみ画面内", "Y座標のみ画面内", "全範囲",
                                       ""};
constexpr Label ActiveCombineLabels[4] = {"範囲かグループが真なら成立",
                                          "一度範囲かグループが真になると、以後無条件で成立",
                                          "範囲とグループが偽なら成立", ""};

// Flows and commands.

constexpr Label FlowIdLabels[28] = {"-", "A", "B", "C", "D", "E", "F", "G", "H", "I",
                                    "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S",
                                    "T", "U", "V", "W", "X", "Y", "Z", ""};
constexpr Label FlowGroupLabels[28] = {"-", "a", "b", "c", "d", "e", "f", "g", "h", "i",
                                       "j", "k", "l", "m", "n", "o", "p", "q", "r", "s",
                                       "t", "u", "v", "w", "x", "y", "z", ""};
constexpr Label FlowTriggerLabels[21] = {"常時",
                                         "ダメージを受けた時",
                                         "衝撃を受けた時",
                                         "死亡した時",
                                         "キャラに当たった時",
                                         "ブロックキャラに当たった時",
                                         "ブロックキャラに乗っている時",
                                         "ショットに当たった時",
                                         "アイテムに当たった時",
                                         "ブロックに当たった時",
                                         "自分の左右にブロックが当たった時",
                                         "自分の左にブロックが当たった時",
                                         "自分の右にブロックが当たった時",
                                         "自分の上下にブロックが当たった時",
                                         "自分の上にブロックが当たった時",
                                         "自分の下にブロックが当たった時",
                                         "主人公に乗られている時",
                                         "キャラに乗られている時",
                                         "ステージ開始前",
                                         "なし（フローの操作コマンドで実行）",
                                         ""};
constexpr Label FlowOpLabels[7] = {"開始", "終了", "一時停止", "再開", "削除", "永久停止", ""};
constexpr Label FlowOpTargetLabels[4] = {"このフロー", "このフロー以外全て", "IDで指定", ""};
constexpr Label SelfTargetLabels[3] = {"自分", "ターゲット", ""};
constexpr Label SelfTargetSystemLabels[4] = {"自分", "ターゲット", "システム", ""};
constexpr Label HeroTargetLabels[3] = {"主人公", "ターゲット", ""};
constexpr Label HeroTargetSystemLabels[4] = {"主人公", "ターゲット", "システム", ""};
constexpr Label StatusOrVarLabels[3] = {"ステータス", "変数", ""};
constexpr Label ValueSourceLabels[5] = {"定数", "乱数", "ステータス", "変数", ""};
constexpr Label VarScopeLabels[3] = {"コモン変数", "ステージ変数", ""};
constexpr Label CalcModeLabels[4] = {"通常の計算", "最大値に対する％で指定",
                                     "現在値に対する％で指定", ""};
constexpr Label OnOnlyLabels[2] = {"ON", ""};
constexpr Label StateCondLabels[5] = {
    "左向き", "右向き", "ブロックに乗っている(ブロックキャラも含む)", "画面内にいる", ""};
constexpr Label KeyCombineLabels[4] = {"全てのキーが真なら成立", "1つ以上のキーが真なら成立",
                                       "1つだけキーが真なら成立", ""};
constexpr Label KeyStateLabels[4] = {"--", "押", "離", ""};
constexpr Label StageClearModeLabels[5] = {"次のステージへ", "番号で指定", "パスで指定",
                                           "ワールドクリア", ""};
constexpr Label ClearFacingLabels[4] = {"左向き", "右向き", "ステージクリア時の向きと同じ", ""};
constexpr Label MessagePosLabels[10] = {"画面中央に表示",     "自分の上に表示",
                                        "自分の下に表示",     "自分の中心に表示",
                                        "主人公の上に表示",   "主人公の下に表示",
                                        "主人公の中心に表示", "画面座標で指定",
                                        "ステージ座標で指定", ""};
constexpr Label MessageTimeLabels[4] = {"進行キーが押されるまで表示", "ステージ終了まで表示",
                                        "時間で指定", ""};
constexpr Label TargetChoiceLabels[5] = {"主人公", "自分", "最も近いキャラ",
                                         "キャラ(キャラIDで指定)", ""};
constexpr Label TargetRangeLabels[4] = {"全範囲（画面内のキャラ優先）", "全範囲", "画面内", ""};
constexpr Label TargetMissLabels[3] = {"ターゲット無し", "ターゲットを変更しない", ""};
constexpr Label CharaOrShotLabels[3] = {"キャラ", "ショット", ""};
constexpr Label ScreenRangeLabels[3] = {"画面内", "全範囲", ""};
constexpr Label PaletteSideLabels[3] = {"コモンパレット", "ステージパレット", ""};
constexpr Label PaletteCommonOnlyLabels[2] = {"コモンパレット", ""};
constexpr Label PicturePosLabels[6] = {"画面中央に表示", "キャラの中心に表示", "主人公の中心に表示",
                                       "画面座標で指定", "ステージ座標で指定", ""};
constexpr Label PictureTimeLabels[4] = {"進行キーが押されるまで表示", "ステージ終了まで表示",
                                        "時間で指定", ""};
constexpr Label PlayModeLabels[4] = {"通常実行", "反転実行", "往復実行", ""};
constexpr Label ShowHideLabels[4] = {"表示", "非表示", "反転(表示⇔非表示)", ""};
constexpr Label VarScope3Labels[4] = {"コモン変数", "ステージ変数", "キャラ変数", ""};

// Move commands.

constexpr Label MoveSpecLabels[3] = {"方向で指定", "目標座標で指定", ""};
constexpr Label MoveSpec3Labels[4] = {"方向と距離で指定", "ターゲットからの方向と距離で指定",
                                      "目標座標で指定", ""};
constexpr Label MoveDirLabels[14] = {"前", "後",   "左",   "右",   "前Y",  "後Y",      "上",
                                     "下", "左上", "左下", "右上", "右下", "入力方向", ""};
constexpr Label CoordKind4Labels[5] = {"配置位置からの相対座標", "相対座標", "絶対座標", "画面座標",
                                       ""};
constexpr Label CoordKindLabels[4] = {"相対座標", "絶対座標", "画面座標", ""};
constexpr Label RotateDirLabels[5] = {"右回り", "左回り", "左向きなら右回り、右向きなら左回り",
                                      "左向きなら左回り、右向きなら右回り", ""};
constexpr Label TurnDirLabels[7] = {"左を向く",
                                    "右を向く",
                                    "ターゲットがいる方を向く",
                                    "ターゲットがいる方の逆を向く",
                                    "最後にブロックが当たった方を向く",
                                    "最後にブロックが当たった方の逆を向く",
                                    ""};
constexpr Label MoveTimingLabels[4] = {"時間と速度を指定", "時間と距離を指定", "速度と距離を指定",
                                       ""};
constexpr Label MoveTiming2Labels[3] = {"時間を指定", "速度を指定", ""};
constexpr Label JumpHeightLabels[4] = {"高さがキーで調節できない",
                                       "高さがキーで調節できる(主人公のみ有効)",
                                       "慣性移動速度に応じて高さを決定(主人公のみ有効)", ""};
constexpr Label UnitLabels[3] = {"(hbl)で指定", "(dot)で指定", ""};

// Item commands.

constexpr Label FlowChangeOpLabels[4] = {"追加", "変更", "削除", ""};
constexpr Label FlowChangeIdLabels[28] = {"全て削除", "A", "B", "C", "D", "E", "F", "G", "H", "I",
                                          "J",        "K", "L", "M", "N", "O", "P", "Q", "R", "S",
                                          "T",        "U", "V", "W", "X", "Y", "Z", ""};

// Shots.

constexpr Label FormationLabels[7] = {"直進A", "直進B", "拡散", "落雷", "爆発", "包囲", ""};
constexpr Label ShotAimLabels[4] = {"ターゲット", "主人公", "自分", ""};
constexpr Label HomingLabels[11] = {"直進",
                                    "主人公を狙う",
                                    "近いキャラを狙う",
                                    "ターゲットを狙う",
                                    "主人公へ誘導",
                                    "近いキャラへ誘導（対象死亡時、誘導を無効化）",
                                    "ターゲットへ誘導",
                                    "近いキャラへ誘導（対象死亡時、対象を変更）",
                                    "ウェーブ",
                                    "落下",
                                    ""};
constexpr Label BlockSummonModeLabels[4] = {"ブロックを召喚", "ブロックを消す",
                                            "ブロックがなければ召喚、ブロックがあれば消す", ""};
constexpr Label ShotPaletteLabels[3] = {"コモンパレット", "ステージパレット", ""};
constexpr Label ShotPaletteCommonLabels[2] = {"コモンパレット", ""};
constexpr Label ShotSideModeLabels[4] = {"パレットの設定に準ずる", "使用者と同じ", "番号で指定",
                                         ""};

// System settings.

constexpr Label ColorModeLabels[3] = {"256色(8bit) カラーパレットあり",
                                      "1677万色(24bit) カラーパレットなし", ""};
constexpr Label ColorDepthLabels[4] = {"32bit(1677万色)", "16bit(32768色)", "8bit(256色)", ""};
constexpr Label ColorDepthFullLabels[3] = {"32bit(1677万色)", "16bit(32768色)", ""};

// Status operations and comparisons.

constexpr Label CharaVarLabels[9] = {"1 キャラ変数-1", "2 キャラ変数-2", "3 キャラ変数-3",
                                     "4 キャラ変数-4", "5 キャラ変数-5", "6 キャラ変数-6",
                                     "7 キャラ変数-7", "8 キャラ変数-8", ""};
constexpr Label CalcOpLabels[8] = {"＝", "＋", "－", "×", "÷", "÷ X の余り", "X ％", ""};
constexpr Label CompareOpLabels[9] = {"である", "でない",       "以上",         "以下", "より上",
                                      "より下", "の倍数である", "の倍数でない", ""};
constexpr Label IfLabels[3] = {"なら", "でないなら", ""};

// Colours.

constexpr Label ColourLabels[11] = {"なし", "白",   "黒",   "赤",  "緑", "青",
                                    "黄",   "赤紫", "青紫", "4色", ""};

// Font faces of the system settings.

constexpr Label FontNameTable[123] = {"System",
                                      "Terminal",
                                      "FixedSys",
                                      "Roman",
                                      "Script",
                                      "Modern",
                                      "Small Fonts",
                                      "MS Serif",
                                      "WST_Czec",
                                      "WST_Engl",
                                      "WST_Fren",
                                      "WST_Germ",
                                      "WST_Ital",
                                      "WST_Span",
                                      "WST_Swed",
                                      "Courier",
                                      "MS Sans Serif",
                                      "Marlett",
                                      "Arial",
                                      "Arial CE",
                                      "Arial CYR",
                                      "Arial Greek",
                                      "Arial TUR",
                                      "Arial Baltic",
                                      "Courier New",
                                      "Courier New CE",
                                      "Courier New CYR",
                                      "Courier New Greek",
                                      "Courier New TUR",
                                      "Courier New Baltic",
                                      "Lucida Console",
                                      "Lucida Sans Unicode",
                                      "Times New Roman",
                                      "Times New Roman CE",
                                      "Times New Roman CYR",
                                      "Times New Roman Greek",
                                      "Times New Roman TUR",
                                      "Times New Roman Baltic",
                                      "Wingdings",
                                      "Symbol",
                                      "Verdana",
                                      "Arial Black",
                                      "Comic Sans MS",
                                      "Impact",
                                      "Georgia",
                                      "Franklin Gothic Medium",
                                      "Palatino Linotype",
                                      "Tahoma",
                                      "Trebuchet MS",
                                      "Webdings",
                                      "Estrangelo Edessa",
                                      "Gautami",
                                      "Latha",
                                      "Mangal",
                                      "MV Boli",
                                      "Raavi",
                                      "Shruti",
                                      "Tunga",
                                      "Sylfaen",
                                      "ＭＳ ゴシック",
                                      "ＭＳ Ｐゴシック",
                                      "MS UI Gothic",
                                      "ＭＳ 明朝",
                                      "ＭＳ Ｐ明朝",
                                      "Microsoft Sans Serif",
                                      "Gulim",
                                      "GulimChe",
                                      "Dotum",
                                      "DotumChe",
                                      "Batang",
                                      "BatangChe",
                                      "Gungsuh",
                                      "GungsuhChe",
                                      "SimSun",
                                      "NSimSun",
                                      "SimSun-PUA",
                                      "SimHei",
                                      "MingLiU",
                                      "PMingLiU",
                                      "Arial Narrow",
                                      "Book Antiqua",
                                      "Bookman Old Style",
                                      "Century",
                                      "Century Gothic",
                                      "Garamond",
                                      "MS Outlook",
                                      "HGｺﾞｼｯｸE",
                                      "HGPｺﾞｼｯｸE",
                                      "HGSｺﾞｼｯｸE",
                                      "HG丸ｺﾞｼｯｸM-PRO",
                                      "HG創英角ｺﾞｼｯｸUB",
                                      "HGP創英角ｺﾞｼｯｸUB",
                                      "HGS創英角ｺﾞｼｯｸUB",
                                      "HG創英角ﾎﾟｯﾌﾟ体",
                                      "HGP創英角ﾎﾟｯﾌﾟ体",
                                      "HGS創英角ﾎﾟｯﾌﾟ体",
                                      "HG正楷書体-PRO",
                                      "InMusicSym",
                                      "Kartika",
                                      "Vrinda",
                                      "メイリオ",
                                      "MT Extra",
                                      "HGｺﾞｼｯｸM",
                                      "HGPｺﾞｼｯｸM",
                                      "HGSｺﾞｼｯｸM",
                                      "HG行書体",
                                      "HGP行書体",
                                      "HGS行書体",
                                      "HG教科書体",
                                      "HGP教科書体",
                                      "HGS教科書体",
                                      "HG明朝B",
                                      "HGP明朝B",
                                      "HGS明朝B",
                                      "HG明朝E",
                                      "HGP明朝E",
                                      "HGS明朝E",
                                      "HG創英ﾌﾟﾚｾﾞﾝｽEB",
                                      "HGP創英ﾌﾟﾚｾﾞﾝｽEB",
                                      "HGS創英ﾌﾟﾚｾﾞﾝｽEB",
                                      "OCRB",
                                      "Sydnie",
                                      ""};
