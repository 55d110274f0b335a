// Temporary: the data records until the engine's declarations define them.
#include "app/frame/DataGlobals.h"

cSystem SystemData;
cDatabase Database;
cWorldMap WorldMap;
cOption OptionData;
cRanking Ranking;
