// The main loop and its frame clock.
#pragma once

#include <cstdint>

// Frames start at most this often: the driving moves the car once per frame,
// so an unpaced loop would make it uncontrollable on a fast machine.
// 1/60 s in nanoseconds, on the fine clock.
constexpr uint64_t FRAME_PERIOD_NS = 16666667;

// Runs until the quit event is taken; returns its exit code.
int32_t runMainLoop();

// The loop in its parts, for tests that move the clock between steps.
// Starts the frame clock at the current time.
void startFrameClock();
// Does one thing: handles one pending event, or waits for the next frame's
// time (waking early for an event), or runs one frame. False once the quit
// event has been taken; its code is then in `exitCode`.
bool runMainLoopStep(int32_t& exitCode);
// One frame that starts at the timer reading `now`: the frame clock, then
// driveFrame. The loop calls it once a frame is due; replays call it
// directly, without the pacing.
void runFrame(uint32_t now);
// True while the device's presents wait for a 60 Hz display and pace the
// frames; false when the loop sleeps between them.
bool presentsPaceFrames();

void resetMainLoopState();
