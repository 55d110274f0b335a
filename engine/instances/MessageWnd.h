#pragma once
// A message window of the play field: a text, an item icon or an extra-life icon.
#include <cstdint>
#include <string>

struct DDSURFACEDATA;
struct DDBITMAPDATA;

// Replaces the "#" escapes in place.
void ExpandMessageVars(std::string& text);
void MeasureMessageText(const std::string& text, int* width, int* height);

class cMessageWnd {
 public:
  DDSURFACEDATA* m_lpSD = nullptr;  // kind 1 only
  DDBITMAPDATA* m_lpBmp = nullptr;
  int32_t m_nKind = 0;  // 1 text, 2 item icon, 3 extra-life icon
  std::string m_Text;    // escapes expanded
  std::string m_Source;  // as supplied
  int32_t m_nIconKind = 0, m_nIconNum = 0, m_nIconSub = 0;
  int32_t m_bExpand = 0;
  int32_t m_bRefresh = 0;
  int32_t m_nRefreshFrames = 0;
  int32_t m_bFrame = 0;
  int32_t m_nPlace = 0;  // 0..8
  int32_t m_nBlockX = 0, m_nBlockY = 0;
  int32_t m_nOffsetX = 0, m_nOffsetY = 0;
  int32_t m_nWidth = 0, m_nHeight = 0;
  int32_t m_bKeepOnScreen = 0;
  int32_t m_nShowMode = 0;  // 2 = timed
  int32_t m_bFixed = 0;
  int32_t m_bPosStored = 0;
  int32_t m_nStoredX = 0, m_nStoredY = 0;
  int32_t m_nTargetId = 0;
  int32_t m_nTime = 0;
  int32_t m_bRunWhileFrozen = 0;
  int32_t m_bOpening = 0;
  double m_dOpen = 0;
  // Set by the message command: the window carries a message ID.
  int32_t m_bHasId = 0;
  int32_t m_nMessageId = 0;

  // The layout values of the message command (see the message command).
  void Init(int kind, const char* text, int iconKind, int iconNum, int iconSub, int place, int blockX, int blockY,
            int offsetX, int offsetY, int keepOnScreen, int fixed, int showMode, int time, int runWhileFrozen,
            int targetId, int noOpening, int expand, int refresh, int refreshFrames, int frame, int value1,
            int value2, int surfaceMade = 0);
  // 1 when the window is finished (the owner removes it).
  int Update(DDSURFACEDATA* target, int frozen);
  void CreateSurface();
  void CreateSurfaceAt(int slot);
  void DrawText(DDSURFACEDATA* surface);
};
