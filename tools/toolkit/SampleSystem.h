#pragma once
// The sample's system data (English labels and menus) and its world map.
#include "data/System.h"
#include "data/WorldMap.h"

namespace tools {

// Labels of the title menu, by item number.
extern const char* const kSampleTitleMenu[cSystem::kTitleMenuItems];

cSystem SampleSystem();
cWorldMap SampleWorldMap();

}  // namespace tools
