#include "app/frame/App.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/dialogs/BootData.h"
#include "app/dialogs/BootDlg.h"
#include "app/dialogs/DialogTemplates.h"
#include "app/frame/AppTexts.h"
#include "app/frame/BgmDefaults.h"
#include "app/frame/DataGlobals.h"
#include "app/frame/EngineSeams.h"
#include "app/frame/IniSettings.h"
#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/StartupContext.h"
#include "app/frame/WindowData.h"
#include "base/Dlg.h"
#include "base/DlgMessageBox.h"
#include "base/FrameTimer.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "base/SerialRecord.h"
#include "base/Text.h"
#include "base/Thread.h"
#include "data/DataPaths.h"
#include "media/graphics/DisplayReport.h"
#include "media/graphics/Palette.h"
#include "platform/Clock.h"
#include "platform/CloseRequest.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/FontFace.h"
#include "platform/FrameMailbox.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

using namespace platform;
using namespace apptext;

const char* const kModeTextWindow = kModeTextWindowText;
const char* const kModeTextGeneral = kModeTextGeneralText;

namespace {

// The folders made at every start, in this order.
const char* const kFolders[] = {
    "user_data",         "user_data\\story", "user_data\\challenge", "user_data\\free", "user_data\\rpl4",
    "data",              "data\\database",   "data\\stg4",           "data\\stg4\\old_ver", "data\\work",
    "data\\plt4",        "bmp",              "bmp\\back",            "bmp\\chara_sp",   "bmp\\effect",
    "bmp\\picture",      "bmp\\sword",       "bmp\\convert",         "bmp\\plt",        "bmp\\hbt",
    "wave",              "bgm",
};

// The sound-effect volume by the options' effect volume 0..10.
constexpr int kEffectVolume[11] = {-10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};

int GameLoopProc(void*) { return GameLoop(); }
unsigned GameThread(void*) { return static_cast<unsigned>(GameLoopProc(nullptr)); }

}  // namespace

// ---------------------------------------------------------------- decisions

sScreenMode DecideScreenMode(const sScreenInputs& in) {
  sScreenMode m;
  m.vsync = in.vsync;
  if (in.direct3D != 0) {
    m.windowed = in.windowMode != 0;
    if (m.vsync >= 2) m.vsync = 1;
  } else if (in.windowMode != 0) {
    m.windowed = 1;
    m.vsync = 0;
  } else {
    m.windowed = 0;
    if (m.vsync >= 2) m.vsync = in.osAtLeast60 ? 0 : 1;
  }
  int d = in.bpp;
  if (d == 0) {
    if (m.windowed) {
      d = in.desktopBpp;
    } else if (in.direct3D != 0) {
      d = in.depthD3D == 1 ? 16 : 32;
    } else {
      switch (in.depthDD) {
        case 1: d = 16; break;
        case 2: d = in.fullColour ? 32 : 8; break;
        default: d = 32; break;
      }
    }
  }
  m.bpp = d;
  bool ok = d == 16 || d == 32 || (d == 8 && in.direct3D == 0 && !in.fullColour);
  if (m.windowed && (d != in.desktopBpp || d == 8)) ok = false;
  m.accepted = ok;
  if (!ok) m.message = m.windowed && (d == 16 || d == 32) ? 1 : 2;
  m.thickFrame = ok && in.direct3D != 0 && in.windowMode == 2;
  return m;
}

std::string ResolveStartFile(const std::string& freeStage) {
  std::string latest;
  if (FindLatestNumberedFileString(latest, freeStage, ExtTable[EXT_STAGE])) return latest;
  return freeStage;
}

std::string StartFileFromCommandLine(const std::string& commandLine) {
  std::string s = commandLine;
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  if (s.size() > platform::kMaxPath) return std::string();
  return s;
}

// ---------------------------------------------------------------- start-up

