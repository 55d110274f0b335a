#pragma once
// The program-wide data records that the application reads and fills
// (defined by the data layer).
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"
