// Message windows over the play field: text windows (kind 1), the item icon
// that rises over a taker (kind 2) and the extra-life icon (kind 3). Kind 0 is
// the game-wait command's timed window: it only counts its time.
#include "engine/instances/MessageWnd.h"

#include <iterator>

#include "base/Text.h"
#include "data/SaveData.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/instances/MessageText.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/ChipSheets.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Font.h"

namespace {

constexpr int kMessageFont = 1;
constexpr int kIconSize = 16;
constexpr int kAccessorySheet = 49;

int CameraPixelX() { return PlayScene ? TruncToInt(PlayScene->m_ScrollX.m_dPos) : 0; }
int CameraPixelY() { return PlayScene ? TruncToInt(PlayScene->m_ScrollY.m_dPos) : 0; }

// Slot of a surface in Off_Msg, or -1.
int SlotOf(const DDSURFACEDATA* lpSD) {
  int slot = 0;
  for (auto& sd : Off_Msg) {
    if (&sd == lpSD) return slot;
    ++slot;
  }
  return -1;
}

void ReleaseSurface(cMessageWnd& w) {
  if (w.m_lpSD) DDRemoveSurfaceList(Off_Msg, MessageBitmaps, w.m_lpSD);
  w.m_lpSD = nullptr;
  w.m_lpBmp = nullptr;
}

// Expands the source again; a changed text is measured and redrawn, into a
// new surface at the same slot of Off_Msg when its size changed.
void Refresh(cMessageWnd& w) {
  std::string text = w.m_Source;
  ExpandMessageVars(text);
  if (text == w.m_Text) return;
  w.m_Text = text;
  int width = 0, height = 0;
  MeasureMessageText(w.m_Text, &width, &height);
  if (width == w.m_nWidth && height == w.m_nHeight) {
    w.DrawText(w.m_lpSD);
    return;
  }
  const int slot = SlotOf(w.m_lpSD);
  ReleaseSurface(w);
  w.m_nWidth = width;
  w.m_nHeight = height;
  w.CreateSurfaceAt(slot);
  w.DrawText(w.m_lpSD);
}

}  // namespace

void ExpandMessageVars(std::string& text) {
  ExpandMessageVars(text, [](char kind, int n, int* value) {
    const cVector<int32_t>* vars =
        kind == 'C' ? &nm::save::CommonVars(SaveData) : (PlayScene ? &PlayScene->m_StageVars : nullptr);
    if (!vars || n < 0 || static_cast<size_t>(n) >= vars->size()) return false;
    *value = (*vars)[static_cast<size_t>(n)];
    return true;
  });
}

void MeasureMessageText(const std::string& text, int* width, int* height) {
  MeasureMessageText(Fonts[kMessageFont], text, width, height);
}

void cMessageWnd::Init(int kind, const char* text, int iconKind, int iconNum, int iconSub, int place, int blockX,
                       int blockY, int offsetX, int offsetY, int keepOnScreen, int fixed, int showMode, int time,
                       int runWhileFrozen, int targetId, int noOpening, int expand, int refresh, int refreshFrames,
                       int frame, int value1, int value2, int surfaceMade) {
  // value1 and value2 belong to the message command; the window does not use them.
  (void)value1;
  (void)value2;
  m_nKind = kind;
  if (text) {
    m_Text = text;
    m_Source = text;
  }
  m_nIconKind = iconKind;
  m_nIconNum = iconNum;
  m_nIconSub = iconSub;
  m_nPlace = place;
  m_nBlockX = blockX;
  m_nBlockY = blockY;
  m_nOffsetX = offsetX;
  m_nOffsetY = offsetY;
  m_bKeepOnScreen = keepOnScreen;
  m_bFixed = fixed;
  m_nShowMode = showMode;
  m_nTime = time;
  m_bRunWhileFrozen = runWhileFrozen;
  m_nTargetId = targetId;
  m_bExpand = expand;
  m_bRefresh = refresh;
  m_nRefreshFrames = refreshFrames;
  m_bFrame = frame;
  m_bPosStored = 0;
  m_dOpen = 0;
  if (m_bExpand) ExpandMessageVars(m_Text);
  if (m_nKind == 1) {
    MeasureMessageText(m_Text, &m_nWidth, &m_nHeight);
  } else {
    m_nWidth = kIconSize;
    m_nHeight = kIconSize;
  }
  m_bOpening = (m_nShowMode == 0 && noOpening == 0) ? 1 : 0;
  if (m_nKind == 1) {
    if (!surfaceMade) CreateSurface();
    DrawText(m_lpSD);
  } else {
    m_lpSD = nullptr;
    m_lpBmp = nullptr;
  }
}

void cMessageWnd::CreateSurfaceAt(int slot) {
  int systemMemory = 0;
  if (lpDTCon) {
    // Less than 20 % of the video memory free: the surface goes to system memory.
    const int64_t total = DDGetVirtualDisplay().nVideoMemoryBytes;
    const int64_t free = total - VideoMemoryInUse();
    if (free * 5 < total) systemMemory = 1;
  }
  const int d3dType = systemMemory ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT;
  bool ok;
  if (slot >= 0 && static_cast<size_t>(slot) < Off_Msg.size()) {
    ok = DDInsertSurfaceList(Off_Msg, MessageBitmaps, slot, m_nWidth, m_nHeight, 1, systemMemory, d3dType, 0);
  } else {
    ok = DDAddSurfaceList(Off_Msg, MessageBitmaps, m_nWidth, m_nHeight, 1, systemMemory, d3dType, 0);
    slot = static_cast<int>(Off_Msg.size()) - 1;
  }
  auto sd = Off_Msg.begin();
  std::advance(sd, slot);
  m_lpSD = &*sd;
  m_lpBmp = nullptr;
  if (static_cast<size_t>(slot) < MessageBitmaps.size()) {
    auto bmp = MessageBitmaps.begin();
    std::advance(bmp, slot);
    m_lpBmp = &*bmp;
  }
  if (!ok) WindowRequests().RequestClose();
}

