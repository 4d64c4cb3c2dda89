// Drawing the ranking tables and the result box of a cleared stage, and the number texts
// they use.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/format.h"
#include "base/globals.h"
#include "base/sjis.h"
#include "base/zero_padded.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "gfx/surface_tables.h"
#include "scene/game_progress.h"
#include "scene/ranking.h"
#include "scene/scene_manager.h"

namespace {

// The sheet of the 16 x 16 cursor beside a place or a result line, and where it stands.
constexpr int kCursorSheet = 49;
constexpr int kCursorX = 16;
constexpr int kCursorY = 48;
constexpr int kLineHeight = 16;
// System texts: the value words of the tables (5-9) and the table-switch hint.
constexpr int kTextValueWord = 5;
constexpr int kTextSwitchHint = 24;
constexpr int kTableBoxWidth = 270;
constexpr int kTableBoxHeight = 350;

const std::string& SystemText(int index) {
    static const std::string empty;
    if (index < 0 || index >= static_cast<int>(EdSystem.vecTexts.Size())) return empty;
    return EdSystem.vecTexts[index];
}

void DrawCursorImage(DDSURFACEDATA* target, int x, int y) {
    DDBltRect(target, x, y, 16, 16, &StdSD[kCursorSheet], kCursorX, kCursorY, 1);
}

bool TableOn(int mode, int table) {
    if (mode < 0 || mode >= static_cast<int>(EdSystem.vecRankingRules.Size())) return false;
    const CheckedVector<std::uint8_t>& on = EdSystem.vecRankingRules[mode].vecTableOn;
    return table < static_cast<int>(on.Size()) && on[table] != 0;
}

// Digits of a magnitude, at least two.
std::string TwoDigits(std::int64_t value) {
    std::string out = value < 0 ? "-" : "";
    AppendFormat(out, "%02lld", static_cast<long long>(std::llabs(value)));
    return out;
}

}  // namespace

std::string FormatRankTime(std::int32_t hundredths) {
    const std::int64_t h = hundredths;
    std::string centi;
    FormatZeroPadded(centi, static_cast<std::int32_t>(h % 100), 2, 1);
    return Format("%s:%s.%s", TwoDigits(h / 6000).c_str(), TwoDigits(h / 100 % 60).c_str(),
                  centi.c_str());
}

int CountDigits(std::int32_t value) {
    std::int64_t v = value;
    int digits = 1;
    while ((v /= 10) != 0 && digits < 10) ++digits;
    return digits;
}

int CountValue(const CheckedVector<std::int32_t>& values, std::int32_t value) {
    return static_cast<int>(std::count(values.begin(), values.end(), value));
}

void RankTable::Draw(DDSURFACEDATA* target, int x, int y, int t, int highlight) {
    Font16.DrawWindow(target, x + 1, y + 1, kTableBoxWidth, kTableBoxHeight);
    const std::string& word = SystemText(t + kTextValueWord);
    // The letter icons stand for a-z in game texts; a title in English and the players'
    // names are written as letters.
    if (SystemIni.English != 0)
        Font16.Draw(target, x, y, Format("Ranking     %s", word.c_str()).c_str(), 1);
    else
        Font16.DrawF(target, x, y, "ランキング    %s", word.c_str());

    const int places = std::min(kRankPlaces, static_cast<int>(m_vecEntry.Size()));
    const int width = t == kRankTableClearTime ? 8
                      : places > 0             ? CountDigits(m_vecEntry[0].m_nValue)
                                               : 1;
    for (int i = 0; i < places; ++i) {
        const RankEntry& entry = m_vecEntry[i];
        if (entry.m_bValid == 0) continue;
        const int row = y + kLineHeight * (i + 1);
        Font16.DrawF(target, x + 16, row, "%d", i + 1);
        Font16.Draw(target, x + 64, row, entry.m_strName.c_str(), 1);
        if (t == kRankTableClearTime) {
            Font16.DrawF(target, x + 144, row, "%s", FormatRankTime(entry.m_nValue).c_str());
        } else {
            const int d = CountDigits(entry.m_nValue);
            Font16.DrawF(target, x + 16 * (width - d + 9), row, "%d", entry.m_nValue);
        }
    }
    if (EdSystem.CountEnabled(SceneMgr.m_nPlayMode) >= 2) {
        const std::string& hint = SystemText(kTextSwitchHint);
        Font16.DrawF(target, x + 136 - 8 * CountSjisChars(hint),
                     y + kLineHeight + kLineHeight * kRankPlaces, "%s", hint.c_str());
    }
    if (highlight != -1) DrawCursorImage(target, x, y + kLineHeight + kLineHeight * highlight);
}

void RankSet::DrawTable(DDSURFACEDATA* target, int x, int y, int table, int highlight) {
    if (table < 0 || table >= static_cast<int>(m_vecTable.Size())) return;
    m_vecTable[table].Draw(target, x, y, table, highlight);
}

void DrawStageResult(DDSURFACEDATA* target, int x, int y,
                     const CheckedVector<std::int32_t>& places) {
    const GameProgress& p = Progress;
    const std::int32_t values[kRankTables] = {p.m_nScore, p.m_nRestTime, p.m_nClearTime,
                                              p.m_nRestHP, p.m_nRestSP};
    bool shown[kRankTables] = {};
    int lines = 0;
    int labelWidth = 1;
    int valueWidth = 1;
    for (int k = 0; k < kRankTables; ++k) {
        const bool switchOn = k < static_cast<int>(EdStageWork.vecResultLine.Size()) &&
                              EdStageWork.vecResultLine[k] != 0;
        shown[k] = switchOn && (bTestPlay != 0 || TableOn(SceneMgr.m_nPlayMode, k));
        if (!shown[k]) continue;
        ++lines;
        labelWidth = std::max(labelWidth, CountSjisChars(SystemText(kTextValueWord + k)));
        valueWidth = std::max(valueWidth, k == kRankTableClearTime ? 8 : CountDigits(values[k]));
    }
    Font16.DrawWindow(target, x, y, (valueWidth + labelWidth + 3) * 16, kLineHeight * lines);
    int row = y;
    for (int k = 0; k < kRankTables; ++k) {
        if (!shown[k]) continue;
        Font16.DrawF(target, x + 16, row, "%s", SystemText(kTextValueWord + k).c_str());
        const int vx = x + 32 + 16 * labelWidth;
        if (k == kRankTableClearTime)
            Font16.DrawF(target, vx, row, "%s", FormatRankTime(values[k]).c_str());
        else
            Font16.DrawF(target, vx, row, "%d", values[k]);
        row += kLineHeight;
    }
    int marks = 0;
    for (int k = 0; k < kRankTables && k < static_cast<int>(places.Size()); ++k) {
        if (places[k] == -1) continue;
        DrawCursorImage(target, x, y + kLineHeight * marks);
        ++marks;
    }
}
