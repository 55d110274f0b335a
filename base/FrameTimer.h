#pragma once
// Frame timing on the millisecond clock (platform/Clock.h, replaceable in
// tests): frame times, frames per second, the due-time pacing of the
// DirectDraw back end, the per-second schedule of the Direct3D back end and
// the stage clock's cycle counter. Times are 32-bit milliseconds and every
// comparison survives the clock's wrap at 2^32.
#include <cstdint>
#include <string>

// Frame start = now.
void StartFrameTimer();
// measure: last frame time = now - frame start; else the last measured value.
uint32_t GetFrameTime(bool measure);
// mode 0 resets (0), mode 2 asks whether the cycle is at its start, any other
// mode counts one and gives 1 when the count reaches period.
int CountCycle(int mode, uint32_t period);
// count: counts one frame of the current second; when a second has passed the
// frames counted in it become the result (this call is not counted).
// Without count: the last completed second's figure.
uint32_t GetFps(bool count);
// True when the next frame is due at this rate; the next slot counts from now,
// so a stall never causes a burst of catch-up frames. Rate 0 is always due.
bool IsNextFrameDue(int rate);
// Frame k of a pacing second is due k * 1000 / rate ms after it began; after
// rate frames the second restarts. With showOverlay and a font surface the
// statistics are drawn through the overlay printer. Always true for rate 0 or
// while pacing is off.
bool PaceFrame(int rate, bool showOverlay = false, void* fontSurface = nullptr);

// The graphics layer switches PaceFrame off while the Direct3D back end does
// not run (on by default).
void SetPaceFrameActive(bool active);
// Draws text on the back buffer at (x, y) with cellWidth x cellHeight cells of
// the font surface; installed by the graphics layer.
using FrameOverlayPrinter = void (*)(void* fontSurface, int x, int y, int cellWidth, int cellHeight,
                                     const std::string& text);
void SetFrameOverlayPrinter(FrameOverlayPrinter printer);

// Every time base starts again at its next use (tests).
void ResetFrameTiming();