void cMessageWnd::CreateSurface() { CreateSurfaceAt(static_cast<int>(Off_Msg.size())); }

void cMessageWnd::DrawText(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  Font& font = Fonts[kMessageFont];
  if (m_bFrame) {
    font.DrawTextBox(lpSD, 1, 1, 0, 0, m_Text.c_str(), 0);
  } else {
    DDFillSurface(lpSD, 0);
    font.DrawText(lpSD, 1, 1, m_Text.c_str());
  }
}

int cMessageWnd::Update(DDSURFACEDATA* lpTarget, int bFrozen) {
  // 1. Timing.
  if (m_nShowMode == 2 && (!bFrozen || m_bRunWhileFrozen)) {
    --m_nTime;
    if (m_nTime < 0) {
      ReleaseSurface(*this);
      return 1;
    }
  }
  // 2. Refresh.
  if (m_bRefresh && m_nRefreshFrames != 0 && m_nKind == 1 && m_bExpand && PlayScene &&
      static_cast<int64_t>(PlayScene->m_nPlayFrames) % m_nRefreshFrames == 0)
    Refresh(*this);
  // 3. Position.
  const int w = m_nWidth, h = m_nHeight, dx = m_nOffsetX, dy = m_nOffsetY;
  const int sx = CameraPixelX(), sy = CameraPixelY();
  int x = 0, y = 0;
  switch (m_nPlace) {
    case 1: case 2: case 3: case 4: case 5: case 6: {
      const cCharaBase* target = FindCharaById(m_nTargetId);
      if (!target) {
        // The window's character is gone: the window ends with it (icons too).
        ReleaseSurface(*this);
        return 1;
      }
      const int top = TruncToInt(target->m_dY - sy);
      x = TruncToInt(target->m_dX - sx) - (w >> 1) + (target->m_nPicW >> 1) - target->m_nPicOfsX + dx;
      if (m_nPlace == 1 || m_nPlace == 4)
        y = top - target->m_nPicOfsY - h + dy;
      else if (m_nPlace == 2 || m_nPlace == 5)
        y = top - target->m_nPicOfsY + target->m_nPicH + dy + 1;
      else
        y = top - (h >> 1) + (target->m_nPicH >> 1) - target->m_nPicOfsY + dy;
      break;
    }
    case 7:
      x = m_nBlockX * 32 + dx;
      y = m_nBlockY * 32 + dy;
      break;
    case 8:
      x = ((m_nBlockX + 10) * 32 + dx) - sx;
      y = ((m_nBlockY + 10) * 32 + dy) - sy;
      break;
    default:  // 0, and modes the commands never make: the screen centre
      x = 320 + dx - (w >> 1);
      y = 240 + dy - (h >> 1);
      break;
  }
  // 4. Fixing.
  const bool screenMode = m_nPlace == 7 || !(m_nPlace >= 1 && m_nPlace <= 8);
  if (!screenMode) {
    if (m_bFixed) {
      if (!m_bPosStored) {
        m_nStoredX = x;
        m_nStoredY = y;
        m_bPosStored = 1;
      }
      x = m_nStoredX;
      y = m_nStoredY;
    }
  } else if (!m_bFixed) {
    // Kept as a stage position, so the window scrolls with the stage.
    if (!m_bPosStored) {
      m_nStoredX = x + sx;
      m_nStoredY = y + sy;
      m_bPosStored = 1;
    }
    x = m_nStoredX - sx;
    y = m_nStoredY - sy;
  }
  // 5. Keep on screen.
  if (m_bKeepOnScreen) {
    if (x < 0)
      x = 0;
    else if (x + w >= 639)
      x = 640 - w;
    if (y < 20)
      y = 20;
    else if (y + h >= 479)
      y = 480 - h;
  }
  // 6. Drawing.
  switch (m_nKind) {
    case 1: {
      if (m_lpSD && m_lpSD->bLost) {
        DrawText(m_lpSD);
        m_lpSD->bLost = 0;
      }
      if (m_Text.empty()) break;
      if (m_bOpening) {
        m_dOpen += 1;
        const double s = m_dOpen * 0.1;
        if (m_dOpen < 10) {
          if (m_bFrame) {
            const int bw = TruncToInt(s * w), bh = TruncToInt(s * h);
            Fonts[kMessageFont].DrawBox(&BackBuffer, x + (w >> 1) - (bw >> 1), y + (h >> 1) - (bh >> 1), bw, bh);
          }
          break;
        }
      }
      if (m_lpSD) DDBlt(&BackBuffer, x, y, w, h, m_lpSD, 0, 0, 1);
      break;
    }
    case 2:
      y -= (30 - m_nTime) >> 2;  // rises one pixel every four frames
      DrawSmallChip(lpTarget, x, y, m_nIconKind, m_nIconNum, m_nIconSub);
      break;
    case 3:
      y -= (30 - m_nTime) >> 2;
      DDBlt(lpTarget, x, y, kIconSize, kIconSize, &SurfaceTable[kAccessorySheet], 48, 0, 1);
      break;
    default:
      break;
  }
  return 0;
}
