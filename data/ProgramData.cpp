// The program-wide data records. They live in the data layer so that the
// engine (which links after the application) can reach them.
#include "data/Database.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/System.h"
#include "data/WorldMap.h"

cSystem SystemData;
cDatabase Database;
cWorldMap WorldMap;
cOption OptionData;
cRanking Ranking;
