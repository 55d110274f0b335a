#pragma once
// A stage character.
#include <cstdint>

#include "engine/instances/Item.h"
#include "engine/objects/CharaBase.h"

struct DDSURFACEDATA;

class cChara : public cCharaBase {
 public:
  int32_t m_bInRange = 0;
  int32_t m_bOperating = 0;
  cItem m_HeldItem;
  int32_t m_nHeldIconBlink = 0;
  int32_t m_bIgnoreRangeX = 0, m_bIgnoreRangeY = 0;
  int32_t m_bWasOperating = 0;

  cChara() = default;
  cChara(const cChara&) = default;
  cChara& operator=(const cChara&) = default;
  ~cChara() override = default;

  void ScaleHitBox(int nScale) override;
  // Final, so that a stage character's own steps inline its box update.
  void UpdateBoxX() final;
  void UpdateBoxY() final;
  cItem* GetHeldItem() override { return &m_HeldItem; }
  int ClampX() override;
  int ClampY() override;
  int MoveX() override;
  int MoveY() override;
  int UpdateFlows(int bDying) override;
  void Jump(cCmdRun* run) override;

  void Setup(int id, const cCharaDef* def, const cItem* heldItem, double originX, double originY, int16_t clone);
  void PlaceAtBlock(int col, int row);
  // Sets the group's flag when in range.
  int UpdateActiveRange(cVector<int8_t>& groups);
  // Inline: the activity pass asks it of every character on each sub-step.
  // m_InGroup is the definition's group switch (nm::chara::InGroup).
  int UpdateActiveRange(cVector<int8_t>& groups, double cameraX, double cameraY) {
    m_bInRange = IsOnScreenAxisAt(m_bIgnoreRangeX, m_bIgnoreRangeY, cameraX, cameraY);
    if (m_bInRange && m_Def.m_InGroup) MarkGroupActive(groups);
    return m_bInRange;
  }
  // Sets the flag of the definition's group.
  void MarkGroupActive(cVector<int8_t>& groups) const;
  int UpdateOperating(const cVector<int8_t>& groups);
  int UpdateOperating(const cVector<int8_t>& groups, const cScreenCamera& camera);
  void DrawHeldItemIcon(DDSURFACEDATA* surface);
};

// c.m_bOperating = c.m_bActive && c.UpdateOperating(groups, camera), for
// each character of the list in order.
void UpdateOperatingAll(cList<cChara>& charas, const cVector<int8_t>& groups, const cScreenCamera& camera);

int BoxOverlaps(const cGameObj& obj, double left, double top, double right, double bottom);
