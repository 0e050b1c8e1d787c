// A device on the sdl_gl backend for pixel tests: 1024x768, full screen,
// offscreen unless the environment names another video driver.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/services.hpp"

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

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_TRUE(sdl_gl::install());
    ASSERT_TRUE(sys().createMainWindow(gameWindow()));
    graphics = services().graphics;
    device = graphics->createDevice(gameParams());
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override { sdl_gl::uninstall(); }

  // Pixel (x, y) of the back buffer, y from the top, as r, g, b, a.
  std::array<int, 4> pixel(int x, int y) {
    if (frame.empty()) readBack();
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return {frame[at], frame[at + 1], frame[at + 2], frame[at + 3]};
  }
  void readBack() {
    frame.clear();
    ASSERT_TRUE(sdl_gl::readBackBuffer(frame, width, height));
  }

  GraphicsSystem* graphics = nullptr;
  Device* device = nullptr;
  std::vector<uint8_t> frame;
  uint32_t width = 0, height = 0;
};

inline Matrix identityMatrix() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
  return m;
}

}  // namespace rztest

// Colour channels within `tolerance` of (r, g, b).
#define EXPECT_RGB_NEAR(px, r, g, b, tolerance) \
  do {                                          \
    const auto p_ = (px);                       \
    EXPECT_NEAR(p_[0], (r), (tolerance));       \
    EXPECT_NEAR(p_[1], (g), (tolerance));       \
    EXPECT_NEAR(p_[2], (b), (tolerance));       \
  } while (0)
