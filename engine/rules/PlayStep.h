#pragma once
// One displayed frame of a running stage without the scene: input, clocks
// and the n sub-steps of the stage's rules in their fixed order. The play
// scene draws after a frame that reports kFrameDone; the other results end
// the frame without drawing.
class cPlayWorld;

enum PlayFrameResult {
  kFrameDone = 0,     // every sub-step ran; the frame is drawn
  kFrameQuit,         // a quit was requested; the window was asked to close
  kFramePause,        // Space: the scene is in state 3
  kFrameReplayEnded,  // the replay looped back to its start (state 1)
  kFrameStageEnd,     // EndStage ran; the scene is in state 4
  kFrameHeroDeath,    // the hero died this frame
  kFrameStopped,      // a rule ended the frame (a defeat or death check)
};

// Runs one frame on the play world (normally PlayScene).
PlayFrameResult PlayFrame(cPlayWorld* world);
