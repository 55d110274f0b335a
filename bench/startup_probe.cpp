// The yardstick of bench/startup.py: the least an SDL program does to show
// one frame in a window like the player's (640x480 client area, centred,
// hidden until shown, software renderer, a streaming ARGB8888 texture). It
// shows a light frame and keeps it there until SIGTERM.
#include <SDL.h>

#include <csignal>
#include <cstdint>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSigterm(int) { g_stop = 1; }

}  // namespace

int main(int, char**) {
  std::signal(SIGTERM, OnSigterm);
  // The player's hints: no SDL signal handlers, frames drawn in software.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    SDL_Log("startup-probe: %s", SDL_GetError());
    return 1;
  }
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);  // the player opens it too; failure is no matter
  SDL_Window* win = SDL_CreateWindow("startup-probe", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                                     SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  SDL_Renderer* ren = win ? SDL_CreateRenderer(win, -1, 0) : nullptr;
  SDL_Texture* tex =
      ren ? SDL_CreateTexture(ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 640, 480) : nullptr;
  if (!tex) {
    SDL_Log("startup-probe: %s", SDL_GetError());
    return 1;
  }
  std::vector<uint32_t> frame(640 * 480, 0xFFC0C0C0u);
  SDL_ShowWindow(win);
  auto present = [&] {
    SDL_UpdateTexture(tex, nullptr, frame.data(), 640 * 4);
    SDL_RenderClear(ren);
    SDL_RenderCopy(ren, tex, nullptr, nullptr);
    SDL_RenderPresent(ren);
  };
  present();
  while (!g_stop) {
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, 10)) continue;
    if (e.type == SDL_QUIT) break;
    // The same frame again whenever the window was uncovered or shown.
    if (e.type == SDL_WINDOWEVENT &&
        (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN))
      present();
  }
  SDL_DestroyTexture(tex);
  SDL_DestroyRenderer(ren);
  SDL_DestroyWindow(win);
  SDL_Quit();
  return 0;
}
