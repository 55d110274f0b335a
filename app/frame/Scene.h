#pragma once
// The scenes' interface. Every scene's Step runs Enter once (inside a handler
// for text exceptions), then the state handler at m_nState: handler 0 fades
// in, the last one fades out, those between are the scene's own states.
#include <cstdint>
#include <string>

class cScene {
 public:
  cScene() = default;
  virtual ~cScene() = default;
  cScene(const cScene&) = delete;
  cScene& operator=(const cScene&) = delete;

  // One frame; the result is not read by the director.
  virtual int Step() { return 0; }
  virtual void Enter() {}
  virtual void FadeIn() {}
  virtual void FadeOut() {}

  int32_t m_nState = -1;  // -1 until Enter has run
  int32_t m_nSubState = 0;

 protected:
  // The state-handler pattern: Enter on the first call, then handlers[m_nState]
  // (a state outside the table runs nothing).
  template <class Scene, size_t N>
  int RunHandlers(Scene* self, int (Scene::*const (&handlers)[N])()) {
    if (m_nState == -1) {
      RunEnter();
      m_nState = 0;
    }
    if (m_nState < 0 || static_cast<size_t>(m_nState) >= N) return 0;
    return (self->*handlers[m_nState])();
  }
  void RunEnter();
};

// Runs f; a text thrown from it goes to FatalLog (debug line and WM_CLOSE).
// True when nothing was thrown.
template <class F>
bool CatchSceneText(F&& f);
bool ReportSceneText(const std::string& text);

template <class F>
bool CatchSceneText(F&& f) {
  try {
    f();
    return true;
  } catch (const char* text) {
    return ReportSceneText(text ? text : "");
  } catch (const std::string& text) {
    return ReportSceneText(text);
  }
}
