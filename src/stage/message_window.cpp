// The message windows: opening, the text and its codes, the surface, and the frame update
// that times, refreshes, places and draws each entry.
#include "stage/message_window.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/globals.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/font_tables.h"
#include "gfx/surface.h"
#include "gfx/surface_tables.h"
#include "platform/messages.h"
#include "platform/trunc.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/message_text.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kIconSize = 16;
// The opening shows the window from this count of frames on.
constexpr double kOpeningFrames = 10;
constexpr int kAccessorySheet = 49;
constexpr int kExtraLifeMarkY = 48;
constexpr int kStatusBarHeight = 20;

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

bool UsesAnchor(int position) {
    return position >= MESSAGE_ABOVE_SELF && position <= MESSAGE_CENTRE_HERO;
}

}  // namespace

void MeasureTextWidth(const char* text, std::int32_t* width, std::int32_t* height) {
    // Measured as Font16 draws: a font with a pitch in its cells, cached or not; one without
    // by its face's extents.
    const plat::SIZE size = Font16.Measure(text ? text : "", lpDTCon ? nullptr : &Font16.Work);
    if (width) *width = Clamp32(std::int64_t{size.cx} + 2);
    if (height) *height = Clamp32(std::int64_t{size.cy} + 2);
}

MessageSettings RisingNotice(std::int32_t kind, std::int32_t anchor) {
    MessageSettings s;
    s.nKind = kind;
    s.nPosition = MESSAGE_ABOVE_HERO;
    s.bFixedToScreen = 1;
    s.nDurationKind = MESSAGE_FOR_TIME;
    s.nTime = kMessageIconFrames;
    s.nAnchor = anchor;
    return s;
}

void MessageWindow::ExpandText(std::string& text) {
    ExpandMessageCodes(text, [](int kind, int n, std::int32_t* value) {
        const CheckedVector<std::int32_t>* vars = nullptr;
        if (kind == MESSAGE_VAR_COMMON)
            vars = &Progress.m_vecVariable;
        else if (lpGame)
            vars = &lpGame->m_vecStageVar;
        if (!vars || n < 0 || static_cast<std::size_t>(n) >= vars->size()) return false;
        *value = (*vars)[n];
        return true;
    });
}

bool MessageWindow::Open(cGameScene& scene, const MessageSettings& s) {
    nKind = s.nKind;
    strText = s.strText;
    strSource = s.strText;
    nIconKind = s.nIconKind;
    nIconNumber = s.nIconNumber;
    nIconSub = s.nIconSub;
    // A position the window does not know stands at the screen centre.
    nPosition = s.nPosition >= MESSAGE_SCREEN_CENTRE && s.nPosition <= MESSAGE_STAGE_POS
                    ? s.nPosition
                    : MESSAGE_SCREEN_CENTRE;
    nBlockX = s.nBlockX;
    nBlockY = s.nBlockY;
    nDotX = s.nDotX;
    nDotY = s.nDotY;
    bKeepInside = s.bKeepInside;
    bFixedToScreen = s.bFixedToScreen;
    nDurationKind = s.nDurationKind;
    nRemaining = s.nTime;
    bWait = s.bWait;
    nAnchor = s.nAnchor;
    bExpand = s.bExpand;
    bRefresh = s.bRefresh;
    nRefreshInterval = s.nRefreshInterval;
    bZoomIn = s.bZoomIn;
    bManagedById = s.bManagedById;
    nId = s.nId;
    bPosRemembered = 0;
    dOpening = 0;

    if (bExpand) ExpandText(strText);
    bOpening = nDurationKind == MESSAGE_UNTIL_KEY && s.bChained == 0 ? 1 : 0;
    if (nKind == MESSAGE_TEXT) {
        std::int32_t width = 0, height = 0;
        MeasureTextWidth(strText.c_str(), &width, &height);
        return RenderInSurfaceOf(scene, width, height);
    }
    nWidth = nHeight = nKind == MESSAGE_ICON || nKind == MESSAGE_EXTRA_LIFE ? kIconSize : 0;
    return true;
}

