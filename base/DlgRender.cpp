#include "base/DlgRender.h"

#include <algorithm>
#include <map>

#include "base/DlgWindow.h"
#include "base/Log.h"
#include "platform/CodePage.h"
#include "platform/FontFace.h"
#include "platform/FrameMailbox.h"

using platform::kFrameHeight;
using platform::kFrameWidth;

namespace {

constexpr uint32_t kFace = 0xFFD4D0C8, kLight = 0xFFFFFFFF, kShadow = 0xFF808080, kDark = 0xFF404040,
                   kText = 0xFF000000, kGrayText = 0xFF808080, kCaption = 0xFF0A246A, kCaptionText = 0xFFFFFFFF,
                   kWindow = 0xFFFFFFFF, kSelect = 0xFF0A246A, kSelectText = 0xFFFFFFFF, kBackdrop = 0xFF203040;

// The dialog font, "ＭＳ Ｐゴシック" at 9 points: a 12-pixel cell, anti-aliased.
// Without an installed face the texts take the room of 6-pixel half-width
// and 12-pixel full-width characters and draw nothing.
class cFacePainter : public cDlgTextPainter {
 public:
  cFacePainter() {
    const std::string path =
        platform::FindFontFile("\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
                               platform::JapaneseSample());
    std::string error;
    if (!path.empty()) face_ = platform::FontFace::Open(path, kDlgTextHeight, 0, &error);
    if (!face_) WriteLog("Dialog : no font for the dialogs %s", error.c_str());
  }
  int Width(const std::string& s) override {
    int w = 0;
    ForEach(s, [&](char32_t c, int n) { w += face_ ? Glyph(c).advance : 6 * n; });
    return w;
  }
  void Draw(std::vector<uint32_t>& px, int x, int y, const std::string& s, uint32_t argb, int cl, int ct, int cr,
            int cb) override {
    if (!face_) return;
    const uint32_t sr = (argb >> 16) & 0xFF, sg = (argb >> 8) & 0xFF, sb = argb & 0xFF;
    ForEach(s, [&](char32_t c, int) {
      const platform::GlyphImage& g = Glyph(c);
      for (int gy = 0; gy < g.height; ++gy) {
        const int py = y + g.top + gy;
        if (py < ct || py >= cb) continue;
        for (int gx = 0; gx < g.width; ++gx) {
          const int pxX = x + g.left + gx;
          if (pxX < cl || pxX >= cr) continue;
          const uint32_t a = g.coverage[static_cast<size_t>(gy * g.width + gx)];
          if (!a) continue;
          uint32_t& d = px[static_cast<size_t>(py * kFrameWidth + pxX)];
          auto mix = [&](uint32_t src, int shift) {
            const uint32_t dst = (d >> shift) & 0xFF;
            return ((src * a + dst * (255 - a) + 127) / 255) << shift;
          };
          d = 0xFF000000u | mix(sr, 16) | mix(sg, 8) | mix(sb, 0);
        }
      }
      x += g.advance;
    });
  }

 private:
  template <class F>
  static void ForEach(const std::string& s, F&& f) {
    for (size_t i = 0; i < s.size();) {
      const int n = platform::IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
      char32_t c = platform::Cp932CharToUnicode(s.data() + i, n);
      f(c ? c : U'?', n);
      i += static_cast<size_t>(n);
    }
  }
  const platform::GlyphImage& Glyph(char32_t c) {
    auto it = glyphs_.find(c);
    if (it != glyphs_.end()) return it->second;
    platform::GlyphImage g;
    if (!face_->Render(c, platform::GlyphMode::AntiAliased, g)) {
      g = platform::GlyphImage{};
      face_->Render(U'?', platform::GlyphMode::AntiAliased, g);
    }
    return glyphs_.emplace(c, std::move(g)).first->second;
  }

