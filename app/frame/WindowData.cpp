#include "app/frame/WindowData.h"

#include <algorithm>


namespace {
// Outer size of the 640x480 window with a caption: what a size of 0 stands for.
constexpr int kDefaultOuterW = 646, kDefaultOuterH = 505;
}  // namespace

bool cWindowData::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  platform::RECT area;
  platform::GetWorkArea(area);
  ClampTo(area);
  return true;
}

void cWindowData::Set(int x, int y, int width, int height, int maximised) {
  m_nX = x;
  m_nY = y;
  m_nWidth = width;
  m_nHeight = height;
  m_bMaximised = maximised;
}

void cWindowData::ClampTo(const platform::RECT& area) {
  const int64_t areaW = std::max<int64_t>(0, int64_t{area.right} - area.left);
  const int64_t areaH = std::max<int64_t>(0, int64_t{area.bottom} - area.top);
  const int64_t w = std::min<int64_t>(m_nWidth > 0 ? m_nWidth : kDefaultOuterW, areaW);
  const int64_t h = std::min<int64_t>(m_nHeight > 0 ? m_nHeight : kDefaultOuterH, areaH);
  m_nX = static_cast<int32_t>(std::clamp<int64_t>(m_nX, area.left, area.left + areaW - w));
  m_nY = static_cast<int32_t>(std::clamp<int64_t>(m_nY, area.top, area.top + areaH - h));
}
