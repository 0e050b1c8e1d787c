// The browser backend: the page's canvas as the main window, html5 events
// and the Gamepad API, a WebGL2 device that shares the desktop's GL code,
// stb_truetype text and an <audio> element for the music.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/display_options.hpp"

namespace platform::web_gl {

// Where the page's data package puts the game's folder: Data/, the lanes
// and the music, as the desktop game has them beside it.
constexpr const char* GAME_FOLDER = "/riderozad";

// Registers the page's event handlers and fills platform::services() with
// this backend's four services. False, with a message, when it cannot.
// With options.sharp the device draws at the canvas's size, which the page
// sets to the pixels it is shown on.
bool install(const DisplayOptions& options = {});
// Releases the device and the music, lets the page's events go, clears the
// services and tells the page that the drive has ended.
void uninstall();

// Calls `step` from the browser's animation frames (from a timer while the
// page is hidden, where animation frames stop) until it returns false.
// Nothing blocks: a sleep asked of the system service only holds the calls
// back until it has passed.
void wakeEachFrame(bool (*step)());

// Tells the page that the game could not start; what it said on standard
// error is shown there.
void tellPageStartFailed();

// For tests: the device's back buffer as rows of r, g, b, a bytes, top row
// first. False when there is no device.
bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);

}  // namespace platform::web_gl
