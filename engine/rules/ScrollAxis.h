#pragma once
// One camera axis of the play field: its position, bounds and auto-scroll.
#include <cstdint>

class cStage;

class cScrollAxis {
 public:
  double m_dPos = 0;          // world pixel of the view's left (top) edge
  int32_t m_bAtLimit = 0;     // the last clamp met or set a bound
  int32_t m_nAxis = 0;        // 0 horizontal, 1 vertical
  int32_t m_nView = 0;        // 640 or 480
  int32_t m_nLower = 0;       // scroll area, upper bound exclusive
  int32_t m_nUpper = 0;
  int32_t m_nOrigin = 0;      // map area [m_nOrigin, m_nDefaultUpper)
  int32_t m_nDefaultUpper = 0;
  int32_t m_nMargin = 0;      // chips (10)
  int32_t m_nExtent = 0;      // world size in pixels
  int32_t m_nCells = 0;       // chips along the axis, margins included
  int32_t m_nPitch = 0;       // horizontal: block-map row pitch 2^m_nShift
  int32_t m_nShift = 0;       // horizontal: bits of (map width + 19); vertical 0
  double m_dAutoSpeed = 0;    // pixels per sub-step
  int32_t m_bAuto = 0;

  // Fills the layout of an axis for a map of `mapChips` chips with a margin
  // of 10 chips: view 640 (axis 0) or 480 (axis 1), cell count, shift and
  // pitch (the horizontal axis only: bits of mapChips + 19), origin 320,
  // default upper bound (mapChips + 10) * 32 (0 when negative) and the world
  // extent = extentValue + 640. Bounds and position are left alone.
  void Layout(int axis, int mapChips, int extentValue);
  // Keeps m_dPos inside the bounds and sets m_bAtLimit. The argument is ignored.
  void Clamp(int unused = 0);
  // One sub-step of automatic scroll, then Clamp.
  void Update();
  // flag 0 stops the scroll; otherwise the speed (tenths of a pixel per frame)
  // is spread over the stage's sub-steps. Returns 0.
  int SetAutoSpeed(int flag, int speed);
  // Bounds from map chip numbers a (lower) and b (upper), each used only when
  // its switch is on.
  void SetBounds(int a, int b, int lowerOn, int upperOn);
};
