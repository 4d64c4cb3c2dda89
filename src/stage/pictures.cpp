// The game scene's pictures: the list of shown pictures, each with its own surface and
// definition at the same position of the scene's two surface lists, drawn by layer.
#include <iterator>

#include "base/log.h"
#include "gfx/display.h"
#include "gfx/surface.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"

bool cGameScene::AddPicture(const PictureObject& picture, const char* file) {
    DDSURFACEDEF def;
    def.Set(file, 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0);
    DDSURFACEDATA& sd = m_listPicSurface.emplace_back();
    const int result =
        DDCreateSurfaceFromFile(&sd, def.szFileName, 1, nBpp, 0, 0, nullptr, nullptr, 0, 0, 0);
    if (!DDCheckResult(result)) {
        ErrorLog("ピクチャー %s 読み込み失敗！", def.szFileName);
        DDReleaseSurface(&sd);
        m_listPicSurface.erase(std::prev(m_listPicSurface.end()));
        return false;
    }
    m_listPicDef.push_back(def);
    m_listPicture.push_back(picture);
    return true;
}

CheckedList<PictureObject>::iterator cGameScene::ErasePicture(
    CheckedList<PictureObject>::iterator it) {
    const auto position = std::distance(m_listPicture.begin(), it);
    auto surface = std::next(m_listPicSurface.begin(), position);
    DDReleaseSurface(&*surface);
    m_listPicSurface.erase(surface);
    m_listPicDef.erase(std::next(m_listPicDef.begin(), position));
    return m_listPicture.erase(it);
}

void cGameScene::ClearPictures() {
    DDReleaseSurfaceList(m_listPicSurface);
    m_listPicSurface.clear();
    m_listPicDef.clear();
    m_listPicture.clear();
}

bool cGameScene::RestorePictures() {
    return RestoreSurface(m_listPicSurface);
}

void cGameScene::DrawPictures(DDSURFACEDATA* target, int layer, int frozen) {
    auto surface = m_listPicSurface.begin();
    for (auto it = m_listPicture.begin(); it != m_listPicture.end();) {
        if (it->nLayer != layer) {
            ++it;
            ++surface;
            continue;
        }
        if (it->Draw(target, &*surface, frozen)) {
            // The surface goes first: its iterator is the one the removal invalidates.
            ++surface;
            it = ErasePicture(it);
        } else {
            ++it;
            ++surface;
        }
    }
}
