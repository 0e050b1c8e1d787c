// The main loop and its frame clock.
#pragma once

#include <cstdint>

// Frames start at most this often: the driving moves the car once per frame,
// so an unpaced loop would make it uncontrollable on a fast machine.
// 1/60 s in nanoseconds, on the fine clock.
constexpr uint64_t FRAME_PERIOD_NS = 16666667;

// Runs until the quit event is taken; returns its exit code.
int32_t runMainLoop();

// How far from its due time a frame may start and still keep the 1/60 s
// grid. A loop that sleeps until a frame is due runs it no earlier and keeps
// the grid when it wakes up to 2 ms late. A loop woken by the display (the
// browser's animation frames, at 60, 120 or 144 a second) runs each frame at
// a wake-up within half a period of its due time, early or late: every such
// window holds one wake-up, so there are exactly 60 frames a second.
struct FrameWindow {
  uint64_t earlyNs;
  uint64_t lateNs;
};
constexpr FrameWindow SLEEPING_FRAME_WINDOW{0, 2000000};
constexpr FrameWindow WOKEN_FRAME_WINDOW{FRAME_PERIOD_NS / 2, FRAME_PERIOD_NS / 2};

enum class LoopStep {
  Event,  // one pending event was handled
  Wait,   // the next frame is not due yet; `waitUs` says for how long
  Frame,  // one frame ran
  Quit,   // the quit event was taken; its code is in `exitCode`
};

// The loop in its parts, for tests that move the clock between steps and
// for loops that the platform wakes. Starts the frame clock at the current
// time.
void startFrameClock();
// Does one thing without waiting: handles one pending event, or runs the
// next frame if it is due within `window`, or says how long until it is.
LoopStep stepMainLoop(int32_t& exitCode, uint32_t& waitUs, const FrameWindow& window);
// One step of the sleeping loop: a wait is slept (waking early for an
// event). False once the quit event has been taken; its code is then in
// `exitCode`.
bool runMainLoopStep(int32_t& exitCode);
// One frame that starts at the timer reading `now`: the frame clock, then
// driveFrame. The loop calls it once a frame is due; replays call it
// directly, without the pacing.
void runFrame(uint32_t now);
// True while the device's presents wait for a 60 Hz display and pace the
// frames; false when the loop sleeps between them.
bool presentsPaceFrames();

void resetMainLoopState();
