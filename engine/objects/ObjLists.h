#pragma once
// Pointer lists the play world keeps of its running objects.
#include "base/Containers.h"

class cCharaBase;
class cShot;
class cItem;

using CharaPtrList = cList<cCharaBase*>;
using ShotPtrList = cList<cShot*>;
