#include "app/frame/StartupState.h"

void cStartupState::SetHooks(sStartupHooks hooks) {
  std::lock_guard<std::mutex> lock(m_HookMutex);
  m_Hooks = std::move(hooks);
}

sStartupHooks cStartupState::Hooks() const {
  std::lock_guard<std::mutex> lock(m_HookMutex);
  return m_Hooks;
}
