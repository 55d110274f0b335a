#pragma once
// Replaces the play drawing's graphics calls with recorders for its scope.
// Each call appends a short text such as "blt back 0 0 640 480 <- work 0 0";
// surfaces are named by their strName.
#include <cstdio>
#include <string>
#include <vector>

#include "app/play/DrawKernels.h"

namespace drawtest {

inline std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

inline std::string N(const DDSURFACEDATA* s) { return s ? (s->strName.empty() ? "?" : s->strName) : "null"; }

template <class... A>
std::string Join(const A&... a) {
  std::string out;
  ((out += (out.empty() ? std::string() : std::string(" ")) + std::string(a)), ...);
  return out;
}
inline std::string S(int v) { return std::to_string(v); }

class Recorder {
 public:
  Recorder() : saved_(DrawKernels) {
    Calls().clear();
    auto& k = DrawKernels;
    k.Blt = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int t) {
      Calls().push_back(Join("blt", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), "t" + S(t)));
      return 0;
    };
    k.BltStretch = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int sw, int sh,
                      int t) {
      Calls().push_back(
          Join("stretch", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), S(sw), S(sh), "t" + S(t)));
      return 0;
    };
    k.BltEx = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int t,
                 const DDBLTCOLOR*) {
      Calls().push_back(Join("bltex", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), "t" + S(t)));
      return 0;
    };
    k.BltStretchEx = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int sw,
                        int sh, int t, const DDBLTCOLOR*) {
      Calls().push_back(
          Join("stretchex", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), S(sw), S(sh), "t" + S(t)));
      return 0;
    };
    k.FillRect = [](DDSURFACEDATA* d, int x, int y, int w, int h, uint32_t c) {
      Calls().push_back(Join("fill", N(d), S(x), S(y), S(w), S(h), "c" + S(static_cast<int>(c))));
      return 0;
    };
    k.FillSurface = [](DDSURFACEDATA* d, uint32_t c) {
      Calls().push_back(Join("fillall", N(d), "c" + S(static_cast<int>(c))));
    };
    k.Split = [](DDSURFACEDATA* d, int x, int y, int w, int h, int band, int shift, DDSURFACEDATA* s, int sx, int sy,
                 int t, int v) {
      Calls().push_back(Join("split", N(d), S(x), S(y), S(w), S(h), "band" + S(band), "shift" + S(shift), "<-", N(s),
                             S(sx), S(sy), "t" + S(t), "v" + S(v)));
      return 1;
    };
    k.Wave = [](DDSURFACEDATA* d, int x, int y, int w, int h, int waves, double amp, int phase, int band,
                DDSURFACEDATA* s, int sx, int sy, int t, int v) {
      Calls().push_back(Join("wave", N(d), S(x), S(y), S(w), S(h), "n" + S(waves), "amp" + S(static_cast<int>(amp)),
                             "ph" + S(phase), "band" + S(band), "<-", N(s), S(sx), S(sy), "t" + S(t), "v" + S(v)));
    };
    k.Burst = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int dist, int t) {
      Calls().push_back(Join("burst", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), "d" + S(dist),
                             "t" + S(t)));
    };
    k.Turn = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* f, int fsx, int fsy, DDSURFACEDATA*, int,
                int, int sw, int sh, int t, int phase, int dir) {
      Calls().push_back(Join("turn", N(d), S(x), S(y), S(w), S(h), "<-", N(f), S(fsx), S(fsy), S(sw), S(sh),
                             "t" + S(t), "ph" + S(phase), "dir" + S(dir)));
      return 0;
    };
    k.Rotate = [](DDSURFACEDATA* d, int cx, int cy, int w, int h, int px, int py, int angle, DDSURFACEDATA* s, int sx,
                  int sy, int t) {
      Calls().push_back(Join("rotate", N(d), S(cx), S(cy), S(w), S(h), S(px), S(py), "a" + S(angle), "<-", N(s),
                             S(sx), S(sy), "t" + S(t)));
      return true;
    };
    k.BltCircle = [](DDSURFACEDATA* d, int cx, int cy, int hw, int hh, int r, int step, DDSURFACEDATA* s, int scx,
                     int scy, int t) {
      Calls().push_back(Join("circle", N(d), S(cx), S(cy), S(hw), S(hh), "r" + S(r), "step" + S(step), "<-", N(s),
                             S(scx), S(scy), "t" + S(t)));
      return 0;
    };
    k.Lens = [](DDSURFACEDATA* d, int cx, int cy, int r, int str, DDSURFACEDATA* s, int scx, int scy, int t, int c) {
      Calls().push_back(Join("lens", N(d), S(cx), S(cy), "r" + S(r), "d" + S(str), "<-", N(s), S(scx), S(scy),
                             "t" + S(t), "c" + S(c)));
      return true;
    };
    k.Mosaic = [](DDSURFACEDATA* d, int x, int y, int w, int h, int n, DDSURFACEDATA* s, int sx, int sy, int t) {
      Calls().push_back(
          Join("mosaic", N(d), S(x), S(y), S(w), S(h), "n" + S(n), "<-", N(s), S(sx), S(sy), "t" + S(t)));
      return true;
    };
    k.Blur = [](DDSURFACEDATA* d, int x, int y, int w, int h, int rx, int ry, DDSURFACEDATA* s, int sx, int sy,
                int t) {
      Calls().push_back(Join("blur", N(d), S(x), S(y), S(w), S(h), "r" + S(rx), S(ry), "<-", N(s), S(sx), S(sy),
                             "t" + S(t)));
      return true;
    };
    k.ColorScale = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int t,
                      const DDPALENTRY*, const uint8_t*, int target, int n) {
      Calls().push_back(Join("colorscale", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), "t" + S(t),
                             "c" + S(target), "n" + S(n)));
      return true;
    };
    k.BltHalf = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int t,
                   const uint8_t*) {
      Calls().push_back(Join("half", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), "t" + S(t)));
      return true;
    };
    k.SetBltAlphaOp = [](uint32_t op) { Calls().push_back("alphaop " + S(static_cast<int>(op))); };
    k.ResetBltAlphaOp = [] { Calls().push_back("alphaop reset"); };
    k.SetBltColor = [](uint32_t c) { Calls().push_back("bltcolor " + std::to_string(c)); };
    k.ResetBltColor = [] { Calls().push_back("bltcolor reset"); };
    k.SetBltColorOp = [](uint32_t op) { Calls().push_back("colorop " + S(static_cast<int>(op))); };
    k.ResetBltColorOp = [] { Calls().push_back("colorop reset"); };
    k.SetVirBackBuffer = [](int on) { Calls().push_back("virback " + S(on)); };
    k.ChangeColor = [](DDSURFACEDATA* d, int x, int y, int w, int h, int a, uint8_t r, uint8_t g, uint8_t b) {
      Calls().push_back(Join("tint", N(d), S(x), S(y), S(w), S(h), "a" + S(a), S(r), S(g), S(b)));
      return 0;
    };
    k.FillSurfaceARGB = [](DDSURFACEDATA* d, uint32_t c) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%08X", c);
      Calls().push_back(Join("fillargb", N(d), hex));
    };
    k.BltBlend = [](DDSURFACEDATA* d, int x, int y, int w, int h, DDSURFACEDATA* s, int sx, int sy, int t,
                    const uint8_t*, int weight) {
      Calls().push_back(Join("blend", N(d), S(x), S(y), S(w), S(h), "<-", N(s), S(sx), S(sy), "t" + S(t),
                             "a" + S(weight)));
      return true;
    };
    k.DrawNumber = [](DDSURFACEDATA* d, int x, int y, int dw, int dh, DDSURFACEDATA* s, int sx, int sy, int t,
                      int value, int digits, int centre) {
      Calls().push_back(Join("number", N(d), S(x), S(y), S(dw), S(dh), "<-", N(s), S(sx), S(sy), "t" + S(t),
                             "v" + S(value), S(digits), S(centre)));
    };
  }
  ~Recorder() { DrawKernels = saved_; }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

 private:
  cDrawKernels saved_;
};

}  // namespace drawtest
