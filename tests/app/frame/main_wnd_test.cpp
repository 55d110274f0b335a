// ctest-label: app
// The main window's procedure on a headless window: the close protocol with
// and without the modal sub-loop running, the window placement written on
// close, the sound request's index check, and the music request table.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/dialogs/DialogTemplates.h"
#include "app/frame/App.h"
#include "base/DlgWindow.h"
#include "platform/Keyboard.h"
#include "platform/TextInput.h"
#include "app/frame/IniSettings.h"
#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/WindowData.h"
#include "data/Database.h"
#include "platform/FileSystem.h"
#include "platform/Window.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace platform;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateFolder("user_data");
    ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
    HWND h = CreateMainWindow(StaticWndProc, "", WS_POPUP | WS_CAPTION, 100, 100, 646, 505);
    ASSERT_NE(h, nullptr) << GetWindowError();
    MainWnd.m_hWnd = h;
    MainWnd.Init();
    hMainWnd = h;
  }
  void TearDown() override {
    if (HWND h = hMainWnd.load()) DestroyWindow(h);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetWindowRequestHooks({});
    ShutdownWindowSystem();
    bGameRunning = 0;
    IniSettings.WindowMode = 0;
  }
  // Dispatches what is queued for this thread; true when WM_QUIT came.
  bool Pump() {
    bool quit = false;
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) quit = true;
      else DispatchMessage(&m);
    }
    return quit;
  }
  testsupport::ProjectFolder dir_;
};

unsigned WaitForQuit(void*) {
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0)) {
  }
  return 0;
}

TEST_F(MainWindow, CloseDuringTheModalLoopOnlyEndsThatLoop) {
  bool quitFlag = false;
  sWindowRequestHooks hooks;
  hooks.SetPlaySceneQuit = [&] { quitFlag = true; };
  SetWindowRequestHooks(hooks);
  ASSERT_TRUE(thPause.Start(WaitForQuit, nullptr));
  while (!PostThreadMessage(thPause.GetThreadId(), 0x8000, 0, 0)) std::this_thread::yield();
  SendMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(quitFlag);
  thPause.Wait();  // it ends on the WM_QUIT that the close posted
  EXPECT_NE(GetMainWindow(), nullptr);
  EXPECT_NE(hMainWnd.load(), nullptr);

  // The next close (the play scene's) stops the threads and destroys the window.
  ASSERT_TRUE(thGame.Start(WaitForQuit, nullptr));
  while (!PostThreadMessage(thGame.GetThreadId(), 0x8000, 0, 0)) std::this_thread::yield();
  SendMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(thGame.HasThread());
  EXPECT_EQ(hMainWnd.load(), nullptr);
  EXPECT_EQ(MainWnd.m_hWnd, nullptr);
  EXPECT_TRUE(Pump());  // WM_DESTROY posted the quit
}

TEST_F(MainWindow, CloseInWindowModeSavesThePlacement) {
  IniSettings.WindowMode = 1;
  bGameRunning = 1;
  SetWindowPos(hMainWnd.load(), 120, 80, 646, 505);
  SendMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
  cWindowData stored;
  ASSERT_TRUE(stored.Load(kWindowDataPath));
  EXPECT_EQ(stored.m_nWidth, 646);
  EXPECT_EQ(stored.m_nHeight, 505);
  EXPECT_EQ(stored.m_bMaximised, 0);
}

TEST_F(MainWindow, CloseBeforeTheGameRunsWritesNoPlacement) {
  IniSettings.WindowMode = 1;
  bGameRunning = 0;
  SendMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsRegularFile(kWindowDataPath));
}

TEST_F(MainWindow, EscPostsClose) {
  SendMessage(hMainWnd.load(), WM_KEYDOWN, 0x1B, 0);
  MSG m;
  bool sawClose = false;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) sawClose |= m.message == WM_CLOSE;
  EXPECT_TRUE(sawClose);
}

TEST_F(MainWindow, SoundIndexOutsideTheTableIsReportedAndCloses) {
  testsupport::LogCapture log;
  SoundEntries.assign(20, DSDATA());
  SendMessage(hMainWnd.load(), kWmPlaySound, 25, 0);
  EXPECT_NE(log.Text().find("err V[25] ( 20 , 284 )"), std::string::npos) << log.Text();
  MSG m;
  bool sawClose = false;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) sawClose |= m.message == WM_CLOSE;
  EXPECT_TRUE(sawClose);
  SoundEntries.clear();
}

