// The one graphics system and device, their present parameters, and the
// device creation that first sets up the scene.
#pragma once

#include <cstdint>

#include "platform/graphics.hpp"

// The refresh rate the game's frames run at: on a display of this rate the
// device's presents wait for the display.
constexpr uint32_t DISPLAY_SYNC_RATE = 60;

extern platform::GraphicsSystem* direct3d;
extern platform::Device* device;
extern platform::PresentParams presentParams;
extern uint32_t backBufferWidth;
extern uint32_t backBufferHeight;
extern uint8_t windowedFlag;
extern int32_t deviceCallCount;

// Checks the adapter, fills presentParams, creates the device; the first call
// that gets past the checks runs the scene set-up. Leaves `device` null on
// failure and writes what is missing to standard error.
void createGraphicsDevice();
// Releases the device, then the graphics system.
void releaseGraphicsDevice();
void resetGraphicsDeviceState();