bool InitApp(const char* commandLine, int showState) {
  // 1. The clock is always millisecond-exact here.
  SeedRandom(GetTickCount32());
  // 2.
  dwDataVersion = 791;
  bStripCR = 1;
  bNewerFile = 0;
  cStartupState& startup = SceneDirector.m_Startup;
  const sStartupHooks hooks = startup.Hooks();
  // 3.
  if (hooks.BuildParamTable) hooks.BuildParamTable();
  // 4.
  if (!CreateDefaultData()) {
    WriteLogBox("%s", kDataFolderFailed);
    return false;
  }
  // 5.
  for (const char* folder : kFolders) CreateFolder(folder);
  // Saves killed before their rename leave temporary files behind.
  for (const char* folder : kFolders) platform::RemoveStaleSaveTemps(folder);
  // 6.
  if (!Database.Load()) {
    WriteLogBox("%s", kDbFailed);
    return false;
  }
  FillStartupReadContext();
  // 7.
  if (hooks.BuildRuntimeTables) hooks.BuildRuntimeTables();
  // 8.
  const std::string systemPath = PathTable[PATH_SYSTEM];
  ClearLastReadFailure();
  if (!SystemData.Load(systemPath)) {
    const cReadFailure& failure = LastReadFailure();
    WriteLogBoxDetail(failure.Failed() ? failure.Text() : std::string(), kLoadFailed, systemPath.c_str());
    return false;
  }
  FillStartupReadContext();
  startup.m_StandInTitle = SystemData.m_Title;
  // 9.
  LoadSystemIniDefaults(IniSettings, SystemData.m_IniKeys);
  if (!LoadSystemIni("System.ini", IniSettings, SystemData.m_IniKeys)) {
    WriteLogBox("%s", kIniFailed);
    LoadSystemIniDefaults(IniSettings, SystemData.m_IniKeys);
  }
  // 10.
  RegisterAppDialogTemplates();
  if (IniSettings.Direct3D >= 2) {
    BootData.Load(kBootDataPath);  // a missing file keeps the defaults
    if (!BootData.m_bDoNotAsk) {
      auto* dlg = new (std::nothrow) cBootDlg(kBootTemplate, &MainWnd, 1, &WindowUserData, &BootData);
      if (!dlg) {
        OutOfMemoryExit();
        return false;
      }
      const intptr_t started = dlg->DoModal(0);
      delete dlg;
      if (started != 1) return false;
    }
    IniSettings.Direct3D = BootData.m_nDrawMode == 1 ? 1 : 0;
  }
  // 11.
  if (commandLine && *commandLine) {
    const std::string file = StartFileFromCommandLine(commandLine);
    if (!file.empty()) IniSettings.FreeStage = file;
  }
  // 12.
  SceneDirector.m_nFrameRate = 60;
  SceneDirector.m_nFadeSpeed = 10;
  // 13.
  for (cInput& input : PlayerInput) input.SetRepeat(18, 6);
  // 14 - 16.
  sScreenInputs in;
  in.direct3D = IniSettings.Direct3D;
  in.windowMode = IniSettings.WindowMode;
  in.bpp = IniSettings.Bpp;
  in.vsync = IniSettings.VSync;
  in.desktopBpp = 32;
  in.depthD3D = SystemData.m_DepthFullColour;
  in.depthDD = SystemData.m_DepthPalette;
  in.fullColour = SystemData.m_FullColour != 0;
  const sScreenMode mode = DecideScreenMode(in);
  startup.m_bWindowed.store(mode.windowed);
  IniSettings.VSync = mode.vsync;
  IniSettings.Bpp = mode.bpp;
  startup.m_nScreenBpp = mode.bpp;
  if (!mode.accepted) {
    MessageBoxSafe(mode.message == 1 ? kModeTextWindow : kModeTextGeneral, kErrorCaption, MB_OK | MB_ICONERROR);
    return false;
  }
  if (mode.thickFrame) MainWnd.AddStyle(WS_THICKFRAME);
  // 17.
  MainWnd.Init();
  hMainWnd.store(MainWnd.m_hWnd);
  SetWindowText(MainWnd.m_hWnd, SystemData.m_Title);
  // 18.
  if (startup.m_nScreenBpp == 8) IniSettings.DD_VideoStretch = 0;
  // 19.
  const int vsync = IniSettings.VSync != 0;
  bool up = DDInit(IniSettings.Direct3D, MainWnd.m_hWnd, 640, 480, startup.m_nScreenBpp, vsync,
                   startup.m_bWindowed.load(), 1, 60, vsync, SurfaceTable, BitmapTable, kSurfaceCount, 0);
  if (!up && IniSettings.Direct3D) {
    DDEnd();
    IniSettings.Direct3D = 0;
    ShowWindow(MainWnd.m_hWnd, startup.m_bWindowed.load() ? showState : SW_SHOWMAXIMIZED);
    up = DDInit(0, MainWnd.m_hWnd, 640, 480, startup.m_nScreenBpp, vsync, startup.m_bWindowed.load(), 1, 60, vsync,
                SurfaceTable, BitmapTable, kSurfaceCount, 0);
  }
  if (!up) {
    WriteDebugLog("%s", kDDInitFailed);
    // Ending without a word would leave the user guessing.
    WriteLogBox("%s", kScreenInitFailed);
    return false;
  }
  // 20.
  if (lpDTCon) {
    lpDTCon->strTextureError = kTextureError;
    LinkTwinSurfaces(SurfaceTable);
  }
  // 21.
  if (startup.m_bWindowed.load() && WindowData.Load(kWindowDataPath)) {
    RECT r{0, 0, 0, 0};
    GetWindowRect(MainWnd.m_hWnd, r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (lpDTCon && IniSettings.WindowMode == 2 && WindowData.m_nWidth > 0 && WindowData.m_nHeight > 0) {
      w = WindowData.m_nWidth;
      h = WindowData.m_nHeight;
    }
    SetWindowPos(MainWnd.m_hWnd, WindowData.m_nX, WindowData.m_nY, w, h);
    if (WindowData.m_bMaximised) showState = SW_SHOWMAXIMIZED;
  }
  // 22.
  ShowWindow(MainWnd.m_hWnd, (lpDTCon || startup.m_bWindowed.load()) ? showState : SW_SHOWMAXIMIZED);
  // 23.
  WriteDisplayReport(1);
  WriteDebugLog("%s", kDDInitOk);
  // 24.
  if (lpDTCon || (lpDDCon && lpDDPalette)) {
    const std::string& paletteFile = BitmapTable[kSurfPalette].strFile;
    if (!DDLoadPaletteFromFile(PalTable, paletteFile, startup.m_bWindowed.load())) {
      WriteDebugLog("%s", kPaletteFailed);
      return false;
    }
    std::memcpy(PalWork, PalTable, sizeof PalTable);
    const bool fullColour = SystemData.m_FullColour != 0;
    if (!fullColour || startup.m_nScreenBpp == 16) {
      if (!DDSetTransmit(paletteFile)) {
        WriteDebugLog("%s", kTransmitFailed);
        return false;
      }
      if (fullColour) {
        DDRGBTRIPLE key;
        key.rgbtRed = SystemData.m_ColourKey[0];
        key.rgbtGreen = SystemData.m_ColourKey[1];
        key.rgbtBlue = SystemData.m_ColourKey[2];
        if (lpDTCon) lpDTCon->rgbTransmit = key;
        if (lpDDCon) lpDDCon->rgbTransmit = key;
      }
    } else {
      DDSetTransmit(SystemData.m_ColourKey[0], SystemData.m_ColourKey[1], SystemData.m_ColourKey[2]);
    }
  }
  // 25.
  if (!lpDTCon) {
    const int refresh = DDSettings.nRefreshRate > 0 ? DDSettings.nRefreshRate : 60;
    startup.m_bPresentByBlit.store(startup.m_bWindowed.load() || IniSettings.VSync == 0 ||
                                   refresh < SceneDirector.m_nFrameRate);
  }
  // 26.
  const int debugPicture[] = {kSurfDebug};
  if (!DDLoadBitmaps(SurfaceTable, debugPicture, 1)) return false;
  // 27.
  for (FONTDATA& f : FontTable) {
    std::strncpy(f.szFace, GetFontFace(SystemData.m_FontFace), sizeof f.szFace - 1);
    f.szFace[sizeof f.szFace - 1] = 0;
    if (f.nCacheMode == 2) f.nCacheMode = lpDTCon ? IniSettings.D3D_FontCache : IniSettings.DD_FontCache;
  }
  if (!CreateFonts(Fonts, FontTable, kFontCount)) {
    WriteLogBox("%s", kFontFailed);
    return false;
  }
  Fonts[1].m_bIcons = SystemData.m_IconLetters;
  Fonts[1].m_bCenterGlyph = SystemData.m_CenterGlyph;
  if (!CreateDigitSurfaces(DigitSD, DigitTable, kFontCount, Fonts, FontTable)) {
    WriteLogBox("%s", kFontFailed);
    return false;
  }
  // 28.
  for (cInput& input : PlayerInput) input.InitButtonMasks();
  // 29.
  if (!LoadKeyConfig(PathTable[PATH_KEY_CONFIG], KeyConfig)) SetDefaultKeyConfig(KeyConfig);
  // 30.
  OptionData.Load(PathTable[PATH_OPTION]);
  // 31.
  if (startup.m_nScreenBpp == 8 && hooks.LoadHbtPalette && !hooks.LoadHbtPalette(OptionData.m_Palette)) return false;
  // 32.
  if (OptionData.m_Music) InitBgmManager();
  // 33.
  const size_t dbSounds = Database.m_Sounds.size();
  const size_t slots = dbSounds + 16;
  SoundEntries.assign(slots, DSDATA());
  SoundDefs.assign(slots, DSSOUNDDEF());
  for (size_t i = 0; i <= 16 && i < slots; ++i) {
    if (i >= SystemData.m_SystemSounds.size()) {
      WriteLog("err V[%d] ( %d , %d )", static_cast<int>(i), static_cast<int>(SystemData.m_SystemSounds.size()), 4);
      RequestMainWindowClose();
      SoundDefs[i].path = SystemData.m_SystemSounds.empty() ? std::string() : SystemData.m_SystemSounds[0];
    } else {
      SoundDefs[i].path = SystemData.m_SystemSounds[i];
    }
  }
  for (size_t n = 1; n < dbSounds; ++n) SoundDefs[16 + n].path = Database.m_Sounds[n].m_File;
  for (DSSOUNDDEF& d : SoundDefs) {
    d.count = 1;
    d.volume = 0;
    d.flag = 1;
  }
  // 34. Without an audio device the program runs silently (one log line).
  if (!DS_Init(MainWnd.m_hWnd, 22050, 8, 1)) {
    WriteDebugLog("%s", kDSInitFailed);
    return false;
  }
  // 35.
  const int volumeIndex = std::clamp<int>(OptionData.m_SoundVolume, 0, 10);
  DS_LoadSounds(SoundEntries, SoundDefs, kEffectVolume[volumeIndex]);
  // 36.
  if (!WorldMap.Load(PathTable[PATH_WORLD_MAP])) {
    WriteLogBox(kLoadFailed2, PathTable[PATH_WORLD_MAP]);
    return false;
  }
  if (!CommonPalette.Load(PathTable[PATH_COMMON_PALETTE])) {
    WriteLogBox(kLoadFailed2, PathTable[PATH_COMMON_PALETTE]);
    return false;
  }
  FillStartupReadContext();
  // 37.
  if (!IniSettings.FreeStage.empty()) {
    IniSettings.FreeStage = ResolveStartFile(IniSettings.FreeStage);
    if (!IsRegularFile(IniSettings.FreeStage)) {
      WriteLog(kStartFileMissing, IniSettings.FreeStage.c_str());
      IniSettings.FreeStage.clear();
    } else {
      startup.m_bStartFilePlay.store(1);
      if (!hooks.StartFreeStage || !hooks.StartFreeStage(IniSettings.FreeStage, 1)) return false;
      SaveData.m_AppValueC = 0;
      SceneDirector.m_nGameType = 2;
      SceneDirector.m_bRankings = 1;
      SceneDirector.m_nTitleItem = 3;
      SceneDirector.m_nMode = kModePlay;
      SceneDirector.m_nPrevMode = 0;
    }
  }
  return true;
}

void ExitApp() {
  if (lpDTCon || lpDDCon) {
    if (Fonts[0].m_lpFastFont_FullAdd) WriteLog("Font10 : %d", Fonts[0].m_lpFastFont_FullAdd->m_nUsed);
    if (Fonts[1].m_lpFastFont_FullAdd) WriteLog("Font16 : %d", Fonts[1].m_lpFastFont_FullAdd->m_nUsed);
  }
  for (DSDATA& e : SoundEntries) DS_ReleaseSound(e);
  DS_End();
  BgmManager.Release();
  SceneDirector.DeleteAllScenes();
  for (Font& f : Fonts) f.Destroy();
  for (DDSURFACEDATA& sd : DigitSD) DDReleaseSurface(&sd);
  DDEnd();
  cHook::UnhookAll();
}

// ---------------------------------------------------------------- threads

int GameLoop() {
  for (;;) {
    MSG msg;
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        WriteDebugLog("GameLoop WM_QUIT!");
        return 1;
      }
      continue;  // the start probe and any other message: dropped
    }
    if (!bAppActive.load()) {
      ThreadSleep(1);
      continue;
    }
    if (!SceneDirector.Frame()) {
      PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
      return 1;
    }
  }
}

