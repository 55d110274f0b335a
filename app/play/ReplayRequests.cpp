#include "app/play/ReplayRequests.h"

#include "app/frame/IniSettings.h"
#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "base/FileDialog.h"
#include "base/Paths.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "media/graphics/DDCore.h"
#include "platform/FileSystem.h"

ReplayKeyState ReplayKeys;

namespace {
constexpr const char* kReplayExt = "rpl4_791";
constexpr const char* kReplayFolder = "user_data\\rpl4\\";
}  // namespace

int RequestSaveReplay() {
  if (SceneDirector.m_nTitleItem == 4 || !nm::sys::ReplayRecording(SystemData)) return 0;
  if (ReplayKeys.nCoolDown > 0) --ReplayKeys.nCoolDown;
  IKeyState& keys = KeyState();
  const bool f1 = keys.IsDown(IKeyState::kF1);
  const bool f2 = !f1 && keys.IsDown(IKeyState::kF2);
  if (!f1 && !f2) {
    ReplayKeys.bSaveHeld = false;
    return 0;
  }
  // A held key does not reopen the dialog: the next save needs a new press.
  if (ReplayKeys.bSaveHeld) return 0;
  const cReplay& source = f1 ? Replay : PrevReplay;
  if (nm::replay::IsEmpty(source)) {
    if (ReplayKeys.nCoolDown <= 0) {
      PlaySE(3);
      ReplayKeys.nCoolDown = 60;
    }
    return 0;
  }
  PlaySE(1);
  ReplayKeys.bSaveHeld = true;
  SendWindowRequest(kWmSaveReplay, f1 ? 0 : 1, 0, &bDialogDone);
  return 1;
}

int RequestOpenReplay() { return SendWindowRequest(kWmOpenReplay, 0, 0, &bDialogDone) != 0 ? 1 : 0; }

std::string ProposeReplayName(const std::string& baseName, int tagOn, int tagNo, int tagSub,
                              bool (*exists)(const std::string& path)) {
  if (baseName.empty()) return "";
  std::string file = baseName;
  StripDirectory(file);
  std::string path = std::string(kReplayFolder) + file;
  AppendStageSuffix(path, tagOn, tagNo, tagSub);
  std::string withExt;
  ChangeExtension(withExt, path, kReplayExt);
  std::string proposal;
  for (int a = 0; a <= 8; ++a) {
    for (int b = 0; b <= 8; ++b) {
      InsertNumberSuffix(proposal, withExt, a, b);
      if (!exists(proposal)) goto found;
    }
  }
found:
  StripDirectory(proposal);
  return proposal;
}

int ChooseReplaySaveFile(std::string& out, const std::string& baseName) {
  out = ProposeReplayName(baseName, nm::save::StartVarFlag(SaveData), nm::save::StartVarNumber(SaveData),
                          nm::save::StartVarValue(SaveData), [](const std::string& p) { return platform::PathExists(p); });
  DDSetDialogMode(1);
  static const char kFilter[] = "ReplayFile ( *.rpl4_791 )\0*.rpl4_791\0";
  // "リプレイファイルの保存"
  const char* title = IniSettings.English
                          ? "Save replay file"
                          : "\x83\x8A\x83\x76\x83\x8C\x83\x43\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x95\xDB\x91\xB6";
  const bool chosen = SaveFileDialog(&MainWnd, out, kReplayFolder, title, kFilter, kReplayExt, true);
  DDSetDialogMode(0);
  return chosen ? 1 : 0;
}
