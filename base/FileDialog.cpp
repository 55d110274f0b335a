#include "base/FileDialog.h"

#include <algorithm>
#include <cstring>

#include "base/Dlg.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

using namespace platform;
using namespace dlgmsg;

namespace {

bool g_english = false;

constexpr int kOpenTemplate = 0x7F00;
constexpr int kSaveTemplate = 0x7F01;
constexpr int kOk = 1000, kCancel = 1001;

struct Labels {
  const char* open;
  const char* save;
  const char* cancel;
  const char* name;
  const char* yes;
  const char* no;
  const char* existsBefore;
  const char* existsAfter;
};

const Labels& Texts() {
  static const Labels ja{
      "\x8a\x4a\x82\xad",                                      // 開く
      "\x95\xdb\x91\xb6",                                      // 保存
      "\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b",              // キャンセル
      "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc\x3a",          // ファイル名:
      "\x82\xcd\x82\xa2",                                      // はい
      "\x82\xa2\x82\xa2\x82\xa6",                              // いいえ
      "",
      // " は既に存在します。\n上書きしますか？"
      " \x82\xcd\x8a\xf9\x82\xc9\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb7\x81\x42\n"
      "\x8f\xe3\x8f\x91\x82\xab\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48",
  };
  static const Labels en{"Open", "Save", "Cancel", "File name:", "Yes", "No", "",
                         " already exists.\nDo you want to replace it?"};
  return g_english ? en : ja;
}

int Cp932CharLen(const std::string& s, size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool SameChar(const std::string& a, size_t i, int na, const std::string& b, size_t j, int nb) {
  if (na != nb) return false;
  if (na == 1) return Fold(static_cast<unsigned char>(a[i])) == Fold(static_cast<unsigned char>(b[j]));
  return a[i] == b[j] && a[i + 1] == b[j + 1];
}

bool Match(const std::string& p, size_t pi, const std::string& n, size_t ni) {
  while (pi < p.size()) {
    if (p[pi] == '*') {
      while (pi < p.size() && p[pi] == '*') ++pi;
      if (pi == p.size()) return true;
      for (size_t k = ni; k <= n.size(); k += (k < n.size() ? static_cast<size_t>(Cp932CharLen(n, k)) : 1))
        if (Match(p, pi, n, k)) return true;
      return false;
    }
    if (ni >= n.size()) return false;
    const int pl = Cp932CharLen(p, pi), nl = Cp932CharLen(n, ni);
    if (!(p[pi] == '?' && pl == 1) && !SameChar(p, pi, pl, n, ni, nl)) return false;
    pi += static_cast<size_t>(pl);
    ni += static_cast<size_t>(nl);
  }
  return ni == n.size();
}

// The pattern list of the first filter entry ("*.*" without one).
std::string FirstPattern(const char* filter) {
  if (!filter || !*filter) return "*.*";
  const char* pattern = filter + std::strlen(filter) + 1;
  return *pattern ? std::string(pattern) : std::string("*.*");
}

std::string FolderWithoutSlash(std::string dir) {
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) {
    // A trailing 0x5C may be the second byte of a double-byte character.
    size_t i = 0, last = 0;
    while (i < dir.size()) {
      last = i;
      i += static_cast<size_t>(Cp932CharLen(dir, i));
    }
    if (last != dir.size() - 1) break;
    dir.pop_back();
  }
  return dir;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "\\" + name;
}

std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& patterns) {
  std::vector<std::string> out;
  for (const std::string& name : ListFolder(folder.empty() ? std::string(".") : folder))
    // A save's temporary file matches "*.rpl4_*" but is no file to choose.
    if (MatchFilePattern(patterns, name) && !platform::IsSaveTempName(name) && IsRegularFile(JoinPath(folder, name)))
      out.push_back(name);
  return out;
}

bool ValidFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (size_t i = 0; i < name.size(); i += static_cast<size_t>(Cp932CharLen(name, i))) {
    if (Cp932CharLen(name, i) == 2) continue;
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
  }
  return true;
}

