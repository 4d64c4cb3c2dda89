#include "scene/map_menu_scene.h"

#include <algorithm>

#include "base/sjis.h"
#include "base/window_requests.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "gfx/window_frame.h"
#include "scene/game_progress.h"
#include "scene/menu_cursor.h"
#include "scene/save_slots.h"
#include "scene/scene_manager.h"

namespace {

constexpr int kWindowSheet = 45;
constexpr int kSymbolSheet = 50;
constexpr int kAccessorySheet = 49;

// System texts of the sub-menus.
constexpr int kTextTotal = 4;
constexpr int kTextSaveYes = 12;
constexpr int kTextAutoSaveOn = 14;
constexpr int kTextNoSlot = 16;
constexpr int kTextToTitle = 17;

enum : int {
    kStateMenu = 1,
    kStateSave = 2,
    kStateAutoSave = 3,
    kStateBackToMap = 4,
    kStateBackToTitle = 5,
    kStateLeave = 6,
};

void Cursor16(int x, int y) {
    DDBltRect(&BackBuffer, x, y, 16, 16, &StdSD[kAccessorySheet], 64, 0, DDBLT_COLORKEY);
}
void SecondCursor16(int x, int y) {
    DDBltRect(&BackBuffer, x, y, 16, 16, &StdSD[kAccessorySheet], 80, 0, DDBLT_COLORKEY);
}
void CursorHere() {
    const CursorState& c = *MenuCursor.Current();
    Cursor16(c.nX, c.nY);
}

void PlainBackground() {
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 16);
}

// Decimal digits of a positive number, at most 11.
int Digits(std::int32_t value) {
    int n = 1;
    for (long long v = value; v >= 10; v /= 10) ++n;
    return std::min(n, 11);
}

}  // namespace

cMapMenuScene::cMapMenuScene()
    : cMenuSceneStates(kMenuLatchMask, {kWindowSheet, kSymbolSheet, kAccessorySheet}) {
    m_Handlers[kStateMenu] = &cMapMenuScene::OnMenu;
    m_Handlers[kStateSave] = &cMapMenuScene::OnSave;
    m_Handlers[kStateAutoSave] = &cMapMenuScene::OnAutoSave;
    m_Handlers[kStateBackToMap] = &cMapMenuScene::OnBackToMap;
    m_Handlers[kStateBackToTitle] = &cMapMenuScene::OnBackToTitle;
}

void cMapMenuScene::Enter() {
    EnterCommon(1);
    cMenuSceneBase::BuildItems(EdSystem.vecMapMenu, m_vecItems);
    m_nStep = 0;
}

bool cMapMenuScene::TotalLine(int* lpX, int* lpWidth) {
    const std::int32_t total = Progress.m_nTotalBest;
    if (EdSystem.bStoryShowTotal == 0 || total <= 0) return false;
    const int width = (CountSjisChars(EdSystem.vecTexts[kTextTotal]) + Digits(total)) * 16;
    *lpWidth = width;
    *lpX = 320 - width / 2;
    return true;
}

void cMapMenuScene::Draw() {
    PlainBackground();
    int chars = 0;
    for (std::int32_t id : m_vecItems)
        chars = std::max(chars, CountSjisChars(EdSystem.vecMapMenu[id].strItemText));
    const int count = static_cast<int>(m_vecItems.Size());
    DDDrawWindow(&BackBuffer, kMenuX, kMenuY, (chars + 1) * 16, count * 16, &StdSD[kWindowSheet], 1,
                 240);
    for (int row = 0; row < count; ++row)
        Font16.Draw(&BackBuffer, kMenuX + 16, kMenuY + 16 * row,
                    EdSystem.vecMapMenu[m_vecItems[row]].strItemText.c_str(), 0);
    int x = 0;
    int width = 0;
    if (TotalLine(&x, &width)) {
        Font16.DrawWindow(&BackBuffer, x, kTotalY, width, 16);
        Font16.DrawF(&BackBuffer, x, kTotalY, "%s%d", EdSystem.vecTexts[kTextTotal].c_str(),
                     Progress.m_nTotalBest);
    }
    AnimatePaletteColors();
}

void cMapMenuScene::FadeIn() {
    Draw();
    Cursor16(kMenuX, kMenuY);
    if (cMenuSceneBase::FadeInStep()) m_nState = kStateMenu;
}

void cMapMenuScene::OnMenu() {
    const cInput& input = InputList[0];
    MenuCursor.Move(input, kMenuX, kMenuY, 0, 16, 1, static_cast<int>(m_vecItems.Size()));
    PlayCursorSe(input, 2, 0);
    if (input.wButton & kMenuConfirm) {
        PlaySystemSe(1);
        m_nState = m_vecItems[MenuCursor.Current()->nRow] + 2;
        MenuCursor.Push(0);
        return;
    }
    if (input.wButton & kMenuCancel) {
        PlaySystemSe(2);
        m_nState = kStateBackToMap;
        return;
    }
    Draw();
    CursorHere();
}