namespace {
// A failed start-up says why on the terminal too: the box may never be seen.
void ReportFailedStartup() {
  std::string why = Cp932ToUtf8(LastBoxText());
  for (char& c : why)
    if (c == '\n' || c == '\r') c = ' ';
  WriteLog("%s", "Start-up : failed");
  std::fprintf(stderr, "brindle: start-up failed: %s (see Report_Game.txt)\n", why.c_str());
}
}  // namespace

int WinMain(const sLaunch& launch) {
  // Player 1's input record, copied from a freshly initialised one.
  if (PlayerInput.empty()) PlayerInput.assign(1, cInput());
  // 1.
  SetDebugLog(0, "DA_Vaza.txt");
  // 2. Without a log nothing could be told later: say so and stop.
  std::string logPath = "Report_Game.txt";
  MakeAbsolutePath(logPath);
  std::string nativeLog;
  if (!ToNativePath(logPath, nativeLog, true) || !InitLog(nativeLog)) {
    std::fprintf(stderr, "brindle: cannot create the log %s in %s\n", "Report_Game.txt", GetProjectRoot().c_str());
    return 1;
  }
  // 3.
  WriteLog("App : ver %s", "791");
  WriteSystemReport();
  // 4.
  bStartedByEditor.store(launch.showState == 5 ? 1 : 0);
  // 6. The window system (stands in for the class registration); first, so
  // that the question of step 5 can be shown.
  if (!InitWindowSystem()) {
    // Nothing can be shown: say why on the terminal and in the log.
    const std::string why = GetWindowError();
    WriteLog("Window : %s", why.c_str());
    std::fprintf(stderr, "brindle: cannot open a window: %s\n", why.c_str());
    return 1;
  }
  // Where the desktop cannot show a system box, ours is drawn instead.
  InstallDialogMessageBox();
  // The fonts of InitApp need the font configuration; reading it takes about
  // as long as opening the window, so it is read meanwhile. (Not before the
  // window system starts: its input method reads a file a character at a
  // time, which costs more once a second thread exists.)
  StartFontConfigLoad();
  // 5.
  if (!AcquireInstanceGuard()) {
    ShutdownWindowSystem();
    return 0;
  }
  DDSetPresentSink([](const uint32_t* argb, int width, int height) {
    if (width == kFrameWidth && height == kFrameHeight) MainFrameMailbox().Post(argb, width * 4);
  });
  DDSetFramePacer([](int rate, int show, DDSURFACEDATA* font) { return PaceFrame(rate, show != 0, font); });
  DDHOSTHOOKS host;
  host.ShowWindow = [](int cmd) {
    if (HWND h = hMainWnd.load()) platform::ShowWindow(h, cmd == 7 ? SW_MINIMIZE : SW_SHOWNORMAL);
  };
  host.SetFullScreenStyle = [](bool on) {
    if (HWND h = hMainWnd.load()) SetFullScreen(h, on);
  };
  DDSetHostHooks(host);
  // 7, 8.
  const uint32_t style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  MainWnd.Setup(640, 480, 0, 0, 0, 0, style, 0, 0, 0, 0, 0);
  const int outerW = cWnd::Width(MainWnd.m_rcWindow), outerH = cWnd::Height(MainWnd.m_rcWindow);
  HWND hwnd = CreateMainWindow(StaticWndProc, "", style, 100, 100, outerW > 0 ? outerW : 646,
                               outerH > 0 ? outerH : 505);
  if (!hwnd) {
    ErrorBoxText(kNoWindow);
    ReportFailedStartup();
    ShutdownWindowSystem();
    ReleaseInstanceGuard();
    return 1;
  }
  MainWnd.m_hWnd = hwnd;
  hMainWnd.store(hwnd);
  SetCloseRequestHandler([] { PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0); });
  InstallEngineServices();
  // 9.
  MainWnd.CenterOnDesktop();
  if (bStartedByEditor.load()) NotifyEditorStarted();
  // 10.
  const std::string& cmd = launch.stageFile;
  ClearLastBoxText();
  if (!InitApp(cmd.empty() ? nullptr : cmd.c_str(), launch.showState)) {
    // A start-up that ended on an error box failed; one the user ended
    // (the launch dialog's quit) did not.
    const bool failed = !LastBoxText().empty();
    if (failed) ReportFailedStartup();
    ExitApp();
    if (bStartedByEditor.load()) NotifyEditor(0);
    SetCloseRequestHandler({});
    RemoveEngineServices();
    ShutdownWindowSystem();
    ReleaseInstanceGuard();
    return failed ? 1 : 0;
  }
  WriteLog("%s", "Start-up : done");
  // 11.
  bGameRunning.store(1);
  if (!thGame.Start(GameThread, nullptr)) {
    // The probe could never be taken: end in order instead of waiting.
    WriteLog("%s", "thGame : cannot start");
    ExitApp();
    SetCloseRequestHandler({});
    RemoveEngineServices();
    ShutdownWindowSystem();
    ReleaseInstanceGuard();
    return 0;
  }
  // 12. The game thread's queue exists once it has run; ended threads refuse too.
  while (!PostThreadMessage(thGame.GetThreadId(), 0x8000, 0, 0) && thGame.HasThread()) ThreadSleep(0);
  // 13.
  int exitCode = 0;
  for (;;) {
    MSG msg;
    if (PeekWindowMessage(&msg)) {
      if (msg.message == WM_QUIT) {
        exitCode = static_cast<int>(msg.wParam);
        break;
      }
      DispatchMessage(&msg);
    } else {
      // Inactive: sleep until something happens; active: a short wait that
      // still wakes for a new frame at once.
      WaitWindowMessage(bAppActive.load() ? 1 : 100);
    }
  }
  // 14.
  WriteLog("%s", "Exit : done");
  ExitApp();
  SetCloseRequestHandler({});
  RemoveEngineServices();
  DDSetPresentSink({});
  ShutdownWindowSystem();
  ReleaseInstanceGuard();
  return exitCode;
}
