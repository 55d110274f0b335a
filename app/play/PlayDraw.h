#pragma once
// One picture of the running stage into BackBuffer. bPlay: called by the
// Play state; bFreeze: objects and instances do not advance; bTick: the time
// counter may sound its warning; bSysText: the bottom line of system text.
// When the hero's defeat animation ends, scene.HeroDeathEnd() follows the
// finished frame.
class cPlayScene;
void DrawPlayFrame(cPlayScene& scene, int bPlay, int bFreeze, int bTick, int bSysText);
