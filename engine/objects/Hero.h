#pragma once
// The player character.
#include <cstdint>
#include <string>

#include "base/Containers.h"
#include "data/FlowCmd.h"
#include "engine/objects/CharaBase.h"

class cInput;
class cItem;
struct DDSURFACEDATA;

// One hit-box display record.
struct HitBoxPart {
  int32_t nType = 0;  // 0 object box, 1 chara box, 2 item box, 3 shot box
  int32_t nMode = 0;  // 0 none, 1 filled, 2 frame
  int32_t nColour = 0;
  int32_t nX = 0, nY = 0, nW = 0, nH = 0;
  int32_t nBlink = 0;  // 0..31
};

class cHero final : public cCharaBase {
 public:
  cInput* m_lpInput = nullptr;
  int32_t m_nJumpHold = 0;
  int32_t m_bJumpReady = 1;
  int32_t m_bNoJumpBlock = 0;
  double m_dAccelUnit = 0;
  int32_t m_bJumpDone = 0;
  int32_t m_bClearInputDir = 0, m_bClearInputButtons = 0;
  cList<int32_t> m_Taken;  // IDs of the items taken during the touch still going on
  int32_t m_nFootAction = 0;
  double m_dFootActionValue = 0;
  int32_t m_nFootActionLeft = 0;
  int32_t m_nFootItemWait = 0;
  HitBox m_HitBoxItem;
  cVector<HitBoxPart> m_Parts;
  cVector<cFlowCmd> m_PendingFlowChanges;
  cList<cVector<int32_t>> m_ItemArranges;  // pending arrange entries of item commands (five ints each)

  cHero() = default;
  cHero(const cHero&) = default;
  cHero& operator=(const cHero&) = default;
  ~cHero() override = default;

  void ScaleHitBox(int nScale) override;
  void UpdateBoxX() override;
  void UpdateBoxY() override;
  int ClampX() override;
  int ClampY() override;
  int MoveX() override;
  int MoveY() override;
  int UpdateFlows(int bDying) override;
  void Jump(cCmdRun* run) override;

  void Setup(int id, const cCharaDef* def, double originX, double originY, int16_t clone);
  void SetFlyStatus(int fly, int scale);
  void GetHitSizes(int* ofsX, int* ofsY, int* w, int* h) const;
  void BuildParts();
  // The hero's own screen position (the camera follow is applied first).
  void UpdateScreenPos();
  void KeepFootBlock();
  int HasNotTaken(const cItem* item) const;
  void ForgetTaken(const cItem* item);
  void Draw(DDSURFACEDATA* surface, int mode);
  void DrawBackdrop(DDSURFACEDATA* surface);
};

int RunItemCommands(cCharaBase* chara, cVector<cFlowCmd>& commands);
// The item command フローの変更 (action 0 add, 1 replace the flows of an ID,
// 2 remove them); while the hero's own flows run, it is kept for the end of
// the hero's flow update unless applyNow is set.
void ChangeFlow(cHero* hero, cFlowCmd* cmd, int applyNow);
// Applies the hero's pending item arrange entries to a command (defined with
// the parameter table).
void ApplyHeroArranges(cFlowCmd* cmd, cHero* hero);
void ShowItemMessage(cCharaBase* chara, int kind, int number, int sub);