sDlgTemplate BuildTemplate(bool save) {
  const Labels& t = Texts();
  sDlgTemplate tpl;
  tpl.cx = 300;
  tpl.cy = save ? 206 : 190;
  auto add = [&](int id, eDlgItemKind kind, const std::string& text, int x, int y, int cx, int cy, bool tab,
                 bool hidden = false) {
    sDlgItemTemplate item;
    item.id = id;
    item.kind = kind;
    item.text = text;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.tabStop = tab;
    item.hidden = hidden;
    tpl.items.push_back(item);
  };
  add(kFileDlgFolder, eDlgItemKind::Static, "", 7, 6, 286, 10, false);
  add(kFileDlgList, eDlgItemKind::ListBox, "", 7, 18, 286, 136, true);
  if (save) {
    add(kFileDlgNameLabel, eDlgItemKind::Static, t.name, 7, 164, 50, 10, false);
    add(kFileDlgName, eDlgItemKind::Edit, "", 60, 161, 233, 14, true);
  }
  const int by = save ? 184 : 166;
  add(kOk, eDlgItemKind::DefButton, save ? t.save : t.open, 174, by, 56, 16, true);
  add(kCancel, eDlgItemKind::Button, t.cancel, 237, by, 56, 16, true);
  add(kFileDlgQuestion, eDlgItemKind::Static, "", 20, 60, 266, 40, false, true);
  add(kFileDlgYes, eDlgItemKind::Button, t.yes, 86, 110, 56, 16, true, true);
  add(kFileDlgNo, eDlgItemKind::Button, t.no, 158, 110, 56, 16, true, true);
  return tpl;
}

class cFileChooser : public cDlg {
 public:
  cFileChooser(cWnd* owner, bool save, std::string folder, std::string title, std::string patterns,
               std::string defExt, std::string proposal)
      : m_bSave(save), m_strFolder(std::move(folder)), m_strTitle(std::move(title)),
        m_strPatterns(std::move(patterns)), m_strDefExt(std::move(defExt)), m_strName(std::move(proposal)) {
    RegisterDialogTemplate(save ? kSaveTemplate : kOpenTemplate, BuildTemplate(save));
    Create(save ? kSaveTemplate : kOpenTemplate, owner, 1, nullptr);
    Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  }

