#include "app/main_window.hpp"

#include <algorithm>
#include <cstring>

#include "app/app_state.hpp"
#include "platform/services.hpp"
#include "render/graphics_device.hpp"

bool mainWindow = false;
char droppedFilePath[DROPPED_PATH_SIZE] = {};

namespace {

constexpr int32_t DEFAULT_WINDOW_SIDE = 400;

// One file of a drop: the path overwrites the buffer, cut to fit with its
// terminator, so a long path can never run past the end.
void takeDroppedFile(const std::string& path) {
  const size_t length = std::min(path.size(), size_t{DROPPED_PATH_SIZE - 1});
  std::memcpy(droppedFilePath, path.data(), length);
  droppedFilePath[length] = '\0';
  appState->fileDropped = 0;
}

}  // namespace

void createMainWindow() {
  // The device that follows takes the whole screen at this size.
  backBufferWidth = 1024;
  backBufferHeight = 768;
  windowedFlag = 0;

  platform::System& system = platform::sys();
  if (!system.registerWindowClass(WINDOW_CLASS_NAME)) return;

  if (appState->windowWidth == 0) appState->windowWidth = DEFAULT_WINDOW_SIDE;
  if (appState->windowHeight == 0) appState->windowHeight = DEFAULT_WINDOW_SIDE;
  if (appState->windowStyle == 0) appState->windowStyle = platform::WINDOW_STYLE_OVERLAPPED;

  const platform::WindowDesc desc{
      WINDOW_CLASS_NAME, WINDOW_CAPTION,        appState->windowStyle,  appState->windowX,
      appState->windowY, appState->windowWidth, appState->windowHeight, true};
  if (!system.createMainWindow(desc)) return;
  mainWindow = true;

  if (!appState->startHidden) system.showMainWindow();
  system.updateMainWindow();
}

void mainWindowProc(const platform::Event& event) {
  using platform::EventType;
  switch (event.type) {
    case EventType::Close:
    case EventType::Destroy:
      platform::sys().postQuit(0);
      break;
    case EventType::KeyDown:
      if (event.virtualKey == platform::VK_ESCAPE_CODE && !appState->ignoreEscape) {
        platform::sys().postQuit(0);
      }
      break;
    case EventType::MouseMove:
      appState->mouseX = static_cast<int16_t>(event.packedPosition & 0xFFFFu);
      appState->mouseY = static_cast<int16_t>(event.packedPosition >> 16);
      break;
    case EventType::DropBegin:
      break;
    case EventType::DropFile:
      takeDroppedFile(event.path);
      break;
    case EventType::DropComplete:
      appState->fileDropped = 1;
      break;
    case EventType::Quit:
      break;
  }
}

void resetMainWindowState() {
  mainWindow = false;
  std::fill(std::begin(droppedFilePath), std::end(droppedFilePath), '\0');
}
