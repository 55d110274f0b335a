#pragma once
// The play world of the character tests: scroll axes laid out for a map of
// a given size.
#include "engine/World.h"

// Scroll axes of a map of the given size without scroll limits; the world
// has a margin of 10 chips on every side.
inline void LayOutWorld(cPlayWorld& w, int chipsX, int chipsY) {
  w.m_ScrollX.Layout(0, chipsX, (chipsX + 20) * 32 - 640);
  w.m_ScrollY.Layout(1, chipsY, (chipsY + 20) * 32 - 640);
  w.m_ScrollX.SetBounds(0, 0, 0, 0);
  w.m_ScrollY.SetBounds(0, 0, 0, 0);
}
