#include "app/frame/BgmDefaults.h"

#include <string>

#include "app/frame/ProgramObjects.h"

namespace {

// The music manager's default file tables: title, world map, challenge, options, stage.
cVector<std::string> OggNames, MidiNames;
const char* const kBgmNames[5] = {"Title", "WorldMap", "Challenge", "Option", "Stage"};

}  // namespace

int InitBgmManager() {
  OggNames.assign(5, std::string());
  MidiNames.assign(5, std::string());
  for (int i = 0; i < 5; ++i) {
    OggNames[i] = std::string("bgm\\") + kBgmNames[i] + ".ogg";
    MidiNames[i] = std::string("bgm\\") + kBgmNames[i] + ".mid";
  }
  return BgmManager.Init(1, &OggNames, &MidiNames, 5);
}
