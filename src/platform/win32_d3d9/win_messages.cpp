#include "platform/win32_d3d9/win_messages.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform::win32_d3d9 {

namespace {

constexpr size_t KEPT_BYTES = 4096;

HANDLE target = INVALID_HANDLE_VALUE;  // where standard error goes on
HANDLE readEnd = nullptr;
HANDLE copier = nullptr;
std::string said;  // written by the copier until it has ended

bool usable(HANDLE h) {
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

void toDebugger(std::string& line) {
  if (line.empty()) return;
  OutputDebugStringA(line.c_str());
  line.clear();
}

DWORD WINAPI copyMessages(void*) {
  char buffer[512];
  std::string line;
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    DWORD written = 0;
    if (usable(target)) WriteFile(target, buffer, got, &written, nullptr);
    said.append(buffer, got);
    if (said.size() > 2 * KEPT_BYTES) said.erase(0, said.size() - KEPT_BYTES);
    for (DWORD i = 0; i < got; ++i) {
      line.push_back(buffer[i]);
      if (buffer[i] == '\n') toDebugger(line);
    }
  }
  toDebugger(line);
  return 0;
}

// Points the C library's standard error at a handle of ours, which it then
// owns. False, with the handle closed, when it cannot.
bool redirectStandardError(HANDLE h, int flags) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
  if (fd < 0) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return false;
  }
  const bool moved = _dup2(fd, _fileno(stderr)) == 0;
  _close(fd);
  return moved;
}

}  // namespace

void startPassingMessages() {
  if (copier) return;
  // A copy of its own: redirecting the C library's standard error below
  // closes the handle it had, which is this one.
  const HANDLE given = GetStdHandle(STD_ERROR_HANDLE);
  target = INVALID_HANDLE_VALUE;
  if (usable(given))
    DuplicateHandle(GetCurrentProcess(), given, GetCurrentProcess(), &target, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
  if (!usable(target) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    target = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return;
  copier = CreateThread(nullptr, 0, copyMessages, nullptr, 0, nullptr);
  if (!copier) {
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    readEnd = nullptr;
    return;
  }
  std::fflush(stderr);
  // Binary: lines end in "\n" as the game writes them, on a console too. If
  // the write end cannot be put in place it is closed, and the copier ends.
  redirectStandardError(writeEnd, _O_WRONLY | _O_BINARY);
}

std::string stopPassingMessages() {
  if (!copier) return {};
  std::fflush(stderr);
  // Replacing the pipe's only write end ends the copier's reads.
  HANDLE back = INVALID_HANDLE_VALUE;
  if (usable(target))
    DuplicateHandle(GetCurrentProcess(), target, GetCurrentProcess(), &back, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
  if (back == INVALID_HANDLE_VALUE)
    back = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  // Whatever happens, the pipe's write end must close, or the copier waits
  // for ever.
  if (!redirectStandardError(back, _O_WRONLY | _O_BINARY)) _close(_fileno(stderr));
  WaitForSingleObject(copier, INFINITE);
  CloseHandle(copier);
  CloseHandle(readEnd);
  if (usable(target)) CloseHandle(target);
  copier = nullptr;
  readEnd = nullptr;
  target = INVALID_HANDLE_VALUE;
  std::string text;
  text.swap(said);
  return text;
}

}  // namespace platform::win32_d3d9
