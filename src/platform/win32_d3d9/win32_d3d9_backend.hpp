// The Windows backend: a Win32 window and its messages, the keyboard through
// DirectInput 8, a full-screen Direct3D 9 device with the fixed-function
// pipeline, and the music through a DirectShow filter graph. No D3DX.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/display_options.hpp"

namespace platform::win32_d3d9 {

// Fills platform::services() with this backend's four services. False, with
// a message on standard error, when the backend cannot start. The options
// say how the device shows its picture.
bool install(const DisplayOptions& options = {});
// Releases the device, the music and the window; the services are cleared.
// Safe to call more than once.
void uninstall();

// For tests and tools: the device's back buffer read back as rows of r, g, b,
// a bytes, top row first. False when there is no device.
bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);

}  // namespace platform::win32_d3d9
