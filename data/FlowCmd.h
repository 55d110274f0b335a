#pragma once
// One command of a flow or of an item: a command set (0 character, else
// item), a kind, integer parameters sized by the command tables, a text, and
// optional movement, shot and condition records. Copies are deep: a copied
// command never shares its records with the source.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "base/SerialRecord.h"
#include "data/Cond.h"
#include "data/EdMove.h"
#include "data/EdShot.h"
#include "data/ReadContext.h"

class cFlow;

class cFlowCmd : public cSerialRecord {
 public:
  using PaletteCounts = cReadContext::PaletteCounts;

  uint8_t m_CmdSet = 0;  // 0 character command, non-zero item command
  int8_t m_CmdKind = 0;
  cVector<int32_t> m_Params;
  std::string m_Text;
  boost::shared_ptr<cEdMove> m_pMove;
  boost::shared_ptr<cEdShot> m_pShot;
  int16_t m_Time = 0;      // units of 6 frames
  int16_t m_TimeStep = 0;  // added per spawn index
  uint8_t m_WithNext = 0;
  int16_t m_CmdSound = 0;  // database sound, 0 none
  uint8_t m_CmdOption = 1;
  int16_t m_Anime = 0;  // database animation, 0 none
  boost::shared_ptr<cCondList> m_pCondList;
  cVector<cFlow> m_SubFlows;

  cFlowCmd();
  cFlowCmd(const cFlowCmd& other);
  cFlowCmd& operator=(const cFlowCmd& other);
  ~cFlowCmd() override;

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;

  // Clears the registered fields and drops the three records; the parameters
  // and sub-flows stay.
  void Clear();

  bool IsItemCmd() const { return m_CmdSet != 0; }

  // Repairs references into the database and sizes the parameters to the
  // command table. Run after reading and before writing.
  void Validate(const cReadContext& context = DefaultReadContext());
  // Repairs palette references once the common and stage palettes are known.
  void CheckPaletteRefs(const PaletteCounts& common, const PaletteCounts& stage);
  void CheckPaletteRefs(const cReadContext& context = DefaultReadContext()) {
    CheckPaletteRefs(context.commonPaletteCounts, context.stagePaletteCounts);
  }
};

// A command vector: u32 count, then each command's body.
bool ReadCmdVector(cVector<cFlowCmd>& v, cRecordReader& r);
void WriteCmdVector(cVector<cFlowCmd>& v, cRecordWriter& w);

// Time of a sword command: the frame durations summed, capped at 9999.
int16_t SwordTime(const std::vector<int>& durations);

// Sub-flows need the whole flow record; users of either header get both.
#include "data/Flow.h"
