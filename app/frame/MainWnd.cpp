#include "app/frame/MainWnd.h"

#include <mutex>
#include <new>

#include "app/dialogs/NameEntryDlg.h"
#include "app/frame/DataGlobals.h"
#include "app/frame/IniSettings.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/WindowData.h"
#include "base/FileDialog.h"
#include "base/Log.h"
#include "engine/World.h"
#include "media/graphics/DDCore.h"

using namespace platform;

namespace {

std::mutex g_hookMutex;
sWindowRequestHooks g_hooks;

sWindowRequestHooks Hooks() {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  return g_hooks;
}

// "err V[%d] ( %d , %d )" to both logs and WM_CLOSE: an index outside a table.
void ReportIndex(int index, int size, int element) {
  WriteDebugLog("err V[%d] ( %d , %d )", index, size, element);
  WriteLog("err V[%d] ( %d , %d )", index, size, element);
  PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
}

constexpr int kSoundElementSize = 284;

}  // namespace

void SetWindowRequestHooks(sWindowRequestHooks hooks) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_hooks = std::move(hooks);
}

sWindowRequestHooks GetWindowRequestHooks() { return Hooks(); }

LRESULT StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return MainWnd.WndProc(hwnd, message, wParam, lParam);
}

void cMainWnd::Init() {
  cWnd::Init(0, nullptr, nullptr);
  m_lpfnProc = StaticWndProc;
}

void NotifyEditorStarted() {}
void NotifyEditor(int32_t) {}

void SuspendAllThreads() {
  thGame.Suspend();
  thPause.Suspend();
  thRanking.Suspend();
  thStageLoad.Suspend();
}

void ResumeAllThreads() {
  thGame.Resume();
  thPause.Resume();
  thRanking.Resume();
  thStageLoad.Resume();
}

int32_t SendWindowRequest(UINT message, WPARAM wParam, LPARAM lParam, std::atomic<int32_t>* doneFlag) {
  if (doneFlag) doneFlag->store(0);
  SendMessage(hMainWnd.load(), message, wParam, lParam);
  // The flag is set when the send returns; a send released because the
  // window or this thread is shutting down leaves it clear, so no wait here.
  return doneFlag == &bDialogDone && bDialogDone.load() ? bDialogResult.load() : 0;
}

LRESULT cMainWnd::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hwnd;
  GetMouse(0, 7);
  switch (message) {
    case WM_CREATE: m_bInitialized = 1; return 0;
    case WM_DESTROY:
      WriteDebugLog("WM_DESTROY");
      m_hWnd = nullptr;
      hMainWnd.store(nullptr);
      if (bStartedByEditor.load()) NotifyEditor(1);
      PostQuitMessage(0);
      return 0;
    case WM_MOVE: return 0;  // frames are always shown whole in the window
    case WM_SIZE: UpdateStyle(); return 0;
    case WM_PAINT: return 0;  // the main thread shows the newest frame itself
    case WM_CLOSE: OnClose(); return 0;
    case WM_ACTIVATEAPP:
      if (!bAppActive.load() && wParam && lpDTCon && !SceneDirector.m_Startup.m_bWindowed)
        SendMessage(hMainWnd.load(), kWmRestoreDevice, 0, 0);
      bAppActive.store(static_cast<int32_t>(wParam));
      return 0;
    case WM_GETMINMAXINFO:
      if (lpDDCon) OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_KEYDOWN:
      if (wParam == 0x1B) PostMessage(hwnd, WM_CLOSE, 0, 0);  // Esc
      return 0;
    case WM_COMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: return 0;
    case kWmNameEntry: OnNameEntry(); return 0;
    case kWmOpenStage: OnOpenStage(); return 0;
    case kWmOpenReplay: OnOpenReplay(); return 0;
    case kWmSaveReplay: OnSaveReplay(wParam); return 0;
    case kWmPlaySound: OnPlaySound(wParam); return 0;
    case kWmPlayMusic: OnPlayMusic(wParam, lParam); return 0;
    case kWmRestoreDevice: DDRestoreSurface(); return 0;
    default: return 0;
  }
}

