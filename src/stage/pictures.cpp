// The game scene's pictures: the list of shown pictures, each with its own surface and
// definition at the same position of the scene's two surface lists, drawn by layer.
#include <iterator>

#include "gfx/display.h"
#include "gfx/surface.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"

bool cGameScene::AddPicture(const PictureObject& picture, const char* file) {
    CheckedList<PictureObject>::iterator added;
    if (!InsertPicture(m_listPicture.end(), file, 0, &added)) return false;
    *added = picture;
    return true;
}

DDSURFACEDATA* cGameScene::InsertPicture(CheckedList<PictureObject>::iterator before,
                                         const char* file, int ddMemory,
                                         CheckedList<PictureObject>::iterator* picture) {
    // The three lists stay parallel; should they ever disagree, the surface goes to the end
    // of its lists rather than past it.
    const auto position = std::distance(m_listPicture.begin(), before);
    auto at = [position](auto& list) {
        const auto size = static_cast<long>(list.size());
        return std::next(list.begin(), position < size ? position : size);
    };
    DDSURFACEDEF def;
    def.Set(file, 1, ddMemory, 0, nullptr, nullptr, 0, 0, 0, 0, 0);
    const auto surface = m_listPicSurface.emplace(at(m_listPicSurface));
    const int result = DDCreateSurfaceFromFile(&*surface, def.szFileName, 1, nBpp, ddMemory, 0,
                                               nullptr, nullptr, 0, 0, 0);
    if (!DDCheckResult(result)) {
        DDReleaseSurface(&*surface);
        m_listPicSurface.erase(surface);
        return nullptr;
    }
    m_listPicDef.emplace(at(m_listPicDef), def);
    *picture = m_listPicture.emplace(before);
    return &*surface;
}

CheckedList<PictureObject>::iterator cGameScene::ErasePicture(
    CheckedList<PictureObject>::iterator it) {
    const auto position = std::distance(m_listPicture.begin(), it);
    if (position < static_cast<long>(m_listPicSurface.size())) {
        auto surface = std::next(m_listPicSurface.begin(), position);
        DDReleaseSurface(&*surface);
        m_listPicSurface.erase(surface);
    }
    if (position < static_cast<long>(m_listPicDef.size()))
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
    // The surface at the picture's position; a picture without one is timed but not drawn.
    auto surface = m_listPicSurface.begin();
    for (auto it = m_listPicture.begin(); it != m_listPicture.end();) {
        const bool hasSurface = surface != m_listPicSurface.end();
        DDSURFACEDATA* sd = hasSurface ? &*surface : nullptr;
        // Moved on first: the removal below invalidates the picture's own surface.
        if (hasSurface) ++surface;
        if (it->nLayer == layer && it->Draw(target, sd, frozen))
            it = ErasePicture(it);
        else
            ++it;
    }
}
