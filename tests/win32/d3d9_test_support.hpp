// A device on the win32_d3d9 backend for pixel tests: the game's 1024x768
// full-screen device on its main window, run under Wine on a 1024x768 X
// server. Gives the same names as the GL backend's test support, so the
// hand-worked pixel cases run on both devices.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/services.hpp"
#include "platform/win32_d3d9/win32_d3d9_backend.hpp"

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

// One window and one device serve every test of the process, since making a
// full-screen device under Wine takes seconds; each test starts from a reset,
// which puts every state back to the device's start.
class DeviceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (shared) return;
    if (!win32_d3d9::install()) return;
    sys().registerWindowClass(gameWindow().className);
    if (!sys().createMainWindow(gameWindow())) return;
    sys().showMainWindow();
    shared = services().graphics->createDevice(gameParams());
  }
  void SetUp() override {
    ASSERT_NE(shared, nullptr) << "no Direct3D 9 device";
    graphics = services().graphics;
    device = shared;
    ASSERT_EQ(device->reset(gameParams()), Result::Ok);
  }

  // Pixel (x, y) of the back buffer, y from the top, as r, g, b, a.
  std::array<int, 4> pixel(int x, int y) {
    if (frame.empty()) readBack();
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return {frame[at], frame[at + 1], frame[at + 2], frame[at + 3]};
  }
  void readBack() {
    frame.clear();
    ASSERT_TRUE(win32_d3d9::readBackBuffer(frame, width, height));
  }

  static inline Device* shared = nullptr;
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