bool MessageWindow::RenderInSurfaceOf(cGameScene& scene, std::int32_t width, std::int32_t height) {
    if (!lpSD || width != nWidth || height != nHeight) {
        nWidth = width;
        nHeight = height;
        ReleaseSurface(scene);
        if (!CreateSurface(scene)) return false;
    }
    RenderText(lpSD);
    return true;
}

bool MessageWindow::CreateSurface(cGameScene& scene) {
    // The video memory left is not known here, so the surface takes the back end's default
    // place. A size the display cannot make fails like any other creation, before anything
    // is allocated for it.
    if (DDAddSurfaceToList(scene.m_listMsgSurface, scene.m_listMsgDef, nWidth, nHeight, 1, 0, 0,
                           nullptr)) {
        lpSD = &*std::prev(scene.m_listMsgSurface.end());
        lpDef = &*std::prev(scene.m_listMsgDef.end());
        return true;
    }
    DDRemoveSurfaceFromList(scene.m_listMsgSurface, scene.m_listMsgDef,
                            &*std::prev(scene.m_listMsgSurface.end()));
    lpSD = nullptr;
    lpDef = nullptr;
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
    return false;
}

void MessageWindow::ReleaseSurface(cGameScene& scene) {
    if (lpSD) DDRemoveSurfaceFromList(scene.m_listMsgSurface, scene.m_listMsgDef, lpSD);
    lpSD = nullptr;
    lpDef = nullptr;
}

void MessageWindow::RenderText(DDSURFACEDATA* surface) {
    if (!surface) return;
    // Cleared first in both forms: a reused surface still holds the text before.
    DDFillSurface(surface, 0);
    if (bZoomIn)
        Font16.DrawWrap(surface, 1, 1, strText.c_str());
    else
        Font16.Draw(surface, 1, 1, strText.c_str(), 0);
}

void MessageWindow::Refresh(cGameScene& scene) {
    if (!bRefresh || nRefreshInterval <= 0 || nKind != MESSAGE_TEXT || !bExpand) return;
    if (scene.m_nFrame % nRefreshInterval != 0) return;
    std::string text = strSource;
    ExpandText(text);
    if (text == strText) return;
    strText = std::move(text);
    std::int32_t width = 0, height = 0;
    MeasureTextWidth(strText.c_str(), &width, &height);
    RenderInSurfaceOf(scene, width, height);
}

bool MessageWindow::Place(cGameScene& scene, int* outX, int* outY) const {
    const std::int64_t sx = plat::TruncToInt(scene.m_ScrollX.m_dPos);
    const std::int64_t sy = plat::TruncToInt(scene.m_ScrollY.m_dPos);
    const std::int64_t w = nWidth, h = nHeight;
    std::int64_t x = 0, y = 0;
    if (UsesAnchor(nPosition)) {
        const cActorBase* a = FindActorBySerial(nAnchor);
        if (!a) return false;
        const std::int64_t ax = plat::TruncToInt(a->m_dX - static_cast<double>(sx));
        const std::int64_t ay = plat::TruncToInt(a->m_dY - static_cast<double>(sy));
        x = ax + a->m_nSpriteW / 2 - w / 2 + nDotX - a->m_nOffsetX;
        switch (nPosition) {
            case MESSAGE_ABOVE_SELF:
            case MESSAGE_ABOVE_HERO:
                y = ay - a->m_nOffsetY - h + nDotY;
                break;
            case MESSAGE_BELOW_SELF:
            case MESSAGE_BELOW_HERO:
                y = ay + a->m_nSpriteH - a->m_nOffsetY + 1 + nDotY;
                break;
            default:
                y = ay + a->m_nSpriteH / 2 - h / 2 - a->m_nOffsetY + nDotY;
                break;
        }
    } else if (nPosition == MESSAGE_SCREEN_POS) {
        x = std::int64_t{nBlockX} * 32 + nDotX;
        y = std::int64_t{nBlockY} * 32 + nDotY;
    } else if (nPosition == MESSAGE_STAGE_POS) {
        x = (std::int64_t{nBlockX} + scene.m_ScrollX.m_nMargin) * 32 + nDotX - sx;
        y = (std::int64_t{nBlockY} + scene.m_ScrollY.m_nMargin) * 32 + nDotY - sy;
    } else {
        x = 320 + std::int64_t{nDotX} - w / 2;
        y = 240 + std::int64_t{nDotY} - h / 2;
    }
    *outX = Clamp32(x);
    *outY = Clamp32(y);
    return true;
}

