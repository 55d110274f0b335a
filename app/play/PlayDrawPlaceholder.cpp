// Placeholder picture of the play field until the field drawing exists: a
// cleared back buffer. It ends the hero's defeat at once, so that a death
// still leads on.
#include "app/play/PlayDraw.h"
#include "app/play/PlayScene.h"
#include "media/graphics/DDCore.h"

void DrawPlayFrame(cPlayScene& scene, int, int, int, int) {
  if (BackBuffer.lpDD || BackBuffer.lpDT) DDFillSurface(&BackBuffer, 16);
  if (!Player.empty() && Player[0].m_bDead == 1) scene.HeroDeathEnd();
}
