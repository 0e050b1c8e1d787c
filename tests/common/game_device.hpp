// The game's main window and present parameters, for programs and tests that
// open a device as the game does.
#pragma once

#include "platform/graphics.hpp"
#include "platform/system.hpp"

namespace rztest {

using namespace platform;

inline PresentParams gameParams() {
  PresentParams p{};
  p.backBufferWidth = 1024;
  p.backBufferHeight = 768;
  p.backBufferFormat = Format::X8R8G8B8;
  p.swapEffect = SWAP_EFFECT_DISCARD;
  p.enableAutoDepthStencil = 1;
  p.autoDepthStencilFormat = Format::D24S8;
  p.presentationInterval = PRESENT_INTERVAL_IMMEDIATE;
  return p;
}

inline WindowDesc gameWindow() {
  return {"MY_WINDOWS_CLASS", "NALIK Application", WINDOW_STYLE_OVERLAPPED, 0, 0, 400, 400, true};
}

}  // namespace rztest
