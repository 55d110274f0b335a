#include "tools/toolkit/SampleStages.h"

#include <stdexcept>

#include "tools/toolkit/SampleArt.h"

namespace tools {
namespace {

// --- flows and commands ---

// Command kinds of the character and item command tables.
enum : int8_t {
  kCmdMoveStraight = 2,    // 直線移動
  kCmdMoveGroundTurn = 3,  // 地上折り返し移動
  kCmdJump = 10,           // ジャンプ
  kCmdShot = 11,           // ショット
};
enum : int8_t {
  kItemCmdStageClear = 2,  // ステージクリア
  kItemCmdStatus = 7,      // ステータスの操作
};
// Keys of a key condition: directions first, then the buttons.
enum : int { kKeyLeft = 1, kKeyRight = 2, kKeyButton1 = 11 };
// Move directions (cEdMove::m_Direction).
enum : uint8_t { kDirForward = 0, kDirLeft = 2, kDirRight = 3 };

// A key condition step: `key` held for any length of time.
cKeyCond KeyHeld(int key) {
  cKeyCond k;
  k.m_KeyStates[static_cast<size_t>(key)] = 1;
  k.m_AnyHold = 1;
  return k;
}

// A flow that runs whenever its key is held ("常時" trigger with a key condition).
cFlow WhileKeyHeld(int key, cFlowCmd cmd) {
  cFlow f;
  f.m_Trigger = 0;
  f.m_KeyRepeat = 1;  // holds on every frame the key is down
  f.m_KeyConds.push_back(KeyHeld(key));
  f.m_Cmds.push_back(std::move(cmd));
  return f;
}

// 直線移動 in a fixed direction; speed in tenths of a pixel per frame, time
// in tenths of a second.
cFlowCmd Walk(uint8_t direction, int16_t speed, int16_t time) {
  cFlowCmd c;
  c.m_CmdKind = kCmdMoveStraight;
  cEdMove::Reset(c.m_pMove);
  c.m_pMove->m_Direction = direction;
  c.m_pMove->m_Speed = speed;
  c.m_Time = time;
  return c;
}

// ジャンプ whose height the jump key controls, up to `halfBlocks` × 16 pixels.
cFlowCmd Jump(int halfBlocks) {
  cFlowCmd c;
  c.m_CmdKind = kCmdJump;
  c.m_Params = {1, 0, halfBlocks, 0, 0};  // mode "height by key", -, height (hbl), -, -
  c.m_CmdSound = kSampleSoundJump;
  return c;
}

// 地上折り返し移動: walk forward, turn round at walls and at ledges.
cFlowCmd PatrolGround(int16_t speed, int16_t time) {
  cFlowCmd c;
  c.m_CmdKind = kCmdMoveGroundTurn;
  cEdMove::Reset(c.m_pMove);
  c.m_pMove->m_Direction = kDirForward;
  c.m_pMove->m_Speed = speed;
  c.m_Time = time;
  return c;
}

// ショット: one ball straight ahead that hurts characters of other factions.
cFlowCmd ShootAhead(uint8_t faction) {
  cFlowCmd c;
  c.m_CmdKind = kCmdShot;
  cEdShot::Reset(c.m_pShot);
  cEdShot& s = *c.m_pShot;
  s.m_ShotCount = 1;
  s.m_Formation = 0;  // 直進A
  s.m_ShotDirection = kDirForward;
  s.m_Graphic = 2;  // row 2 of bmp\Shot.bmp
  s.m_ShotFaction = faction;
  s.m_ShotMove = 0;    // 直進
  s.m_ShotSpeed = 30;  // 3 pixels per frame
  s.m_Attack = 1;
  s.m_LifeLimited = 1;
  s.m_LifeTime = 20;
  c.m_Time = 5;  // a pause after firing
  c.m_CmdSound = kSampleSoundShot;
  return c;
}

// Item command ステータスの操作: the score (system value 3) goes up by `points`.
cFlowCmd AddScore(int points) {
  cFlowCmd c;
  c.m_CmdSet = 1;
  c.m_CmdKind = kItemCmdStatus;
  c.m_Params.assign(18, 0);
  c.m_Params[0] = 0;  // a status or system value
  c.m_Params[3] = 5;  // object: the system values
  c.m_Params[4] = 3;  // the score
  c.m_Params[5] = 1;  // operation "+"
  c.m_Params[6] = 0;  // operand: a constant
  c.m_Params[7] = points;
  return c;
}

// Item command ステージクリア: on to the next part of the stage; after the
// last part free play goes back to the title and the story to the map.
cFlowCmd ClearStage() {
  cFlowCmd c;
  c.m_CmdSet = 1;
  c.m_CmdKind = kItemCmdStageClear;
  c.m_Params.assign(9, 0);  // destination 0 "次のステージへ", nothing else set
  return c;
}

// --- definitions of the common palette ---

cBlockDef Block(const char* name, int16_t chip) {
  cBlockDef b;
  b.m_Name = name;
  b.m_GfxKind = 0;  // block chips, bmp\Block.bmp
  b.m_GfxIndex = chip;
  b.m_Hit = 1;  // solid
  return b;
}

cCharaDef Hero() {
  cCharaDef c;
  c.m_Name = "Hero";
  c.m_Control = 0;   // the player
  c.m_Faction = 0;   // also the player-input record: 0 = player 1
  c.m_GfxIndex = 1;  // row 1 of bmp\Character1.bmp
  c.m_AnimeSet = kSampleAnimeSetWalker;
  c.m_Facing = 1;
  c.m_FixedFacing = 0;  // walking turns him round
  c.m_MaxHp = 3;
  c.m_Flows.push_back(WhileKeyHeld(kKeyLeft, Walk(kDirLeft, 30, 1)));
  c.m_Flows.push_back(WhileKeyHeld(kKeyRight, Walk(kDirRight, 30, 1)));
  c.m_Flows.push_back(WhileKeyHeld(kKeyButton1, Jump(7)));
  return c;
}

cCharaDef Walker() {
  cCharaDef c;
  c.m_Name = "Walker";
  c.m_Control = 1;  // the computer
  c.m_Faction = 1;
  c.m_GfxIndex = 2;  // row 2 of bmp\Character1.bmp
  c.m_AnimeSet = kSampleAnimeSetWalker;
  c.m_MaxHp = 1;
  c.m_BodyPower = 1;  // touching it hurts
  c.m_Score = 50;
  // Patrol for two seconds, turning at walls, then fire a ball ahead; repeat.
  cFlow patrol;
  patrol.m_Trigger = 0;  // 常時
  patrol.m_Cmds.push_back(PatrolGround(10, 20));
  patrol.m_Cmds.push_back(ShootAhead(1));
  c.m_Flows.push_back(std::move(patrol));
  return c;
}

cItemDef Coin() {
  cItemDef i;
  i.m_Name = "Coin";
  i.m_GfxIndex = 1;  // row 1 of bmp\Item.bmp
  i.m_PickUp = 0;    // taken once
  i.m_Sound = kSampleSoundCoin;
  i.m_Commands.push_back(AddScore(100));
  return i;
}

cItemDef GoalFlag() {
  cItemDef i;
  i.m_Name = "Goal";
  i.m_GfxIndex = 2;  // row 2 of bmp\Item.bmp
  i.m_Sound = kSampleSoundClear;
  i.m_Commands.push_back(ClearStage());
  return i;
}

// --- maps ---

// One character per cell:
//   '=' grass-topped ground  '#' earth  'B' brick  '-' platform  'S' stone
//   'H' the hero  'W' a walker  'o' a coin  'F' the goal flag  '.' nothing
struct MapText {
  const char* name;
  const char* path;
  int bgm;
  std::vector<const char*> rows;
};

const std::vector<MapText>& Maps() {
  static const std::vector<MapText> maps = {
      {"Sample 1",
       "data\\stg4\\Sample-1.stg4_000",
       kSampleBgmStage,
       {
           "S......................................S",
           "S......................................S",
           "S......................................S",
           "S......................................S",
           "S......................................S",
           "S...............ooo....................S",
           "S..............-----...................S",
           "S......................................S",
           "S........oo.............oo.............S",
           "S.......----...........----............S",
           "S......................................S",
           "S.....................B.......B........S",
           "S..H..........o.......B...W...B......F.S",
           "========================================",
           "########################################",
       }},
      {"Sample 2",
       "data\\stg4\\Sample-2.stg4_000",
       kSampleBgmStage,
       {
           "S......................................S",
           "S......................................S",
           "S......................................S",
           "S......................................S",
           "S..........................ooo.........S",
           "S.........................-----........S",
           "S......................................S",
           "S...........ooo........................S",
           "S..........-----.......................S",
           "S......................................S",
           "S...................-----..............S",
           "S.....B..........B...........B.........S",
           "S.H...B....W.....B......o....B..W....F.S",
           "========================================",
           "########################################",
       }},
      {"Green Hill",
       "data\\stg4\\World1-1.stg4_000",
       kSampleBgmStage,
       {
           "S..............................S",
           "S..............................S",
           "S..............................S",
           "S..............................S",
           "S..............................S",
           "S..............................S",
           "S..............ooo.............S",
           "S.............-----............S",
           "S..............................S",
           "S.......oo.....................S",
           "S......----....................S",
           "S.....................B........S",
           "S.H...........W.......B......F.S",
           "================================",
           "################################",
       }},
      {"Challenge 1",
       "data\\stg4\\c01-1.stg4_000",
       kSampleBgmChallenge,
       {
           "S..............................S",
           "S..............................S",
           "S..............................S",
           "S..............................S",
           "S....................ooo.......S",
           "S...................-----......S",
           "S..............................S",
           "S...........ooo................S",
           "S..........-----...............S",
           "S..............................S",
           "S.....B..............B.........S",
           "S.....B.......W......B.........S",
           "S.H...B..............B.....W.F.S",
           "================================",
           "################################",
       }},
  };
  return maps;
}

// A palette entry placed at a cell: a full copy that names its entry and
// takes every property group from it when the stage is read.
template <class Def>
Def Placed(const Def& paletteEntry, int16_t index, int col, int row) {
  Def d = paletteEntry;
  d.m_PalKind = PAL_COMMON;
  d.m_PalIndex = index;
  d.m_Inherit.Fill(1);
  d.m_Col = static_cast<int16_t>(col);
  d.m_Row = static_cast<int16_t>(row);
  return d;
}

cStage BuildStage(const MapText& map, const cCommonPalette& palette) {
  cStage s;
  s.m_Name = map.name;
  s.m_Height = static_cast<int32_t>(map.rows.size());
  s.m_Width = static_cast<int32_t>(std::string(map.rows[0]).size());
  // The world is the map with its margins: extent value + 640 = (size + 20) * 32.
  s.m_ScrollExtraX = s.m_Width * 32;
  s.m_ScrollExtraY = s.m_Height * 32;
  s.m_Bgm = map.bgm;
  s.m_BgmLoop = 1;
  s.m_TimeLimitOn = 1;
  s.m_TimeLimit = 300;
  s.m_ShowStageNumber = 1;
  // One background layer: the sky picture, following the view at half speed.
  ResetDefList(s.m_BackLayers, 1);
  cBackLayer& sky = s.m_BackLayers[0];
  sky.m_File = "bmp\\back\\Sky.bmp";
  sky.m_RateX = 0.5;
  sky.m_RateY = 0.5;
  s.m_VarNames.assign(kStageVarNames, cVarName());
  s.m_VarNames[0].m_Name = "coins";

  for (int row = 0; row < s.m_Height; ++row) {
    std::string line = map.rows[static_cast<size_t>(row)];
    if (static_cast<int>(line.size()) != s.m_Width) throw std::logic_error(std::string("ragged map ") + map.name);
    for (int col = 0; col < s.m_Width; ++col) {
      auto block = [&](int16_t k) { s.m_PlacedBlocks.push_back(Placed(palette.m_Blocks[k], k, col, row)); };
      auto chara = [&](int16_t k) {
        cCharaDef c = Placed(palette.m_Charas[k], k, col, row);
        c.m_HeldItem = -1;
        s.m_PlacedCharas.push_back(c);
      };
      auto item = [&](int16_t k) { s.m_PlacedItems.push_back(Placed(palette.m_Items[k], k, col, row)); };
      switch (line[static_cast<size_t>(col)]) {
        case '=':
          block(kBlockGround);
          break;
        case '#':
          block(kBlockEarth);
          break;
        case 'B':
          block(kBlockBrick);
          break;
        case '-':
          block(kBlockPlatform);
          break;
        case 'S':
          block(kBlockStone);
          break;
        case 'H':
          chara(kCharaHero);
          break;
        case 'W':
          chara(kCharaWalker);
          break;
        case 'o':
          item(kItemCoin);
          break;
        case 'F':
          item(kItemGoal);
          break;
        case '.':
          break;
        default:
          throw std::logic_error(std::string("unknown map letter in ") + map.name);
      }
    }
  }
  return s;
}

}  // namespace

cCommonPalette SampleCommonPalette() {
  cCommonPalette p;
  ResetDefList(p.m_Blocks, 1);  // entry 0: the blank block
  p.m_Blocks.push_back(Block("Ground", 1));
  p.m_Blocks.push_back(Block("Earth", 2));
  p.m_Blocks.push_back(Block("Brick", 3));
  p.m_Blocks.push_back(Block("Platform", 4));
  p.m_Blocks.push_back(Block("Stone", 5));
  ResetDefList(p.m_Charas, 1);
  p.m_Charas.push_back(Hero());
  p.m_Charas.push_back(Walker());
  ResetDefList(p.m_Items, 1);
  p.m_Items.push_back(Coin());
  p.m_Items.push_back(GoalFlag());
  return p;
}

std::vector<cSampleStage> SampleStages() {
  const cCommonPalette palette = SampleCommonPalette();
  std::vector<cSampleStage> stages;
  for (const MapText& map : Maps()) stages.push_back({map.path, BuildStage(map, palette)});
  return stages;
}

}  // namespace tools
