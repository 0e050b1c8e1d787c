// The application state record, created zero-filled at start-up and reached
// through one process-wide pointer.
#pragma once

#include <cstdint>

struct AppState {
  float frameStep;  // milliseconds since the previous frame, times 0.01
  int32_t fileDropped;
  uint32_t windowStyle;  // 0 stands for the overlapped style 0x00CF0000
  int32_t mouseX;
  int32_t mouseY;
  uint8_t startHidden;
  int32_t afterReset;  // 1 once a device reset has been started
  int32_t windowX;
  int32_t windowY;
  int32_t windowWidth;   // 0 stands for 400
  int32_t windowHeight;  // 0 stands for 400
  int32_t framesPerSecond;
  uint8_t skipPresent;
  uint8_t ignoreEscape;
};

extern AppState* appState;

// Points appState at a fresh zero-filled record.
void createAppState();
