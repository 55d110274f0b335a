#include "tools/toolkit/SampleSystem.h"

#include <string>

#include "tools/toolkit/SampleArt.h"
#include "tools/toolkit/SampleProject.h"
#include "tools/toolkit/SampleStages.h"

namespace tools {
namespace {

// Texts of the labels list, by index (where the player shows each one is
// noted where it is not plain).
const char* const kLabels[cSystem::kLabels] = {
    "World",                               // 0 stage prefix of the challenge list
    "Stage",                               // 1
    "Score",                               // 2 world map, with the chosen stage's score
    "High score",                          // 3 challenge list
    "Total score",                         // 4 map menu and challenge list
    "Score",                               // 5 result category 0
    "Timer",                               // 6 result category 1
    "Run time",                            // 7 result category 2
    "HP left",                             // 8 result category 3
    "SP left",                             // 9 result category 4
    "Play this stage",                     // 10 world map question
    "Not now",                             // 11
    "Save here",                           // 12 map menu save question
    "Not now",                             // 13
    "Auto save on",                        // 14
    "Auto save off",                       // 15
    "No save slot yet! Save once first!",  // 16
    "Back to the title",                   // 17 map menu title question
    "Not now",                             // 18
    "Quit",                                // 19 pause menu
    "Continue",                            // 20
    "Retry",                               // 21
    "Back to the map",                     // 22
    "Retry",                               // 23 continue question
    "Back to the map",                     // 24
    "V: next category",                    // 25 ranking box
    "Space: back to the title",            // 26 started by the editor
    "Space: quit",                         // 27 started with a stage file
    "F3: enter the ranking",               // 28 stage end
};

const char* const kMapMenu[cSystem::kMapMenuItems] = {"Save", "Auto save", "Back", "To the title"};
// Entry 0 (palette variants) only serves 256-colour screens: hidden here.
// Labels of up to nine characters leave the value column free.
const char* const kOptionMenu[cSystem::kOptionMenuItems] = {"", "Music", "Sound", "Ranking", "Name", "Back"};
const char* const kRankModes[cSystem::kRankModes] = {"Manual, name asked", "Manual, fixed name",
                                                     "Automatic, name asked", "Automatic, fixed name"};
const char* const kStatusLabels[cSystem::kStatusItems] = {"Total", "Score", "HP", "SP", "Lives"};

void SetMenu(cVector<cCmd>& menu, const char* const* labels) {
  for (size_t i = 0; i < menu.size(); ++i) {
    menu[i].m_Enabled = labels[i][0] ? 1 : 0;
    menu[i].m_Label = labels[i];
  }
}

// World-map chips: picture p is cell (p mod 5, p / 5) of bmp\WorldMapChip.bmp.
enum : int32_t { kChipGrass, kChipRoad, kChipWater, kChipTree, kChipRock };

cWorldChip Chip(const char* name, int32_t picture, bool blocked) {
  cWorldChip c;
  c.m_Name = name;
  c.m_Picture = picture;
  c.m_Blocked = blocked ? 1 : 0;
  return c;
}

// World-event pictures: row 0 a stage, row 1 a castle.
cWorldNode StageNode(const char* name, const char* file, int32_t clearSwitch, int32_t afterClear) {
  cWorldNode n;
  n.m_NodeKind = 0;  // a stage
  n.m_Picture = 0;
  n.m_NodeName = name;
  n.m_StageFile = file;
  n.m_ClearSwitch = clearSwitch;
  n.m_AfterClear = afterClear;
  return n;
}

}  // namespace

const char* const kSampleTitleMenu[cSystem::kTitleMenuItems] = {"New game", "Continue", "Challenge", "Free play",
                                                                "Replay",   "Options",  "Quit"};

cSystem SampleSystem() {
  cSystem s;  // the defaults of a new project, then the sample's own choices
  s.m_Title = "Brindle Sample";
  s.m_TitlePictureMenu = 0;  // a text menu; bmp\GameMode.bmp holds the same labels
  s.m_ChallengeCount = 1;    // data\stg4\c01-1
  for (size_t i = 0; i < s.m_StatusItems.size(); ++i) s.m_StatusItems[i].m_Label = kStatusLabels[i];
  SetMenu(s.m_TitleMenu, kSampleTitleMenu);
  SetMenu(s.m_MapMenu, kMapMenu);
  SetMenu(s.m_OptionMenu, kOptionMenu);
  for (size_t i = 0; i < s.m_RankModeLabels.size(); ++i) s.m_RankModeLabels[i] = kRankModes[i];
  for (size_t i = 0; i < s.m_Labels.size(); ++i) s.m_Labels[i] = kLabels[i];
  for (size_t i = 0; i < s.m_SystemSounds.size(); ++i) s.m_SystemSounds[i] = kSampleSystemSounds[i];
  // Music of the title, world map, challenge list and options.
  s.m_SceneBgm = {kSampleBgmTitle, kSampleBgmWorldMap, kSampleBgmChallenge, kSampleBgmOption};
  return s;
}

cWorldMap SampleWorldMap() {
  cWorldMap m;
  m.m_Name = "Sample Island";
  m.m_Chips.clear();
  m.m_Chips.push_back(Chip("Grass", 0, false));
  m.m_Chips.push_back(Chip("Road", 1, false));
  m.m_Chips.push_back(Chip("Water", 2, true));
  m.m_Chips.push_back(Chip("Tree", 3, true));
  m.m_Chips.push_back(Chip("Rock", 4, true));
  // One letter per cell: ~ water, . grass, = road, T tree, ^ rock.
  // clang-format off
  const char* const rows[] = {
      "~~~~~~~~~~~~~~~~~~~~",
      "~~~~~~~~~~~~~~~~~~~~",
      "~~~......TT.....~~~~",
      "~~...TT.........^^~~",
      "~~..............^^~~",
      "~~..T............~~~",
      "~~..................",
      "~~..=========.......",
      "~~..T.......=.....T.",
      "~~~.........=.......",
      "~~~..TT.....=....~~~",
      "~~~~........=...~~~~",
      "~~~~~~.....^^..~~~~~",
      "~~~~~~~~~~~~~~~~~~~~",
      "~~~~~~~~~~~~~~~~~~~~",
  };
  // clang-format on
  m.SetSize(20, 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) {
      char c = rows[y][x];
      int32_t chip = c == '.'   ? kChipGrass
                     : c == '=' ? kChipRoad
                     : c == 'T' ? kChipTree
                     : c == '^' ? kChipRock
                                : kChipWater;
      m.m_Cells[(static_cast<size_t>(y) << m.m_PitchShift) + static_cast<size_t>(x)] = chip;
    }
  m.m_StartX = 4;
  m.m_StartY = 7;
  m.m_BackColour = pal::Shade(pal::kHueBlue, 6);
  m.m_BackPicture = 0;

  m.m_Points.clear();
  // The first stage, on the road; clearing it sets common switch 1.
  cWorldPoint first;
  first.m_X = 8;
  first.m_Y = 7;
  first.m_Label = "Green Hill";
  first.m_Nodes.assign(1, StageNode("Green Hill", "data\\stg4\\World1-1.stg4_000", 1, 0));
  m.m_Points.push_back(first);
  // The castle at the end of the road: a wall until switch 1 is on, then
  // the two-part stage that ends the story and goes back to the title.
  cWorldPoint castle;
  castle.m_X = 12;
  castle.m_Y = 11;
  castle.m_Label = "Castle";
  cWorldNode open = StageNode("Castle", "data\\stg4\\Sample-1.stg4_000", 2, 2);
  open.m_Picture = 1;
  open.m_NeedSwitch = 1;
  cWorldNode closed;
  closed.m_NodeKind = 2;  // a wall
  closed.m_Picture = 1;
  closed.m_NodeName = "Castle (closed)";
  castle.m_Nodes.clear();
  castle.m_Nodes.push_back(open);
  castle.m_Nodes.push_back(closed);
  m.m_Points.push_back(castle);
  return m;
}

}  // namespace tools
