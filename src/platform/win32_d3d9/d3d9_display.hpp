// How the device's picture is shown on Windows: exclusive full screen at the
// back buffer's size (the game's own way), in a window of any size, or full
// screen over the desktop without changing its mode. The last two use a
// windowed device in the main window, which is shaped to suit, and show the
// back buffer at 4:3 in it with black bars.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>

#include "platform/display_options.hpp"

namespace platform::win32_d3d9 {

enum class Shown { Exclusive, Window, Desktop };

// How the run starts, from the player's options.
Shown startingShown(const DisplayOptions& options);
// What Alt+Enter goes to from `shown`: the window, or back to the full
// screen the options ask for.
Shown switchedShown(Shown shown, const DisplayOptions& options);
// The game's present parameters for a way of showing: a windowed device
// (copying presents, which can scale into a part of the window) for the
// window and the desktop, the game's own otherwise. With options.sharp a
// windowed device's back buffer is the picture's place in the window.
void fitPresentParameters(Shown shown, const DisplayOptions& options, HWND window,
                          D3DPRESENT_PARAMETERS& p);
// Gives the main window the style, size and place of a way of showing: a
// resizable window of the picture's size centred in the work area (smaller
// where it has no room), or a borderless one over the whole monitor. Nothing
// for exclusive full screen, where the device takes the window itself.
void shapeWindow(HWND window, Shown shown, uint32_t pictureWidth, uint32_t pictureHeight);
// Where the picture goes in the window's client area: 4:3, centred.
RECT pictureRect(HWND window, uint32_t pictureWidth, uint32_t pictureHeight);

}  // namespace platform::win32_d3d9
