#include "scene/scene_manager.h"

cSceneManager SceneMgr;

int cSceneManager::UpdateFrame() { return frameFunction ? frameFunction() : 1; }
