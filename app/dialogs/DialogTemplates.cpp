#include "app/dialogs/DialogTemplates.h"

#include "base/DlgTemplate.h"

namespace {

sDlgItemTemplate Item(int id, eDlgItemKind kind, const char* text, int x, int y, int cx, int cy, bool tab = false) {
  sDlgItemTemplate t;
  t.id = id;
  t.kind = kind;
  t.text = text;
  t.x = x;
  t.y = y;
  t.cx = cx;
  t.cy = cy;
  t.tabStop = tab;
  return t;
}

}  // namespace

void RegisterAppDialogTemplates() {
  sDlgTemplate name;
  name.cx = 110;
  name.cy = 65;
  name.caption = false;
  name.items = {
      Item(1075, eDlgItemKind::Picture, "", 7, 7, 20, 21),
      Item(1003, eDlgItemKind::Edit, "", 75, 12, 24, 14, true),
      Item(1000, eDlgItemKind::DefButton, "OK", 30, 35, 50, 18, true),
      // "登録名(3文字まで)"
      Item(1007, eDlgItemKind::Static, "\x93\x6f\x98\x5e\x96\xbc(3\x95\xb6\x8e\x9a\x82\xdc\x82\xc5)", 15, 15, 56, 16),
  };
  RegisterDialogTemplate(kNameEntryTemplate, name);

  sDlgTemplate boot;
  boot.cx = 222;
  boot.cy = 171;
  boot.items = {
      Item(1075, eDlgItemKind::Picture, "", 7, 7, 20, 21),
      // "ゲーム開始", "ゲーム中止"
      Item(1000, eDlgItemKind::DefButton, "\x83\x51\x81\x5b\x83\x80\x8a\x4a\x8e\x6e", 80, 105, 50, 25, true),
      Item(1001, eDlgItemKind::Button, "\x83\x51\x81\x5b\x83\x80\x92\x86\x8e\x7e", 80, 140, 50, 18, true),
      // "描画モード"
      Item(1006, eDlgItemKind::GroupBox, "\x95\x60\x89\xe6\x83\x82\x81\x5b\x83\x68", 15, 15, 190, 55),
      Item(1002, eDlgItemKind::Radio, "Direct3D", 20, 30, 42, 10, true),
      Item(1003, eDlgItemKind::Radio, "DirectDraw", 80, 30, 45, 10, true),
      // "詳細な設定は環境設定ファイル「System.ini」で行って下さい。"
      Item(1005, eDlgItemKind::Static,
           "\x8f\xda\x8d\xd7\x82\xc8\x90\xdd\x92\xe8\x82\xcd\x8a\xc2\x8b\xab\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43"
           "\x83\x8b\x81\x75System.ini\x81\x76\x82\xc5\x8d\x73\x82\xc1\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x42",
           20, 50, 177, 12),
      // "次回からこのダイアログを表示しない"
      Item(1004, eDlgItemKind::CheckBox,
           "\x8e\x9f\x89\xf1\x82\xa9\x82\xe7\x82\xb1\x82\xcc\x83\x5f\x83\x43\x83\x41\x83\x8d\x83\x4f\x82\xf0\x95\x5c"
           "\x8e\xa6\x82\xb5\x82\xc8\x82\xa2",
           50, 85, 120, 10, true),
  };
  RegisterDialogTemplate(kBootTemplate, boot);
}
