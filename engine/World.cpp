#include "engine/World.h"

cPlayWorld* PlayScene = nullptr;

cPlayWorld::~cPlayWorld() {
  for (cShot& s : m_Shots) s.Unlink();
}

cPlayWorld& EmptyWorld() {
  static thread_local cPlayWorld empty;
  empty.m_ScrollX = cScrollAxis{};
  empty.m_ScrollY = cScrollAxis{};
  return empty;
}
