// A character's target slots and the back links its targets keep.
#include <algorithm>

#include "engine/flow/Commands.h"
#include "engine/objects/CharaBase.h"

void SetTargetSlot(cCharaBase* chara, int slot, cCharaBase* target, int emptyWhenNone) {
  if (!chara || slot < 0 || static_cast<size_t>(slot) >= chara->m_Targets.size()) return;
  if (!target && !emptyWhenNone) return;
  const CharaLink link{chara, slot};
  cCharaBase*& held = chara->m_Targets[static_cast<size_t>(slot)];
  if (held) {
    cVector<CharaLink>& links = held->m_Links;
    links.erase(std::remove_if(links.begin(), links.end(), [&](const CharaLink& l) { return SameLink(l, link); }),
                links.end());
    held = nullptr;
  }
  if (!target) return;
  held = target;
  cVector<CharaLink>& links = target->m_Links;
  if (std::none_of(links.begin(), links.end(), [&](const CharaLink& l) { return SameLink(l, link); }))
    links.push_back(link);
}
