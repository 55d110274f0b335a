#include "media/graphics/EffectMath.h"

#include <algorithm>

#include "base/Text.h"

namespace {
// floor(sqrt(v)) for v >= 0, exact for every 64-bit input.
int64_t ISqrt(int64_t v) {
  if (v <= 0) return 0;
  auto r = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
  while (r > 0 && r * r > v) --r;
  while ((r + 1) * (r + 1) <= v) ++r;
  return r;
}
}  // namespace

TurnStep TurnOffset(int phase, int length) {
  const int u = length >> 1;
  if (u <= 0) return {false, 0, false};
  const int q = phase / u, m = phase % u;
  const int v = (q % 2 != 0) ? u - m - 1 : m;
  const bool back = ((int64_t(phase) + u) / length) % 2 != 0;
  return {true, v, back};
}

int CircleHalfWidth(int r, int64_t row) {
  // The radicand of a band moved past the circle's edge would be negative.
  int64_t c = ISqrt(int64_t(r) * r - row * row);
  if (c >= r) c = c - 1;
  return static_cast<int>(c);
}

RotateFixed RotateCoefficients(int angle) {
  const double a = angle * kRotateDegree;
  const double na = -static_cast<double>(angle) * kRotateDegree;
  return {static_cast<int32_t>(std::trunc(std::sin(a) * 1024)), static_cast<int32_t>(std::trunc(std::cos(a) * 1024)),
          static_cast<int32_t>(std::trunc(std::sin(na) * 1024)),
          static_cast<int32_t>(std::trunc(std::cos(na) * 1024))};
}

RotateBox RotateBounds(int w, int h, int px, int py, const RotateFixed& f) {
  const int64_t as[2] = {-int64_t(px), int64_t(w) - 1 - px};
  const int64_t bs[2] = {-int64_t(py), int64_t(h) - 1 - py};
  int64_t xmin = INT64_MAX, xmax = INT64_MIN, ymin = INT64_MAX, ymax = INT64_MIN;
  for (int64_t a : as)
    for (int64_t b : bs) {
      int64_t X = Fixed10(a * f.C - b * f.S) + px;
      int64_t Y = Fixed10(a * f.S + b * f.C) + py;
      xmin = std::min(xmin, X);
      xmax = std::max(xmax, X);
      ymin = std::min(ymin, Y);
      ymax = std::max(ymax, Y);
    }
  auto clampInt = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
  return {clampInt(xmin - 2), clampInt(xmax + 2), clampInt(ymin - 2), clampInt(ymax + 2)};
}

QuadPositions RotateQuadPositions(int cx, int cy, int w, int h, int px, int py, int angle) {
  const float s = static_cast<float>(std::sin(angle * kRotateDegree));
  const float c = static_cast<float>(std::cos(angle * kRotateDegree));
  const float as[4] = {float(-px), float(-px), float(w - px), float(w - px)};
  const float bs[4] = {float(-py), float(h - py), float(-py), float(h - py)};
  const float ox = static_cast<float>(px - (w >> 1)), oy = static_cast<float>(py - (h >> 1));
  QuadPositions q{};
  for (int i = 0; i < 4; ++i) {
    q.x[i] = static_cast<float>(cx) - 0.5f + as[i] * c - bs[i] * s + ox;
    q.y[i] = static_cast<float>(cy) - 0.5f + as[i] * s + bs[i] * c + oy;
  }
  return q;
}

int ColorScaleQuadAlpha(int n) {
  static const int kAlpha[4] = {128, 80, 48, 16};
  return n >= 1 && n <= 4 ? kAlpha[n - 1] : 0;
}

int ColorScaleLockedWeight(int n) {
  static const int kWeight[4] = {128, 64, 32, 16};
  return n >= 1 && n <= 4 ? kWeight[n - 1] : 0;
}

ColorScaleD3D MakeColorScaleD3D(int n, int palR, int palG, int palB, const EffectLayout& layout) {
  ColorScaleD3D cs;
  cs.n = n;
  cs.f = static_cast<float>(ColorScaleLockedWeight(n)) * (1.0f / 255.0f);
  const int pal[3] = {palR, palG, palB};
  const int mask[3] = {layout.nRMax, layout.nGMax, layout.nBMax};
  for (int i = 0; i < 3; ++i) {
    cs.T[i] = pal[i] * mask[i] / 255;
    cs.Tp[i] = static_cast<float>(cs.T[i]) * (1.0f - cs.f);
  }
  return cs;
}

LensSetup LensPrepare(int R, int d) {
  if (d < 0 || R < 0) return {false, 0, 0};
  const int64_t E = ISqrt(int64_t(R) * R + int64_t(d) * d);
  if (E <= d) return {false, E, 0};
  return {true, E, E * E};
}

void LensOffset(int dx, int dy, int d, int64_t S, int* ox, int* oy) {
  const double z = std::sqrt(static_cast<double>(S - (int64_t(dx) * dx + int64_t(dy) * dy)));
  if (z == 0) {
    *ox = dx;
    *oy = dy;
    return;
  }
  *ox = TruncToInt(static_cast<double>(dx) * d / z + 0.5);
  *oy = TruncToInt(static_cast<double>(dy) * d / z + 0.5);
}
