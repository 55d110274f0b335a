// The program-wide lists of running objects.
#include "engine/World.h"

cVector<cHero> Player;
cList<cChara> CharaList;
cList<cItem> ItemList;
