// The game on Windows: Win32, Direct3D 9, DirectInput 8 and DirectShow.
#include <windows.h>

#include <filesystem>
#include <string>

#include "app/command_line.hpp"
#include "app/data_folder.hpp"
#include "app/entry.hpp"
#include "platform/win32_d3d9/win32_d3d9_backend.hpp"
#include "platform/win32_d3d9/win_messages.hpp"

namespace {

// The folder riderozad.exe lies in: the unpacked zip holds the data beside it.
void moveToDataFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      findDataFolder({}, {}, "GetModuleFileName failed");
      return;
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  findDataFolder(std::filesystem::path(path).parent_path(), {}, "");
}

// A player who started the game from Explorer sees no standard error: one
// box says why it could not start. The messages are UTF-8 (folder names in
// any script); the wide call shows them intact whatever the code page.
void showStartFailure(const std::string& said) {
  const std::string text =
      "Riderozad cannot start.\n\n" + said +
      "\nThe game needs Direct3D 9 and a display that can show 1024 x 768 full screen in "
      "32-bit colour.";
  const int length = static_cast<int>(text.size());
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
  MessageBoxW(nullptr, wide.c_str(), L"Riderozad", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32_d3d9::startPassingMessages();
  // The C runtime's arguments: the options are plain ASCII.
  platform::DisplayOptions options;
  if (const int32_t answered =
          answerCommandLine(__argc, __argv, "  the folder riderozad.exe lies in\n", options);
      answered >= 0) {
    platform::win32_d3d9::stopPassingMessages();
    return answered;
  }
  moveToDataFolder();
  int32_t exitCode = 1;
  if (platform::win32_d3d9::install(options)) {
    exitCode = runGame();
    platform::win32_d3d9::uninstall();
  }
  const std::string said = platform::win32_d3d9::stopPassingMessages();
  // Only start-up ends with another code than 0 (Escape and closing give 0).
  if (exitCode != 0) showStartFailure(said);
  return exitCode;
}
