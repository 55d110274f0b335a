// ctest-label: app
// The launch dialog and the name-entry dialog of the player, run modally on
// the test thread with scripted input: their bindings, the file the launch
// dialog writes, the three-character limit and the English texts.
#include <gtest/gtest.h>

#include "app/dialogs/BootData.h"
#include "app/dialogs/BootDlg.h"
#include "app/dialogs/DialogTemplates.h"
#include "app/dialogs/NameEntryDlg.h"
#include "app/frame/IniSettings.h"
#include "base/DlgTemplate.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "tests/base/dialog_test_support.h"
#include "tests/support/TestSupport.h"

namespace {

using dlgtest::DialogHarness;
using namespace platform;
using namespace dlgmsg;

class AppDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CreateFolder("user_data");
  }
  void TearDown() override {
    IniSettings.English = 0;
  }
  // The harness registers its own look-alike templates; ours replace them.
  DialogHarness& Harness() {
    RegisterAppDialogTemplates();
    return h_;
  }
  testsupport::ProjectFolder dir_;
  DialogHarness h_;
};

TEST_F(AppDialogs, TemplatesCarryTheirTexts) {
  RegisterAppDialogTemplates();
  const sDlgTemplate* boot = FindDialogTemplate(::kBootTemplate);
  ASSERT_NE(boot, nullptr);
  auto text = [](const sDlgTemplate* t, int id) {
    for (const sDlgItemTemplate& i : t->items)
      if (i.id == id) return platform::Cp932ToUtf8(i.text);
    return std::string("?");
  };
  EXPECT_EQ(text(boot, 1000), "ゲーム開始");
  EXPECT_EQ(text(boot, 1001), "ゲーム中止");
  EXPECT_EQ(text(boot, 1006), "描画モード");
  EXPECT_EQ(text(boot, 1005), "詳細な設定は環境設定ファイル「System.ini」で行って下さい。");
  EXPECT_EQ(text(boot, 1004), "次回からこのダイアログを表示しない");
  const sDlgTemplate* name = FindDialogTemplate(kNameEntryTemplate);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(text(name, 1007), "登録名(3文字まで)");
  EXPECT_EQ(text(name, 1000), "OK");
  EXPECT_FALSE(name->caption);
  // The name-entry box is 110 × 65 dialog units.
  EXPECT_EQ(name->cx, 110);
  EXPECT_EQ(name->cy, 65);
}

TEST_F(AppDialogs, LaunchDefaultsThenDirectDrawAndDoNotAskAreSaved) {
  DialogHarness& h = Harness();
  cBootData data;
  ::cBootDlg dlg(::kBootTemplate, &h.owner, 1, nullptr, &data);
  int d3dChecked = -1, askChecked = -1;
  const intptr_t r = h.Run(dlg, [&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    d3dChecked = w->Item(1002)->GetCheck();
    askChecked = w->Item(1004)->GetCheck();
    h.Click(d, 1003);
    h.Click(d, 1004);
    h.Click(d, 1000);
  });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(d3dChecked, 1);
  EXPECT_EQ(askChecked, 0);
  cBootData stored;
  ASSERT_TRUE(stored.Load(kBootDataPath));
  EXPECT_EQ(stored.m_nDrawMode, 0);
  EXPECT_EQ(stored.m_bDoNotAsk, 1);
}

TEST_F(AppDialogs, LaunchCancelSavesNothing) {
  DialogHarness& h = Harness();
  cBootData data;
  ::cBootDlg dlg(::kBootTemplate, &h.owner, 1, nullptr, &data);
  const intptr_t r = h.Run(dlg, [&](HWND d) {
    h.Click(d, 1003);
    h.Click(d, 1001);
  });
  EXPECT_EQ(r, 0);
  EXPECT_FALSE(platform::IsRegularFile(kBootDataPath));
}

TEST_F(AppDialogs, LaunchInEnglish) {
  IniSettings.English = 1;
  DialogHarness& h = Harness();
  cBootData data;
  ::cBootDlg dlg(::kBootTemplate, &h.owner, 1, nullptr, &data);
  std::string start, cancel, group, note, ask;
  h.Run(dlg, [&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    start = w->Item(1000)->Text();
    cancel = w->Item(1001)->Text();
    group = w->Item(1006)->Text();
    note = w->Item(1005)->Text();
    ask = w->Item(1004)->Text();
    h.Close();
  });
  EXPECT_EQ(start, "Start");
  EXPECT_EQ(cancel, "Cancel");
  EXPECT_EQ(group, "Drawing mode");
  EXPECT_EQ(note, "Configure the detail settings at \"System.ini\".");
  EXPECT_EQ(ask, "Do not ask this dialog again");
}

TEST_F(AppDialogs, FindCtrlFindsTheCheckBinding) {
  cBootData data;
  ::cBootDlg dlg(::kBootTemplate, nullptr, 1, nullptr, &data);
  ASSERT_NE(dlg.FindCtrl(dlg.m_CheckBinds, 1004), nullptr);
  EXPECT_EQ(dlg.FindCtrl(dlg.m_CheckBinds, 1004)->m_lpValue, &data.m_bDoNotAsk);
  EXPECT_EQ(dlg.FindCtrl(dlg.m_CheckBinds, 1234), nullptr);
}

TEST_F(AppDialogs, NameEntryStartsSelectedAndTakesThreeCharacters) {
  DialogHarness& h = Harness();
  std::string name = "aaa";
  cNameEntryDlg dlg(kNameEntryTemplate, &h.owner, 1, nullptr, &name);
  int selStart = -1, selEnd = -1;
  std::string shown;
  const intptr_t r = h.Run(dlg, [&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    shown = w->Item(1003)->Text();
    w->Item(1003)->GetSel(selStart, selEnd);
    h.Type("\xE3\x82\xAB");  // カ replaces the selected name
    h.Type("bc");
    h.Type("d");  // a fourth character is refused
    h.Key(VK_RETURN);
  });
  EXPECT_EQ(shown, "aaa");
  EXPECT_EQ(selStart, 0);
  EXPECT_EQ(selEnd, 3);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(name, "\x83\x4a" "bc");
}

TEST_F(AppDialogs, NameEntryClosedKeepsTheName) {
  DialogHarness& h = Harness();
  std::string name = "xyz";
  cNameEntryDlg dlg(kNameEntryTemplate, &h.owner, 1, nullptr, &name);
  const intptr_t r = h.Run(dlg, [&](HWND) {
    h.Type("q");
    h.Close();
  });
  EXPECT_EQ(r, 0);
  EXPECT_EQ(name, "xyz");
}

TEST_F(AppDialogs, NameEntryLabelInEnglishAndWithoutATarget) {
  IniSettings.English = 1;
  DialogHarness& h = Harness();
  cNameEntryDlg dlg(kNameEntryTemplate, &h.owner, 1, nullptr, nullptr);
  std::string label, ok;
  const intptr_t r = h.Run(dlg, [&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    label = w->Item(1007)->Text();
    ok = w->Item(1000)->Text();
    h.Key(VK_RETURN);
  });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(label, "     Name");
  EXPECT_EQ(ok, "OK");
}

}  // namespace
