/* box_text TITLE: prints the text of the message box titled TITLE, as
   UTF-8, and exits 0; exits 1 when there is none within ten seconds. The
   text is read through the wide calls, as Windows shows it. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static BOOL CALLBACK printStatic(HWND child, LPARAM found) {
  wchar_t className[16];
  if (!GetClassNameW(child, className, 16) || lstrcmpiW(className, L"Static") != 0) return TRUE;
  wchar_t text[4096];
  const int length = GetWindowTextW(child, text, 4096);
  if (length == 0) return TRUE; /* the box's icon */
  char utf8[3 * 4096];
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, NULL, NULL);
  fwrite(utf8, 1, (size_t)bytes, stdout);
  *(int*)found = 1;
  return TRUE;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: box_text TITLE\n");
    return 2;
  }
  wchar_t title[256];
  MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, title, 256);
  for (int i = 0; i < 200; ++i) {
    HWND box = FindWindowW(L"#32770", title);
    if (box) {
      int found = 0;
      EnumChildWindows(box, printStatic, (LPARAM)&found);
      return found ? 0 : 1;
    }
    Sleep(50);
  }
  fprintf(stderr, "box_text: no message box titled %s\n", argv[1]);
  return 1;
}
