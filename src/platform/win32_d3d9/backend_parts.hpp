// The backend's services, one instance of each for the whole run, what they
// share (the main window and the program's instance), and the steps that put
// each back to its start when the backend is uninstalled.
#pragma once

#include <windows.h>

#include "platform/display_options.hpp"
#include "platform/services.hpp"

namespace platform::win32_d3d9 {

System* systemService();
Keyboard* keyboardService();
GraphicsSystem* graphicsService();
Music* musicService();

// The main window once the system service has created it; null before.
HWND mainWindowHandle();
HINSTANCE instanceHandle();
// How the player asked the game to be shown, as install was given it.
const DisplayOptions& displayOptions();
// Whether the graphics service's device is up and full screen.
bool fullScreenDeviceUp();

// Opens the DirectInput keyboard; a failure is said once on stderr and the
// keyboard then reads every key as released.
void startUpKeyboard();

void shutDownGraphics();
void shutDownKeyboard();
void shutDownMusic();
void shutDownSystem();

}  // namespace platform::win32_d3d9
