#pragma once
// The sample's system data (English labels and menus) and its world map.
#include "data/System.h"
#include "data/WorldMap.h"

namespace tools {

cSystem SampleSystem();
cWorldMap SampleWorldMap();

}  // namespace tools
