// The game scene's message windows: the list, each text window with its own surface on the
// scene's surface list, drawn after the effects.
#include <iterator>

#include "gfx/surface.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"
#include "stage/message_window.h"

void cGameScene::DrawMessages(DDSURFACEDATA* target, int frozen) {
    for (auto it = m_listMessage.begin(); it != m_listMessage.end();) {
        if (it->Update(*this, target, frozen))
            it = EraseMessage(it);
        else
            ++it;
    }
}

MessageWindow* cGameScene::AddMessage(const MessageSettings& settings) {
    MessageWindow& window = m_listMessage.emplace_back();
    if (window.Open(*this, settings)) return &window;
    EraseMessage(std::prev(m_listMessage.end()));
    return nullptr;
}

CheckedList<MessageWindow>::iterator cGameScene::EraseMessage(
    CheckedList<MessageWindow>::iterator it) {
    it->ReleaseSurface(*this);
    return m_listMessage.erase(it);
}

bool cGameScene::RemoveMessage(const MessageWindow* window) {
    for (auto it = m_listMessage.begin(); it != m_listMessage.end(); ++it) {
        if (&*it == window) {
            EraseMessage(it);
            return true;
        }
    }
    return false;
}

void cGameScene::ClearMessages() {
    // The windows go first: none may point into the surface lists released after them.
    m_listMessage.clear();
    DDReleaseSurfaceList(m_listMsgSurface);
    m_listMsgSurface.clear();
    m_listMsgDef.clear();
}

bool cGameScene::RestoreMessages() {
    // The window surfaces hold no image: restored blank and flagged lost, they are drawn
    // again by their windows in the next frame.
    return RestoreSurface(m_listMsgSurface);
}
