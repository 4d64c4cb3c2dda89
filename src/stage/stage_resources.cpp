// The game scene's stage images: the own bitmaps of the character-image table, the sword and
// effect images, the shot-cell sheets, and the hero's sight mask.
#include <cstdint>
#include <string>

#include "base/log.h"
#include "base/message_box.h"
#include "data/chara_exc_records.h"
#include "data/database.h"
#include "data/effect_records.h"
#include "data/sword_type_records.h"
#include "data/system_record.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/effect_circle.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/stage_objects.h"

namespace {

// The shot sheet and its mirrored copy (16-dot mirror cells).
constexpr int kShotSheet = 20;
constexpr int kShotSheetMirrored = 21;
// Shot images are 16 x 16 in 30 rows of 8; each goes centred into a 32 x 32 cell.
constexpr int kShotRows = 30;
constexpr int kShotColumnPairs = 4;

// One surface of a definition appended to the vector, loaded from its file; a failure
// leaves the surface empty and logs the line.
void AddFromFile(SurfaceVector& surfaces, SurfaceDefVector& defs, const std::string& file,
                 int ddMemory, DDSURFACEDATA* share, int mirrorWidth, const char* failure) {
    DDSURFACEDEF def;
    def.Set(file.c_str(), 1, ddMemory, 0, share, nullptr, 1, mirrorWidth, 0, 0, 0);
    defs.push_back(def);
    DDSURFACEDATA& sd = surfaces.emplace_back();
    // A record without a file names nothing to load; its surface stays empty.
    if (file.empty()) return;
    const int result = DDCreateSurfaceFromFile(&sd, def.szFileName, 1, nBpp, ddMemory, 0, share,
                                               nullptr, mirrorWidth, 0, 0);
    if (!DDCheckResult(result)) ErrorLog(failure, def.szFileName);
    // In Direct3D a copy owns no texture: it draws with the first image's, mirrored by its
    // cells where it has them. DirectDraw loads every copy as a surface of its own.
    if (lpDTCon && share) sd.lpShareSD = share;
}

void ReleaseAll(SurfaceVector& surfaces, SurfaceDefVector& defs) {
    DDReleaseSurfaceVector(surfaces);
    surfaces.clear();
    defs.Clear();
}

}  // namespace

void cGameScene::LoadCharaBitmaps() {
    ReleaseAll(m_vecOwnBitmap, m_vecOwnBitmapDef);
    const auto& table = EdDatabase.vecBmpCharaExc;
    const int records = static_cast<int>(table.Size());
    if (records > 1) m_vecOwnBitmapDef.reserve(4 * (records - 1));
    for (int i = 1; i < records; ++i) {
        const cEdBmpCharaExc& record = table[i];
        int cells = record.bCellWidth != 0 ? record.nCellWidth : 1;
        if (cells < 1) cells = 1;
        if (cells > 255) cells = 255;
        const int mirror = cells * 32;
        const char* failure = "専用bmp %s 読み込み失敗！";
        // The image and its mirrored variant, in video memory and again in system memory;
        // the later three share the first one's image where the back end can.
        AddFromFile(m_vecOwnBitmap, m_vecOwnBitmapDef, record.strFile, 0, nullptr, 0, failure);
        DDSURFACEDATA* first = &m_vecOwnBitmap.back();
        AddFromFile(m_vecOwnBitmap, m_vecOwnBitmapDef, record.strFile, 0, first, mirror, failure);
        AddFromFile(m_vecOwnBitmap, m_vecOwnBitmapDef, record.strFile, 1, first, 0, failure);
        AddFromFile(m_vecOwnBitmap, m_vecOwnBitmapDef, record.strFile, 1, first, mirror, failure);
    }
}

void cGameScene::LoadSwordImages() {
    ReleaseAll(m_vecSwordImage, m_vecSwordImageDef);
    const auto& table = EdDatabase.vecSwordType;
    m_vecSwordImageDef.reserve(4 * static_cast<int>(table.Size()));
    const char* failure = "ソード %s 読み込み失敗！";
    for (unsigned i = 0; i < table.Size(); ++i) {
        const cEdSwordType& record = table[static_cast<int>(i)];
        AddFromFile(m_vecSwordImage, m_vecSwordImageDef, record.strFileLeft, 0, nullptr, 0,
                    failure);
        DDSURFACEDATA* left = &m_vecSwordImage.back();
        AddFromFile(m_vecSwordImage, m_vecSwordImageDef, record.strFileRight, 0, nullptr, 0,
                    failure);
        DDSURFACEDATA* right = &m_vecSwordImage.back();
        AddFromFile(m_vecSwordImage, m_vecSwordImageDef, record.strFileLeft, 1, left, 0, failure);
        AddFromFile(m_vecSwordImage, m_vecSwordImageDef, record.strFileRight, 1, right, 0, failure);
    }
}

