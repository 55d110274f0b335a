#pragma once
// A rectangle of doubles, all four edges inclusive: hit boxes, a shot's hit
// rectangle and the box a character had before its sub-step.

struct cRectD {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;

  // Touching edges count as an overlap.
  int Overlaps(const cRectD& o) const {
    return left <= o.right && right >= o.left && top <= o.bottom && bottom >= o.top ? 1 : 0;
  }
};
