#pragma once
// The program-wide data records that the application reads and fills.
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"

extern cSystem SystemData;
extern cDatabase Database;
extern cWorldMap WorldMap;
extern cOption OptionData;
extern cRanking Ranking;
extern cSaveData SaveData;