  std::unique_ptr<platform::FontFace> face_;
  std::map<char32_t, platform::GlyphImage> glyphs_;
};

std::unique_ptr<cDlgTextPainter>& Painter() {
  static std::unique_ptr<cDlgTextPainter> p;
  return p;
}

struct Canvas {
  std::vector<uint32_t>& px;
  void Fill(int l, int t, int r, int b, uint32_t c) {
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = std::min(r, kFrameWidth);
    b = std::min(b, kFrameHeight);
    for (int y = t; y < b; ++y)
      std::fill(px.begin() + y * kFrameWidth + l, px.begin() + y * kFrameWidth + std::max(l, r), c);
  }
  void Dot(int x, int y, uint32_t c) {
    if (x >= 0 && x < kFrameWidth && y >= 0 && y < kFrameHeight) px[static_cast<size_t>(y * kFrameWidth + x)] = c;
  }
  void HLine(int l, int r, int y, uint32_t c) { Fill(l, y, r, y + 1, c); }
  void VLine(int x, int t, int b, uint32_t c) { Fill(x, t, x + 1, b, c); }
  // Two-colour edge: top-left in `tl`, bottom-right in `br`.
  void Edge(int l, int t, int r, int b, uint32_t tl, uint32_t br) {
    HLine(l, r, t, tl);
    VLine(l, t, b, tl);
    HLine(l, r, b - 1, br);
    VLine(r - 1, t, b, br);
  }
  void Raised(int l, int t, int r, int b) {
    Edge(l, t, r, b, kLight, kDark);
    Edge(l + 1, t + 1, r - 1, b - 1, kFace, kShadow);
  }
  void Sunken(int l, int t, int r, int b) {
    Edge(l, t, r, b, kShadow, kLight);
    Edge(l + 1, t + 1, r - 1, b - 1, kDark, kFace);
  }
  void Text(int x, int y, const std::string& s, uint32_t c, int cl, int ct, int cr, int cb) {
    DlgTextPainter().Draw(px, x, y, s, c, std::max(cl, 0), std::max(ct, 0), std::min(cr, kFrameWidth),
                          std::min(cb, kFrameHeight));
  }
};

void DrawCheckMark(Canvas& c, int l, int t) {
  // A tick in a 13x13 box.
  for (int i = 0; i < 3; ++i) {
    c.VLine(l + 3 + i, t + 5 + i, t + 8 + i, kText);
    c.VLine(l + 6 + i, t + 7 - i, t + 10 - i, kText);
  }
  for (int i = 0; i < 2; ++i) c.VLine(l + 9 + i, t + 5 - i - 1, t + 8 - i - 1, kText);
}

void DrawRadio(Canvas& c, int l, int t, bool checked) {
  // A 12x12 circle with a sunken rim.
  static const char* kShape[12] = {"    SSSS    ", "  SSDDDDSS  ", " SDDWWWWDDL ", " SDWWWWWWFL ",
                                   "SDWWWWWWWWFL", "SDWWWWWWWWFL", "SDWWWWWWWWFL", "SDWWWWWWWWFL",
                                   " SDWWWWWWFL ", " SFFWWWWFFL ", "  LLFFFFLL  ", "    LLLL    "};
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      uint32_t col;
      switch (kShape[y][x]) {
        case 'S': col = kShadow; break;
        case 'D': col = kDark; break;
        case 'W': col = kWindow; break;
        case 'L': col = kLight; break;
        case 'F': col = kFace; break;
        default: continue;
      }
      c.Dot(l + x, t + y, col);
    }
  if (checked) {
    c.Fill(l + 4, t + 5, l + 8, t + 7, kText);
    c.Fill(l + 5, t + 4, l + 7, t + 8, kText);
  }
}

void DrawFocus(Canvas& c, int l, int t, int r, int b) {
  for (int x = l; x < r; x += 2) {
    c.Dot(x, t, kText);
    c.Dot(x, b - 1, kText);
  }
  for (int y = t; y < b; y += 2) {
    c.Dot(l, y, kText);
    c.Dot(r - 1, y, kText);
  }
}

void DrawEdit(Canvas& c, const cDlgWindow& w, const cDlgItem& item, int l, int t, int r, int b) {
  c.Sunken(l, t, r, b);
  c.Fill(l + 2, t + 2, r - 2, b - 2, item.IsEnabled() ? kWindow : kFace);
  const bool focused = w.Focus() == &item;
  const std::string& text = item.Text();
  const int ty = t + (b - t - kDlgTextHeight) / 2;
  const int x0 = l + 3;
  int a, e;
  item.GetSel(a, e);
  const int scroll = std::min(item.m_nScroll, static_cast<int>(text.size()));
  std::string shown = text.substr(static_cast<size_t>(scroll));
  int caret = 0;
  if (focused) {
    int caretPos = std::max(0, e - scroll);
    std::string before = text.substr(static_cast<size_t>(scroll), static_cast<size_t>(caretPos));
    caret = x0 + DlgTextWidth(before);
    // The composition is shown at the caret, underlined, until it is committed.
    if (w.IsComposing()) {
      const std::string after = text.substr(static_cast<size_t>(scroll + caretPos));
      shown = before + w.Composition() + after;
      const int cw = DlgTextWidth(w.Composition());
      c.Text(x0, ty, shown, kText, l + 2, t + 2, r - 2, b - 2);
      c.Fill(std::max(caret, l + 2), ty + kDlgTextHeight, std::min(caret + cw, r - 2), ty + kDlgTextHeight + 1, kText);
      return;
    }
  }
  c.Text(x0, ty, shown, item.IsEnabled() ? kText : kGrayText, l + 2, t + 2, r - 2, b - 2);
  if (!focused) return;
  if (a != e) {
    const int sa = std::max(a, scroll), se = std::max(e, scroll);
    const int xa = x0 + DlgTextWidth(text.substr(static_cast<size_t>(scroll), static_cast<size_t>(sa - scroll)));
    const std::string sel = text.substr(static_cast<size_t>(sa), static_cast<size_t>(se - sa));
    const int xe = xa + DlgTextWidth(sel);
    c.Fill(std::max(xa, l + 2), ty, std::min(xe, r - 2), ty + kDlgTextHeight, kSelect);
    c.Text(xa, ty, sel, kSelectText, l + 2, t + 2, r - 2, b - 2);
  }
  c.Fill(std::clamp(caret, l + 2, r - 3), ty, std::clamp(caret, l + 2, r - 3) + 1, ty + kDlgTextHeight, kText);
}