int MessageWindow::Update(cGameScene& scene, DDSURFACEDATA* target, int frozen) {
    if (nDurationKind == MESSAGE_FOR_TIME && (bWait || !frozen)) {
        --nRemaining;
        if (nRemaining < 0) {
            ReleaseSurface(scene);
            return 1;
        }
    }
    Refresh(scene);

    int x = 0, y = 0;
    if (!Place(scene, &x, &y)) {
        if (nKind == MESSAGE_TEXT) {
            ReleaseSurface(scene);
            return 1;
        }
        // An icon whose actor is gone stays where it was last.
        Draw(target, nLastX, nLastY);
        return 0;
    }
    const std::int64_t sx = plat::TruncToInt(scene.m_ScrollX.m_dPos);
    const std::int64_t sy = plat::TruncToInt(scene.m_ScrollY.m_dPos);
    const bool screenPlaced = nPosition == MESSAGE_SCREEN_CENTRE || nPosition == MESSAGE_SCREEN_POS;
    if (!screenPlaced && bFixedToScreen) {
        if (!bPosRemembered) {
            nRememberedX = x;
            nRememberedY = y;
            bPosRemembered = 1;
        }
        x = nRememberedX;
        y = nRememberedY;
    } else if (screenPlaced && !bFixedToScreen) {
        // Placed on the screen, it stays on the stage where it first showed.
        if (!bPosRemembered) {
            nRememberedX = Clamp32(x + sx);
            nRememberedY = Clamp32(y + sy);
            bPosRemembered = 1;
        }
        x = Clamp32(nRememberedX - sx);
        y = Clamp32(nRememberedY - sy);
    }
    if (bKeepInside) {
        if (x < 0)
            x = 0;
        else if (std::int64_t{x} + nWidth >= 639)
            x = Clamp32(640 - std::int64_t{nWidth});
        if (y < kStatusBarHeight)
            y = kStatusBarHeight;
        else if (std::int64_t{y} + nHeight >= 479)
            y = Clamp32(480 - std::int64_t{nHeight});
    }
    nLastX = x;
    nLastY = y;
    Draw(target, x, y);
    return 0;
}

void MessageWindow::Draw(DDSURFACEDATA* target, int x, int y) {
    const int rise = static_cast<int>((kMessageIconFrames - std::int64_t{nRemaining}) >> 2);
    switch (nKind) {
        case MESSAGE_TEXT:
            break;
        case MESSAGE_ICON:
            DrawGraphicIcon(target, x, Clamp32(std::int64_t{y} - rise), nIconKind, nIconNumber,
                            nIconSub);
            return;
        case MESSAGE_EXTRA_LIFE:
            DDBltRect(target, x, Clamp32(std::int64_t{y} - rise), kIconSize, kIconSize,
                      &StdSD[kAccessorySheet], 0, kExtraLifeMarkY, DDBLT_COLORKEY);
            return;
        default:
            return;
    }
    if (lpSD && lpSD->bLost) {
        RenderText(lpSD);
        lpSD->bLost = 0;
    }
    if (strText.empty()) return;
    if (bOpening && dOpening < kOpeningFrames) {
        dOpening += 1;
        if (dOpening < kOpeningFrames) {
            if (bZoomIn) {
                const double k = dOpening * 0.1;
                const double hw = nWidth / 2, hh = nHeight / 2;
                Font16.DrawWindow(target, plat::TruncToInt(x + hw - hw * k),
                                  plat::TruncToInt(y + hh - hh * k), plat::TruncToInt(nWidth * k),
                                  plat::TruncToInt(nHeight * k));
            }
            return;
        }
    }
    if (lpSD) DDBltRect(target, x, y, nWidth, nHeight, lpSD, 0, 0, DDBLT_COLORKEY);
}
