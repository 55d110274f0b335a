// Placeholder picture of the play field until the field drawing exists: a
// cleared back buffer. It ends the hero's defeat at once, so that a death
// still leads on (only in frames that advance).
#include "app/play/PlayDraw.h"
#include "app/play/PlayScene.h"
#include "media/graphics/DDCore.h"

void DrawPlayFrame(cPlayScene& scene, int, int bFreeze, int, int) {
  if (BackBuffer.lpDD || BackBuffer.lpDT) DDFillSurface(&BackBuffer, 16);
  if (!bFreeze && !Player.empty() && Player[0].m_bDead == 1) scene.HeroDeathEnd();
}
