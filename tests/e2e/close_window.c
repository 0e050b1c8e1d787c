/* Asks X windows to close the way a window manager does: a WM_DELETE_WINDOW
 * client message, not a destruction. Usage: close_window WINDOW_ID... */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs("usage: close_window WINDOW_ID...\n", stderr);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fputs("close_window: cannot open the display\n", stderr);
    return 1;
  }
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  for (int i = 1; i < argc; ++i) {
    char* end = NULL;
    const unsigned long id = strtoul(argv[i], &end, 0);
    if (!end || *end != '\0' || id == 0) {
      fprintf(stderr, "close_window: not a window id: %s\n", argv[i]);
      XCloseDisplay(display);
      return 2;
    }
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window)id;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)deleteWindow;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, (Window)id, False, NoEventMask, &event);
  }
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}
