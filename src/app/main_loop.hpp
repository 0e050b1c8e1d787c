// The main loop and its frame clock.
#pragma once

#include <cstdint>

constexpr double FRAME_PERIOD_MS = 1000.0 / 60.0;

// Runs until the quit event is taken; returns its exit code.
int32_t runMainLoop();
