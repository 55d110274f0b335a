#include "engine/World.h"

cPlayWorld* PlayScene = nullptr;
