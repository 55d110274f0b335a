// The item-command table: item kind k >= 2 runs the body of character kind
// k + 15 once, at once, without a command run.
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/MiscCommands.h"
#include "engine/flow/ParamTable.h"
#include "engine/objects/Hero.h"
#include "engine/script/Expr.h"

namespace {
using Body = void (*)(cCharaBase*, cFlowCmd*);

template <Body body>
int ItemCmd(cCharaBase* chara, cFlowCmd* cmd, cItem*) {
  body(chara, cmd);
  return 0;
}

int ItemCmdNone(cCharaBase*, cFlowCmd*, cItem*) { return 0; }

int ItemCmdChangeFlow(cCharaBase* chara, cFlowCmd* cmd, cItem*) {
  if (cHero* hero = dynamic_cast<cHero*>(chara)) ChangeFlow(hero, cmd, 0);
  return 0;
}
}  // namespace

void RegisterItemCommands() {
  ItemCommandTable[0] = ItemCmdNone;
  ItemCommandTable[1] = ItemCmdChangeFlow;
  // Kinds 2..4 (stage clear, game wait, message) are registered with their bodies.
  ItemCommandTable[5] = ItemCmd<DoWarp>;
  ItemCommandTable[6] = ItemCmd<DoSetTarget>;
  ItemCommandTable[7] = ItemCmd<ApplyStatusOperation>;
  ItemCommandTable[8] = ItemCmd<DoStatusOperation2>;
  ItemCommandTable[9] = ItemCmd<DoVanish>;
  ItemCommandTable[10] = ItemCmd<DoGetItem>;
  ItemCommandTable[11] = ItemCmd<DoChangeGraphic>;
  ItemCommandTable[12] = ItemCmd<DoChangeBaseAnimSet>;
  ItemCommandTable[13] = ItemCmd<DoPlayAnime>;
  ItemCommandTable[14] = ItemCmd<DoRunEffect>;
  ItemCommandTable[15] = ItemCmd<DoRunCharaEffect>;
  ItemCommandTable[16] = ItemCmd<DoRunScrEffect>;
  ItemCommandTable[17] = ItemCmd<DoShowPicture>;
  ItemCommandTable[18] = ItemCmd<DoChangeScreenColor>;
  ItemCommandTable[19] = ItemCmd<DoChangeBackground>;
  ItemCommandTable[20] = ItemCmd<DoPlaySound>;
  ItemCommandTable[21] = ItemCmd<DoPlayBgm>;
  ItemCommandTable[22] = ItemCmd<DoRunCode>;
  ItemCommandTable[23] = ItemCmd<DoArrange>;
  ItemCommandTable[24] = ItemCmdNone;
}