void cMainWnd::OnClose() {
  if (IniSettings.WindowMode != 0 && bGameRunning.load() == 1 && m_hWnd && !IsIconic(m_hWnd)) {
    RECT r;
    if (GetWindowRect(m_hWnd, r)) {
      WindowData.Set(r.left, r.top, r.right - r.left, r.bottom - r.top, IsZoomed(m_hWnd) ? 1 : 0);
      WindowData.Save(kWindowDataPath);  // a failed save is not reported
    }
  }
  if (thPause.HasThread()) {
    WriteDebugLog("WM_CLOSE thPause.m_hThread");
    if (auto quit = Hooks().SetPlaySceneQuit) {
      quit();
    } else if (PlayScene) {
      PlayScene->m_bQuit.store(1);
    }
    PostThreadMessage(thPause.GetThreadId(), WM_QUIT, 0, 0);
    return;
  }
  WriteDebugLog("WM_CLOSE \x90\xAC\x8C\xF7\x81\x49");  // "WM_CLOSE 成功！"
  BgmManager.Stop();
  thStageLoad.Exit();
  thPause.Exit();
  thRanking.Exit();
  WriteDebugLog("thPause.Exit()");
  thGame.Exit();
  WriteDebugLog("thGame.Exit()");
  if (m_hWnd) DestroyWindow(m_hWnd);
}

void cMainWnd::OnNameEntry() {
  DDSetDialogMode(1);
  SuspendAllThreads();
  auto target = Hooks().NameEntryTarget;
  std::string* name = nullptr;
  if (target) {
    name = target();
  } else if (SceneDirector.m_nTitleItem == 5) {
    name = &OptionData.m_RankName;  // the option scene runs
  } else if (PlayScene) {
    name = &PlayScene->m_RankName;
  }
  auto* dlg = new (std::nothrow) cNameEntryDlg(kNameEntryTemplate, this, 1, &WindowUserData, name);
  if (!dlg) {
    OutOfMemoryExit();
  } else {
    dlg->DoModal(0);
    delete dlg;
  }
  DDSetDialogMode(0);
  ResumeAllThreads();
  bNameEntryDone.store(1);
}

namespace {
bool ChooseFile(cWnd* owner, std::string& path, const char* folder, const char* titleEn, const char* titleJa,
                const char* filter, const char* defExt) {
  DDSetDialogMode(1);
  path.clear();
  const bool chosen = OpenFileDialog(owner, path, 260, folder, IniSettings.English ? titleEn : titleJa, filter, defExt,
                                     false, nullptr);
  DDSetDialogMode(0);
  return chosen;
}
}  // namespace

void cMainWnd::OnOpenStage() {
  std::string path;
  static const char kFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";
  // "ステージファイルの読み込み"
  if (!ChooseFile(this, path, "data\\stg4\\", "Load stage file",
                  "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD",
                  kFilter, "stg4_*;rpl4_*")) {
    bDialogResult.store(0);
  } else {
    // A file that cannot be played has shown its box; the title goes on.
    auto start = Hooks().StartFreeStage;
    bDialogResult.store(start && start(path, 0) ? 1 : 0);
  }
  bDialogDone.store(1);
}

void cMainWnd::OnOpenReplay() {
  std::string path;
  static const char kFilter[] = "ReplayFile ( *.rpl4_* )\0*.rpl4_*\0";
  // "リプレイファイルの読み込み"
  if (!ChooseFile(this, path, "user_data\\rpl4", "Load replay file",
                  "\x83\x8A\x83\x76\x83\x8C\x83\x43\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD",
                  kFilter, "rpl4_*")) {
    bDialogResult.store(0);
  } else if (Replay.LoadFile(path, Stage, StageCopy, SaveData)) {
    Stage.m_Path = path;
    bDialogResult.store(1);
  } else {
    // A replay that cannot be read is reported and the title goes on.
    ErrorBox("%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x81\x63", path.c_str());
    bDialogResult.store(0);
  }
  bDialogDone.store(1);
}

