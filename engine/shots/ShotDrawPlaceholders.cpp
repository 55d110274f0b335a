// Placeholder body of the shot's drawing so that the play-field drawing
// links; the shot's own source replaces it (delete this file then).
#include "engine/shots/Shot.h"

void cShot::Draw(DDSURFACEDATA*, int) {}
