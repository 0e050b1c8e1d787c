// A device on the win32_d3d9 backend for pixel tests: the game's 1024x768
// full-screen device on its main window, run under Wine on a 1024x768 X
// server. Gives the same names as the GL backend's test support, so the
// hand-worked pixel cases run on both devices.
#pragma once

#include "../common/device_checks.hpp"
#include "platform/win32_d3d9/win32_d3d9_backend.hpp"

namespace rztest {

// One window and one device serve every test of the process, since making a
// full-screen device under Wine takes seconds; each test starts from a reset,
// which puts every state back to the device's start.
class DeviceTest : public PixelTest<&win32_d3d9::readBackBuffer> {
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

  static inline Device* shared = nullptr;
};

}  // namespace rztest
