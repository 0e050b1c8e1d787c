/* Takes the foreground from the game and gives it back, as a player's
   switch to another program does: a window of its own is brought to the
   front, and on a line from standard input the game's window is restored
   and made the foreground window again. Prints "taken" and "given back" as
   each step is done; exits 0, or 1 when the game's window is not found. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static HWND findGame(void) {
  for (int i = 0; i < 200; ++i) {
    HWND game = FindWindowA("MY_WINDOWS_CLASS", "NALIK Application");
    if (game) return game;
    Sleep(50);
  }
  return NULL;
}

/* Handles what is queued for the helper's window, without waiting. */
static void pump(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int main(void) {
  HWND game = findGame();
  if (!game) {
    fprintf(stderr, "foreground: the game's window is not there\n");
    return 1;
  }
  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "riderozad_foreground";
  RegisterClassA(&wc);
  HWND own = CreateWindowExA(0, wc.lpszClassName, "foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             100, 100, 300, 200, NULL, NULL, wc.hInstance, NULL);
  if (!own) {
    fprintf(stderr, "foreground: no window of its own\n");
    return 1;
  }
  SetForegroundWindow(own);
  pump();
  printf("taken\n");
  fflush(stdout);

  char line[64];
  if (!fgets(line, sizeof line, stdin)) return 0; /* asked to stop: leave it lost */
  ShowWindow(game, SW_RESTORE);
  SetForegroundWindow(game);
  pump();
  DestroyWindow(own);
  pump();
  printf("given back\n");
  fflush(stdout);
  return 0;
}
