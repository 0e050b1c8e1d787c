// A device on the sdl_gl backend for pixel tests: 1024x768, full screen,
// offscreen unless the environment names another video driver.
#pragma once

#include <cstdlib>

#include "../common/device_checks.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"

namespace rztest {

class DeviceTest : public PixelTest<&sdl_gl::readBackBuffer> {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_TRUE(sdl_gl::install(displayOptions));
    ASSERT_TRUE(sys().createMainWindow(gameWindow()));
    graphics = services().graphics;
    device = graphics->createDevice(gameParams());
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override { sdl_gl::uninstall(); }
  DisplayOptions displayOptions;
};

}  // namespace rztest
