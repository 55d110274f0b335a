#pragma once
// Stage transitions and the per-stage graphics of the play scene.
#include <functional>
#include <string>

// The path of the next part's stage file: "<base>-<part>.stg4" (or
// "<explicit>.stg4"), resolved to its highest-numbered existing copy. Both
// names carry a trailing '.', which is cut off here. 1 with the path, 0 with
// out = "" when chaining is off, there is no destination or no file exists.
int BuildNextStagePathFor(std::string& out, int chaining, int clearDest, const std::string& explicitName,
                          const std::string& baseName, int part);

// Chip sheets 63 and 64 built from the source sheets 20 and 21.
void BuildChipSheets();
// The stage's dedicated character bitmaps, sword images and effect images.
void LoadStageBitmaps();
void LoadSwordImages();
void LoadEffectImages();

// The clear action of the current world-map node (1 next round, 2 title,
// other: back to the map); the world-map scene installs it. Without one the
// stage goes back to the map.
void SetStageNodeClearAction(std::function<int()> action);
// Free play of a stage file (the title's); FadeOut restarts the same file with it.
void SetPlayStartFreeStage(std::function<bool(const std::string& path, int fromStartFile)> start);