void DrawList(Canvas& c, const cDlgWindow& w, const cDlgItem& item, int l, int t, int r, int b) {
  c.Sunken(l, t, r, b);
  c.Fill(l + 2, t + 2, r - 2, b - 2, kWindow);
  const int rows = item.VisibleRows(), rowH = DlgListRowHeight();
  const auto& entries = item.Entries();
  for (int i = 0; i < rows; ++i) {
    const int index = item.TopIndex() + i;
    if (index >= static_cast<int>(entries.size())) break;
    const int y = t + 2 + i * rowH;
    const bool sel = index == item.GetCurSel();
    if (sel) c.Fill(l + 2, y, r - 2, y + rowH, kSelect);
    c.Text(l + 4, y + (rowH - kDlgTextHeight) / 2, entries[static_cast<size_t>(index)], sel ? kSelectText : kText,
           l + 2, t + 2, r - 2, b - 2);
    if (sel && w.Focus() == &item) DrawFocus(c, l + 2, y, r - 2, y + rowH);
  }
}

// Statics wrap at line breaks only; long lines are clipped at `clipR`.
void DrawStatic(Canvas& c, const std::string& text, uint32_t ink, int l, int t, int clipR, int b) {
  int y = t;
  size_t start = 0;
  while (start <= text.size() && y < b) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    c.Text(l, y, line, ink, l, t, clipR, b);
    if (end == std::string::npos) break;
    start = end + 1;
    y += kDlgTextHeight + 1;
  }
}

void DrawGroupBox(Canvas& c, const std::string& text, uint32_t ink, int l, int t, int r, int b) {
  const int tw = DlgTextWidth(text);
  const int gy = t + kDlgTextHeight / 2;
  c.Edge(l, gy, r, b, kShadow, kShadow);
  c.Edge(l + 1, gy + 1, r + 1, b + 1, kLight, kLight);
  c.Edge(l, gy, r, b, kShadow, kShadow);
  if (!text.empty()) {
    c.Fill(l + 6, t, l + 10 + tw, t + kDlgTextHeight, kFace);
    c.Text(l + 8, t, text, ink, l, t, r, b);
  }
}

void DrawButton(Canvas& c, const cDlgItem& item, bool focused, uint32_t ink, int l, int t, int r, int b) {
  const bool isDefault = item.Kind() == eDlgItemKind::DefButton;
  if (isDefault || focused) {
    c.Edge(l, t, r, b, kText, kText);
    ++l, ++t, --r, --b;
  }
  const int shift = item.m_bPressed ? 1 : 0;
  if (item.m_bPressed) c.Edge(l, t, r, b, kShadow, kShadow);
  else c.Raised(l, t, r, b);
  const std::string& text = item.Text();
  const int tw = DlgTextWidth(text);
  c.Text((l + r - tw) / 2 + shift, (t + b - kDlgTextHeight) / 2 + shift, text, ink, l + 2, t + 2, r - 2, b - 2);
  if (focused) DrawFocus(c, l + 3, t + 3, r - 3, b - 3);
}

// The label of a check box or radio button, starting at `tx`, with the focus
// frame around it.
void DrawMarkLabel(Canvas& c, const std::string& text, bool focused, uint32_t ink, int tx, int l, int t, int clipR,
                   int b) {
  const int ty = (t + b - kDlgTextHeight) / 2;
  c.Text(tx, ty, text, ink, l, t, clipR, b);
  if (focused) DrawFocus(c, tx - 2, ty - 1, std::min(clipR, tx + DlgTextWidth(text) + 2), ty + kDlgTextHeight + 1);
}

