// Puts every record of the shell back to its zero start on a fresh null
// backend, so each test begins as a new run would.
#pragma once

#include <gtest/gtest.h>

#include "app/app_state.hpp"
#include "app/frame_driver.hpp"
#include "app/keyboard_input.hpp"
#include "app/main_loop.hpp"
#include "app/main_window.hpp"
#include "audio/background_music.hpp"
#include "platform/null/null_backend.hpp"
#include "render/graphics_device.hpp"
#include "sim/game_state.hpp"
#include "sim/scene.hpp"

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &platform::null::install();
    createAppState();
    resetMainWindowState();
    resetKeyboardState();
    resetMainLoopState();
    resetFrameDriverState();
    resetGraphicsDeviceState();
    resetMusicState();
    resetSceneState();
    resetGameState();
  }

  // Start-up as the game does it, up to the main loop.
  void startUp() {
    createKeyboard();
    createMainWindow();
    bindKeyboardToWindow();
    createGraphicsDevice();
    ASSERT_NE(device, nullptr);
  }

  platform::null::NullSystem& system() { return backend->system; }
  platform::null::NullDevice& nullDevice() { return *backend->graphics.device; }
  int frameCount() { return nullDevice().log.count("clear"); }

  static platform::Event keyDown(uint32_t virtualKey) {
    platform::Event e;
    e.type = platform::EventType::KeyDown;
    e.virtualKey = virtualKey;
    return e;
  }
  static platform::Event ofType(platform::EventType type) {
    platform::Event e;
    e.type = type;
    return e;
  }

  platform::null::Backend* backend = nullptr;
};
