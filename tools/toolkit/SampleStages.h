#pragma once
// The sample's common palette and stages. The definitions live in the
// common palette; the stages place copies of them on maps drawn as text.
#include <string>
#include <vector>

#include "data/CommonPalette.h"
#include "data/Stage.h"

namespace tools {

// Entries of the sample's common palette.
enum SampleBlock : int16_t { kBlockGround = 1, kBlockEarth, kBlockBrick, kBlockPlatform, kBlockStone };
enum SampleChara : int16_t { kCharaHero = 1, kCharaWalker };
enum SampleItem : int16_t { kItemCoin = 1, kItemGoal };

// Entries of the sample's database that the stages name.
constexpr int kSampleAnimeSetWalker = 1;
constexpr int kSampleSoundJump = 1, kSampleSoundShot = 2, kSampleSoundCoin = 3, kSampleSoundClear = 4;
constexpr int kSampleBgmTitle = 1, kSampleBgmWorldMap = 2, kSampleBgmChallenge = 3, kSampleBgmOption = 4,
              kSampleBgmStage = 5;

cCommonPalette SampleCommonPalette();

struct cSampleStage {
  std::string path;  // project path of the file
  cStage stage;
};
// The stages: free play "Sample" in two parts, the story stage of the world
// map and challenge stage 1. Built against SampleCommonPalette().
std::vector<cSampleStage> SampleStages();

}  // namespace tools
