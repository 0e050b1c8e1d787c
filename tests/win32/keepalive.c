// A hidden window that stays up for the whole Wine session. While a Win32
// program runs, Wine keeps its desktop and services up; without one, Wine
// shuts them down after each program and the next program's start waits
// about ten seconds for them to come back. wine_session.sh starts this and
// ends it with the session.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "RZ_KEEPALIVE";
  if (!RegisterClassA(&wc)) return 1;
  // Never shown: it must not take the foreground or cover the game.
  if (!CreateWindowA("RZ_KEEPALIVE", "", 0, 0, 0, 1, 1, NULL, NULL, instance, NULL)) return 1;
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