void cMapMenuScene::OnSave() {
    const cInput& input = InputList[0];
    const int count = static_cast<int>(SlotSummaries.Size());
    if (m_nStep == 0) {
        *MenuCursor.Current() = CursorState{};
        // A game never saved has slot -1: the list move puts the cursor on the first row.
        MenuCursor.Current()->nRow = Progress.m_nSlot;
        m_nStep = 1;
        ScanSaveSlots(SlotSummaries);
        m_nSlotRows = std::min(count, 10);
        m_nSlotTop = MenuCursor.Current()->nRow;
    }
    if (m_nStep == 1) {
        MenuCursor.MoveList(input, 1, &m_nSlotTop, kSlotListY, 16, kSlotListX, m_nSlotRows, count,
                            1);
        PlayCursorSe(input, 3, 0);
        if (input.wButton & kMenuConfirm) {
            PlaySystemSe(1);
            MenuCursor.Push(0);
            m_nStep = 2;
            MenuCursor.Current()->nRow = 1;  // "no" first
            return;
        }
        if (input.wButton & kMenuCancel) {
            PlaySystemSe(2);
            MenuCursor.Pop(1);
            m_nState = kStateMenu;
            m_nStep = 0;
            return;
        }
        PlainBackground();
        DrawSlotList(&BackBuffer, kSlotListX, kSlotListY, SlotSummaries, m_nSlotTop, m_nSlotRows);
        CursorHere();
        return;
    }
    // The confirmation.
    const int x = EdSystem.MenuLeft(320, kTextSaveYes, 2, 1);
    MenuCursor.Move(input, x, 400, 0, 16, 1, 2);
    PlayCursorSe(input, 2, 0);
    const bool confirm = (input.wButton & kMenuConfirm) != 0;
    const bool cancel = (input.wButton & kMenuCancel) != 0;
    if (confirm || cancel) {
        if (confirm && MenuCursor.Current()->nRow == 0) {
            // The file records its own slot; a failed write keeps the slot the game had.
            const int slot = MenuCursor.Previous()->nRow;
            const std::int32_t before = Progress.m_nSlot;
            Progress.m_nSlot = slot;
            if (Progress.SaveSlot(slot)) {
                PlaySystemSe(5);
            } else {
                Progress.m_nSlot = before;
                PlaySystemSe(3);
            }
        } else {
            PlaySystemSe(confirm ? 1 : 2);
        }
        MenuCursor.Pop(1);
        m_nStep = 1;
        return;
    }
    PlainBackground();
    DrawSlotList(&BackBuffer, kSlotListX, kSlotListY, SlotSummaries, m_nSlotTop, m_nSlotRows);
    EdSystem.DrawMenu(x, 400, kTextSaveYes, 2, 1);
    SecondCursor16(MenuCursor.Previous()->nX, MenuCursor.Previous()->nY);
    CursorHere();
}

void cMapMenuScene::OnAutoSave() {
    const cInput& input = InputList[0];
    if (m_nStep == 0) {
        *MenuCursor.Current() = CursorState{};
        MenuCursor.Current()->nRow = Progress.m_bAutoSave != 0 ? 0 : 1;
        m_nStep = Progress.m_nSlot == -1 ? 2 : 1;
    }
    const bool confirm = (input.wButton & kMenuConfirm) != 0;
    const bool cancel = (input.wButton & kMenuCancel) != 0;
    if (m_nStep == 2) {
        // No slot known yet: only the notice, which any button closes.
        const int x = EdSystem.MenuLeft(320, kTextNoSlot, 1, 0);
        if (confirm || cancel) {
            PlaySystemSe(confirm ? 1 : 2);
            MenuCursor.Pop(1);
            m_nStep = 0;
            m_nState = kStateMenu;
            return;
        }
        PlainBackground();
        EdSystem.DrawMenu(x, 232, kTextNoSlot, 1, 0);
        return;
    }
    const int x = EdSystem.MenuLeft(320, kTextAutoSaveOn, 2, 1);
    MenuCursor.Move(input, x, 224, 0, 16, 1, 2);
    PlayCursorSe(input, 2, 0);
    if (confirm || cancel) {
        if (confirm) {
            PlaySystemSe(1);
            if (MenuCursor.Current()->nRow == 0) {
                // Saved before the flag is set: the next save writes the flag.
                Progress.SaveSlot(Progress.m_nSlot);
                Progress.m_bAutoSave = 1;
            } else {
                Progress.m_bAutoSave = 0;
            }
        } else {
            PlaySystemSe(2);
        }
        MenuCursor.Pop(1);
        m_nStep = 0;
        m_nState = kStateMenu;
        return;
    }
    PlainBackground();
    EdSystem.DrawMenu(x, 224, kTextAutoSaveOn, 2, 1);
    CursorHere();
}

void cMapMenuScene::OnBackToMap() {
    m_nStep = 0;
    SceneMgr.m_nNextScene = SCENE_WORLDMAP;
    m_nState = kStateLeave;
}

void cMapMenuScene::OnBackToTitle() {
    const cInput& input = InputList[0];
    if (m_nStep == 0) {
        *MenuCursor.Current() = CursorState{};
        MenuCursor.Current()->nRow = 1;  // "no" first
        m_nStep = 1;
    }
    const int x = EdSystem.MenuLeft(320, kTextToTitle, 2, 1);
    MenuCursor.Move(input, x, 224, 0, 16, 1, 2);
    PlayCursorSe(input, 2, 0);
    const bool confirm = (input.wButton & kMenuConfirm) != 0;
    const bool cancel = (input.wButton & kMenuCancel) != 0;
    if (confirm && MenuCursor.Current()->nRow == 0) {
        // The title resets the cursor.
        PlaySystemSe(1);
        m_nState = kStateLeave;
        SceneMgr.m_nNextScene = SCENE_TITLE;
        return;
    }
    if (confirm || cancel) {
        PlaySystemSe(confirm ? 1 : 2);
        MenuCursor.Pop(1);
        m_nStep = 0;
        m_nState = kStateMenu;
        return;
    }
    PlainBackground();
    EdSystem.DrawMenu(x, 224, kTextToTitle, 2, 1);
    CursorHere();
}

void cMapMenuScene::Leave() {
    if (!cMenuSceneBase::FadeOutStep()) return;
    cMenuSceneBase::HandOver(SCENE_MAPMENU);
    // A kept scene enters again when it is shown next.
    m_nState = -1;
}
