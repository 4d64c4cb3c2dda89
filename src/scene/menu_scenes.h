// The five scenes around play: title, world map, map menu, stage select and options.
#pragma once

#include "scene/map_menu_scene.h"
#include "scene/option_scene.h"
#include "scene/stage_select_scene.h"
#include "scene/title_scene.h"
#include "scene/world_map_scene.h"
