// One frame: wait out a lost device and reset it, or clear, read the keyboard,
// run the game's frame and present.
#pragma once

#include <cstdint>

struct ClearColor {
  float r, g, b;
};

extern uint8_t deviceLost;
extern ClearColor clearColor;

void driveFrame();
// The opaque ARGB value the back buffer is cleared with.
uint32_t clearColorArgb(const ClearColor& c);
void resetFrameDriverState();