void cGameScene::LoadEffectImages() {
    ReleaseAll(m_vecEffectImage, m_vecEffectImageDef);
    const auto& table = EdDatabase.vecEffect;
    const int records = static_cast<int>(table.Size());
    if (records > 1) m_vecEffectImageDef.reserve(2 * (records - 1));
    const char* failure = "エフェクト %s 読み込み失敗！";
    for (int i = 1; i < records; ++i) {
        const cEdEffect& record = table[i];
        const int mirror = record.nPatWidth > 0 ? record.nPatWidth : 0;
        AddFromFile(m_vecEffectImage, m_vecEffectImageDef, record.strFile, 0, nullptr, 0, failure);
        DDSURFACEDATA* image = &m_vecEffectImage.back();
        AddFromFile(m_vecEffectImage, m_vecEffectImageDef, record.strFile, 0, image, mirror,
                    failure);
    }
}

void cGameScene::ReleaseStageImages() {
    ReleaseAll(m_vecOwnBitmap, m_vecOwnBitmapDef);
    ReleaseAll(m_vecSwordImage, m_vecSwordImageDef);
    ReleaseAll(m_vecEffectImage, m_vecEffectImageDef);
}

void cGameScene::BuildShotCellSheets() {
    DDSURFACEDATA* sheets[2] = {&StdSD[kShotCellSheet], &StdSD[kShotCellSheet + 1]};
    DDSURFACEDATA* sources[2] = {&StdSD[kShotSheet], &StdSD[kShotSheetMirrored]};
    for (int s = 0; s < 2; ++s) {
        DDFillSurface(sheets[s], 0);
        for (int c = 0; c < kShotRows; ++c) {
            for (int d = 0; d < kShotColumnPairs; ++d) {
                DDBltRect(sheets[s], 8 + 64 * d, 8 + 32 * c, 16, 16, sources[s], 32 * d, 16 * c, 0);
                DDBltRect(sheets[s], 40 + 64 * d, 8 + 32 * c, 16, 16, sources[s], 16 + 32 * d,
                          16 * c, 0);
            }
        }
        sheets[s]->bLost = 0;
    }
}

void BuildSightMask(cGameScene&) {
    // Without an open display there is nothing to build the mask on (and no lack of memory
    // to report); the stage's set-up builds it once a display exists.
    if (lpDTCon == nullptr && lpDDCon == nullptr) return;
    DDSURFACEDATA& mask = StdSD[kSightMaskSurface];
    DDSURFACEDATA& hole = StdSD[kSightHoleSurface];
    DDReleaseSurface(&mask);
    DDReleaseSurface(&hole);
    const std::int64_t sight = Player.Empty() ? 0 : Player[0].m_nSight;
    // The hero's sight is 0 to 40 half blocks; a damaged value must not ask for a surface
    // beyond any device.
    const int s = sight < 0 ? 0 : (sight > 640 ? 640 : static_cast<int>(sight));
    const DDSURFACEDEF& maskDef = SurfaceDef[kSightMaskSurface];
    const int w = 1280 + 2 * s, h = 960 + 2 * s;
    if (!DDCreateSurface(&mask, w, h, 1, maskDef.nDDMemory, maskDef.nMemoryType, nullptr, 0)) {
        MemoryErrorAndClose();
        return;
    }
    DDFillSurface(&mask, 16);
    if (s == 0) return;
    const int shape = Player[0].m_Chara.nSightShape;
    // The window is made of the transparent colour: in Direct3D a texel of no alpha.
    const bool direct3D = lpDTCon != nullptr;
    if (shape != 1 && shape != 2) {
        if (direct3D)
            D3DFillRect(&mask, w / 2 - s, h / 2 - s, 2 * s, 2 * s, 0);
        else
            DDFillRect(&mask, w / 2 - s, h / 2 - s, 2 * s, 2 * s, 0);
        return;
    }
    const DDSURFACEDEF& holeDef = SurfaceDef[kSightHoleSurface];
    // In Direct3D an opaque copy carries transparency only from a keyed source.
    if (!DDCreateSurface(&hole, 2 * s, 2 * s, direct3D ? 1 : 0, holeDef.nDDMemory,
                         holeDef.nMemoryType, nullptr, 0)) {
        MemoryErrorAndClose();
        return;
    }
    if (direct3D)
        D3DFillSurface(&hole, 0);
    else if (EdSystem.nColourMode != 0)
        D3DFillSurface(&hole, dwColorKey);
    else
        DDFillSurface(&hole, 0);
    DDBltCircle(&mask, w / 2, h / 2, s, s, s, 1, &hole, s, s, 0);
}

bool cGameScene::RestoreStageImages() {
    if (!RestoreSurface(m_vecOwnBitmap) || !RestoreSurface(m_vecSwordImage) ||
        !RestoreSurface(m_vecEffectImage) || !RestorePictures() || !RestoreMessages())
        return false;
    // The shot cells are drawn, not loaded: the next frame draws them again.
    StdSD[kShotCellSheet].bLost = 1;
    return true;
}