TEST_F(MainWindow, NameEntryRequestEditsTheTargetAndReportsDone) {
  RegisterAppDialogTemplates();
  std::string name = "aaa";
  sWindowRequestHooks hooks;
  hooks.NameEntryTarget = [&] { return &name; };
  SetWindowRequestHooks(hooks);
  SetDialogOpenedHook([](HWND) {
    PostTextCommit(hMainWnd.load(), "xy");
    PostMessage(hMainWnd.load(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessage(hMainWnd.load(), WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
  });
  bNameEntryDone = 0;
  // From a game thread, as the ranking registration sends it.
  std::thread sender([] { SendWindowRequest(kWmNameEntry, 0, 0, &bNameEntryDone); });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!bNameEntryDone.load() && std::chrono::steady_clock::now() < until) WaitMessage(10);
  sender.join();
  SetDialogOpenedHook({});
  EXPECT_EQ(bNameEntryDone.load(), 1);
  EXPECT_EQ(name, "xy");
}

TEST_F(MainWindow, ActivationFollowsTheMessage) {
  SendMessage(hMainWnd.load(), WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(bAppActive.load(), 1);
  SendMessage(hMainWnd.load(), WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(bAppActive.load(), 0);
}

// ---- the music request, decided on the data

cVector<cBgm> Tunes(int n) {
  cVector<cBgm> v;
  for (int i = 0; i < n; ++i) {
    cBgm b;
    b.m_File = i ? "bgm\\t" + std::to_string(i) + ".mid" : "";
    v.push_back(b);
  }
  return v;
}

TEST(MusicRequest, Table) {
  const cVector<int32_t> scene(std::vector<int32_t>{2, 0, 3, 1});
  const cVector<uint8_t> loops(std::vector<uint8_t>{1, 0, 0, 1});
  const cVector<cBgm> tunes = Tunes(4);
  struct Case {
    const char* name;
    WPARAM kind;
    LPARAM number;
    sMusicAction::Kind action;
    int slot;
    const char* file;
    int loop;
    bool error;
  } cases[] = {
      {"title plays its tune with its loop flag", 0, 0, sMusicAction::kPlay, 0, "bgm\\t2.mid", 1, false},
      {"a scene entry 0 stops the music", 1, 0, sMusicAction::kStop, 0, "", 0, false},
      {"options", 3, 0, sMusicAction::kPlay, 3, "bgm\\t1.mid", 1, false},
      {"stage music with the stored loop flag", 4, 2, sMusicAction::kPlay, 4, "bgm\\t2.mid", 7, false},
      {"stage music 0 stops", 4, 0, sMusicAction::kStop, 4, "", 7, false},
      {"stage music outside the list uses entry 0", 4, 9, sMusicAction::kPlay, 4, "", 7, true},
      {"another kind does nothing", 5, 1, sMusicAction::kNone, 0, "", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const sMusicAction a = DecideMusic(c.kind, c.number, scene, loops, tunes, 7);
    EXPECT_EQ(a.action, c.action);
    if (c.action != sMusicAction::kNone && !(c.kind <= 3 && c.action == sMusicAction::kStop)) {
      EXPECT_EQ(a.slot, c.slot);
      EXPECT_EQ(a.file, c.file);
      EXPECT_EQ(a.loop, c.loop);
    }
    EXPECT_EQ(a.indexError, c.error);
  }
}

TEST(MusicRequest, SceneListTooShortReportsTheIndex) {
  const cVector<int32_t> scene(std::vector<int32_t>{2});
  const cVector<uint8_t> loops(std::vector<uint8_t>{1});
  const sMusicAction a = DecideMusic(2, 0, scene, loops, Tunes(3), 0);
  EXPECT_TRUE(a.indexError);
  EXPECT_EQ(a.errIndex, 2);
  EXPECT_EQ(a.errSize, 1);
  EXPECT_EQ(a.errElement, 4);
  EXPECT_EQ(a.action, sMusicAction::kPlay);  // entry 0 of each list stands in
  EXPECT_EQ(a.file, "bgm\\t2.mid");
}

}  // namespace
