/* Built as xinput1_4.dll and put beside the game by start_test.py: an XInput
   that reports one pad, so that a game which loads it says so. */
#include <windows.h>

__declspec(dllexport) DWORD WINAPI XInputGetState(DWORD pad, void* state) {
  ZeroMemory(state, 16); /* an XINPUT_STATE with nothing pressed */
  return pad == 0 ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;
}