void DrawCheckBox(Canvas& c, const cDlgItem& item, bool focused, uint32_t ink, int l, int t, int clipR, int b) {
  const int by = (t + b - 13) / 2;
  c.Sunken(l, by, l + 13, by + 13);
  c.Fill(l + 2, by + 2, l + 11, by + 11, item.m_bPressed ? kFace : kWindow);
  if (item.GetCheck()) DrawCheckMark(c, l, by);
  DrawMarkLabel(c, item.Text(), focused, ink, l + 17, l, t, clipR, b);
}

void DrawRadioButton(Canvas& c, const cDlgItem& item, bool focused, uint32_t ink, int l, int t, int clipR, int b) {
  DrawRadio(c, l, (t + b - 12) / 2, item.GetCheck() != 0);
  DrawMarkLabel(c, item.Text(), focused, ink, l + 16, l, t, clipR, b);
}

// The window's face, edges and caption.
void DrawWindowFrame(Canvas& c, const cDlgWindow& w) {
  const int l = w.FrameX(), t = w.FrameY(), r = l + w.OuterWidth(), b = t + w.OuterHeight();
  c.Fill(l, t, r, b, kFace);
  c.Edge(l, t, r, b, kFace, kDark);
  c.Edge(l + 1, t + 1, r - 1, b - 1, kLight, kShadow);
  if (w.HasCaption()) {
    c.Fill(l + kDlgFrame, t + kDlgFrame, r - kDlgFrame, t + kDlgFrame + kDlgCaption - 1, kCaption);
    c.Text(l + kDlgFrame + 4, t + kDlgFrame + (kDlgCaption - 1 - kDlgTextHeight) / 2, w.Title(), kCaptionText,
           l + kDlgFrame, t + kDlgFrame, r - kDlgFrame - 2, t + kDlgFrame + kDlgCaption);
  }
}

void DrawItem(Canvas& c, const cDlgWindow& w, const cDlgItem& item) {
  const platform::POINT o = w.ClientOrigin();
  // Labels may run past their item to the dialog's edge: the installed face
  // can be wider than the one the layouts were made with.
  const int clientR = o.x + w.ClientWidth();
  const int il = o.x + item.m_rc.left, it = o.y + item.m_rc.top, ir = o.x + item.m_rc.right,
            ib = o.y + item.m_rc.bottom;
  const uint32_t ink = item.IsEnabled() ? kText : kGrayText;
  const bool focused = w.Focus() == &item;
  switch (item.Kind()) {
    case eDlgItemKind::Static: DrawStatic(c, item.Text(), ink, il, it, clientR, ib); break;
    case eDlgItemKind::Picture: break;  // no picture is ever set in it
    case eDlgItemKind::GroupBox: DrawGroupBox(c, item.Text(), ink, il, it, ir, ib); break;
    case eDlgItemKind::Button:
    case eDlgItemKind::DefButton: DrawButton(c, item, focused, ink, il, it, ir, ib); break;
    case eDlgItemKind::CheckBox: DrawCheckBox(c, item, focused, ink, il, it, clientR, ib); break;
    case eDlgItemKind::Radio: DrawRadioButton(c, item, focused, ink, il, it, clientR, ib); break;
    case eDlgItemKind::Edit: DrawEdit(c, w, item, il, it, ir, ib); break;
    case eDlgItemKind::ListBox: DrawList(c, w, item, il, it, ir, ib); break;
  }
}

}  // namespace

cDlgTextPainter& DlgTextPainter() {
  auto& p = Painter();
  if (!p) p = std::make_unique<cFacePainter>();
  return *p;
}

void SetDlgTextPainter(std::unique_ptr<cDlgTextPainter> painter) { Painter() = std::move(painter); }

int DlgTextWidth(const std::string& cp932) { return DlgTextPainter().Width(cp932); }

int DlgListRowHeight() { return kDlgTextHeight + 4; }

void RenderDialogFrame(const cDlgWindow& w, const std::vector<uint32_t>& backdrop, std::vector<uint32_t>& frame) {
  const size_t n = static_cast<size_t>(kFrameWidth) * kFrameHeight;
  if (backdrop.size() == n) frame = backdrop;
  else frame.assign(n, kBackdrop);
  Canvas c{frame};
  DrawWindowFrame(c, w);
  for (const auto& p : w.Items())
    if (p->IsVisible()) DrawItem(c, w, *p);
}