void cMainWnd::OnSaveReplay(WPARAM which) {
  const sWindowRequestHooks hooks = Hooks();
  std::string path;
  if (!hooks.ChooseReplaySaveFile || !hooks.ChooseReplaySaveFile(path)) {
    bDialogResult.store(0);
  } else {
    // A replay that cannot be written is reported and play goes on.
    if (!hooks.SaveReplay || !hooks.SaveReplay(path, which))
      ErrorBox("%s \x82\xCC\x95\xDB\x91\xB6\x82\xC9\x8E\xB8\x94\x73\x81\x63", path.c_str());
    bDialogResult.store(1);
  }
  bDialogDone.store(1);
}

void cMainWnd::OnPlaySound(WPARAM slot) {
  if (SoundEntries.empty()) return;
  size_t i = slot;
  if (i >= SoundEntries.size()) {
    ReportIndex(static_cast<int>(slot), static_cast<int>(SoundEntries.size()), kSoundElementSize);
    i = 0;
  }
  DS_Play(SoundEntries[i], 0);
}

sMusicAction DecideMusic(WPARAM kind, LPARAM number, const cVector<int32_t>& sceneBgm,
                         const cVector<uint8_t>& sceneBgmLoop, const cVector<cBgm>& bgms, int32_t stageLoop) {
  sMusicAction a;
  auto pick = [&a](auto& list, int64_t index, int element) -> int64_t {
    if (index >= 0 && index < static_cast<int64_t>(list.size())) return index;
    if (!a.indexError) {
      a.indexError = true;
      a.errIndex = static_cast<int>(index);
      a.errSize = static_cast<int>(list.size());
      a.errElement = element;
    }
    return list.empty() ? -1 : 0;
  };
  auto fileOf = [&](int64_t n) {
    const int64_t i = pick(bgms, n, 72);
    return i < 0 ? std::string() : bgms[static_cast<size_t>(i)].m_File;
  };
  if (kind <= 3) {
    const int64_t k = pick(sceneBgm, static_cast<int64_t>(kind), 4);
    const int32_t n = k < 0 ? 0 : sceneBgm[static_cast<size_t>(k)];
    if (n == 0) {
      a.action = sMusicAction::kStop;
      return a;
    }
    a.slot = static_cast<int>(kind);
    a.file = fileOf(n);
    a.setSlotFile = true;
    const int64_t l = pick(sceneBgmLoop, static_cast<int64_t>(kind), 1);
    a.loop = l < 0 ? 0 : sceneBgmLoop[static_cast<size_t>(l)];
    a.action = sMusicAction::kPlay;
  } else if (kind == 4) {
    a.slot = 4;
    a.file = fileOf(number);
    a.setSlotFile = true;
    a.loop = stageLoop;
    a.action = number == 0 ? sMusicAction::kStop : sMusicAction::kPlay;
  }
  return a;
}

void cMainWnd::OnPlayMusic(WPARAM kind, LPARAM number) {
  if (kind == 4) SaveData.m_AppValueH = static_cast<int32_t>(number);
  const sMusicAction a =
      DecideMusic(kind, number, SystemData.m_SceneBgm, SystemData.m_SceneBgmLoop, Database.m_Bgms, SaveData.m_AppValueE);
  if (a.indexError) ReportIndex(a.errIndex, a.errSize, a.errElement);
  if (a.setSlotFile) BgmManager.SetBgm(a.slot, a.file);
  if (a.action == sMusicAction::kStop) BgmManager.Stop();
  if (a.action == sMusicAction::kPlay) BgmManager.Play(0, a.slot, a.loop, 1);
}