  std::string m_strChosen;  // the chosen name

  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE && m_bAsking) {  // Esc on the question means No
      Ask(false);
      return 1;
    }
    return DlgWndProc(hwnd, message, wParam, lParam);
  }

  void InitDialog(WPARAM wParam, LPARAM lParam) override {
    cDlg::InitDialog(wParam, lParam);
    cDlgWindow* w = Window();
    w->SetTitle(m_strTitle);
    w->Item(kFileDlgFolder)->SetText(m_strFolder.empty() ? std::string(".") : m_strFolder + "\\");
    m_Files = MatchingFiles(m_strFolder, m_strPatterns);
    cDlgItem* list = w->Item(kFileDlgList);
    list->SetEntries(m_Files);
    if (m_bSave) {
      cDlgItem* edit = w->Item(kFileDlgName);
      edit->SetText(m_strName);
      auto it = std::find(m_Files.begin(), m_Files.end(), m_strName);
      if (it != m_Files.end()) list->SetCurSel(static_cast<int>(it - m_Files.begin()));
      w->SetFocus(edit);
      edit->SetSel(0, -1);
    } else {
      if (!m_Files.empty()) list->SetCurSel(0);
      w->SetFocus(list);
    }
    m_bInitialized = 1;
  }

  void OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (!cDlg::OnCommand(wParam)) return;
    cDlg::OnControlCommand(wParam, lParam);
    cDlgWindow* w = Window();
    if (!w) return;
    const int id = LoWord(wParam), code = HiWord(wParam);
    cDlgItem* list = w->Item(kFileDlgList);
    switch (id) {
      case kFileDlgList:
        if (code == 1 && m_bSave && list->GetCurSel() >= 0) {  // LBN_SELCHANGE: the name follows the list
          cDlgItem* edit = w->Item(kFileDlgName);
          edit->SetText(m_Files[static_cast<size_t>(list->GetCurSel())]);
          edit->SetSel(0, -1);
        } else if (code == LBN_DBLCLK) {
          Choose();
        }
        break;
      case kOk:
        if (code == BN_CLICKED) Choose();
        break;
      case kCancel:
        if (code == BN_CLICKED) End(0);
        break;
      case kFileDlgYes:
        if (code == BN_CLICKED) End(1);
        break;
      case kFileDlgNo:
        if (code == BN_CLICKED) Ask(false);
        break;
      default:
        break;
    }
  }

 private:
  void Choose() {
    cDlgWindow* w = Window();
    if (!m_bSave) {
      const int sel = w->Item(kFileDlgList)->GetCurSel();
      if (sel < 0 || sel >= static_cast<int>(m_Files.size())) return;
      m_strChosen = m_Files[static_cast<size_t>(sel)];
      End(1);
      return;
    }
    std::string name = w->Item(kFileDlgName)->Text();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (!ValidFileName(name)) return;
    std::string ext;
    if (!GetExtension(ext, name) && !m_strDefExt.empty() && m_strDefExt.find_first_of("*?;") == std::string::npos)
      name += "." + m_strDefExt;
    if (JoinPath(m_strFolder, name).size() > kMaxPath) return;
    m_strChosen = name;
    if (PathExists(JoinPath(m_strFolder, name))) {
      Ask(true);
      return;
    }
    End(1);
  }

  // The overwrite question takes the dialog's place until it is answered.
  void Ask(bool on) {
    cDlgWindow* w = Window();
    if (!w) return;
    m_bAsking = on;
    for (int id : {int(kFileDlgFolder), int(kFileDlgList), int(kFileDlgNameLabel), int(kFileDlgName), kOk, kCancel})
      if (cDlgItem* item = w->Item(id)) item->Show(!on);
    for (int id : {int(kFileDlgQuestion), int(kFileDlgYes), int(kFileDlgNo)}) w->Item(id)->Show(on);
    if (on) {
      const Labels& t = Texts();
      w->Item(kFileDlgQuestion)->SetText(std::string(t.existsBefore) + m_strChosen + t.existsAfter);
      w->SetFocus(w->Item(kFileDlgNo));
    } else {
      w->SetFocus(w->Item(kFileDlgName));
    }
  }

  bool m_bSave;
  std::string m_strFolder, m_strTitle, m_strPatterns, m_strDefExt, m_strName;
  std::vector<std::string> m_Files;
  bool m_bAsking = false;
};

}  // namespace

void SetFileDialogEnglish(bool english) { g_english = english; }

bool MatchFilePattern(const std::string& patterns, const std::string& name) {
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    std::string p = patterns.substr(start, end - start);
    while (!p.empty() && p.front() == ' ') p.erase(0, 1);
    while (!p.empty() && p.back() == ' ') p.pop_back();
    // "*.*" is every name, with or without a dot, as it always was.
    if (p == "*.*" || (!p.empty() && Match(p, 0, name, 0))) return true;
    start = end + 1;
  }
  return false;
}

bool OpenFileDialog(cWnd* owner, std::string& buffer, size_t bufferSize, const std::string& initialDir,
                    const std::string& title, const char* filter, const std::string& defExt, bool multiSelect,
                    std::vector<std::string>* list) {
  buffer.clear();
  const std::string folder = FolderWithoutSlash(initialDir);
  cFileChooser chooser(owner, false, folder, title, FirstPattern(filter), defExt, "");
  if (chooser.DoModal(0) != 1) return false;
  const std::string path = JoinPath(folder, chooser.m_strChosen);
  if (path.size() + 1 > bufferSize) {
    WriteLog("%s", "Dialog : the chosen path does not fit");
    return false;
  }
  buffer = path;
  if (list) list->push_back(path);
  (void)multiSelect;
  return true;
}

bool SaveFileDialog(cWnd* owner, std::string& buffer, const std::string& initialDir, const std::string& title,
                    const char* filter, const std::string& defExt, bool bKeepName) {
  if (!bKeepName) buffer.clear();
  const std::string folder = FolderWithoutSlash(initialDir);
  cFileChooser chooser(owner, true, folder, title, FirstPattern(filter), defExt, buffer);
  if (chooser.DoModal(0) != 1) return false;
  const std::string path = JoinPath(folder, chooser.m_strChosen);
  if (path.size() > kMaxPath) return false;
  buffer = path;
  return true;
}
