// The display options on the Direct3D 9 device, in a process of their own
// (ctest runs DisplaySwitch.* apart): --window makes a windowed device in a
// window of the picture's shape, and Alt+Enter goes to the exclusive
// 1024x768 device and back through the device's own reset, with what the
// game set on the device still set and its meshes and textures kept.
#include <windows.h>

#include "../common/device_checks.hpp"
#include "../common/game_device.hpp"
#include "platform/win32_d3d9/backend_parts.hpp"
#include "platform/win32_d3d9/d3d9_device.hpp"
#include "platform/win32_d3d9/win32_d3d9_backend.hpp"

namespace rztest {
namespace {

using win32_d3d9::D3d9Device;

class DisplaySwitch : public PixelTest<&win32_d3d9::readBackBuffer> {
 protected:
  void SetUp() override {
    DisplayOptions options;
    options.window = true;
    ASSERT_TRUE(win32_d3d9::install(options));
    sys().registerWindowClass(gameWindow().className);
    ASSERT_TRUE(sys().createMainWindow(gameWindow()));
    sys().showMainWindow();
    device = services().graphics->createDevice(gameParams());
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override { win32_d3d9::uninstall(); }

  bool fullScreen() { return static_cast<D3d9Device*>(device)->fullScreen(); }
  // Alt+Enter as the window procedure sees it; the switch follows the next
  // present.
  void altEnter() {
    SendMessageA(win32_d3d9::mainWindowHandle(), WM_SYSKEYDOWN, VK_RETURN, 1 | (1 << 29));
    EXPECT_EQ(device->present(), Result::Ok);
  }
  // The quad over the whole view, in the material's emissive colour alone.
  void drawQuad(MeshHandle mesh) {
    frame.clear();
    device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    device->beginScene();
    device->drawSubset(mesh, 0);
    device->endScene();
  }
};

TEST_F(DisplaySwitch, AWindowedDeviceGoesFullScreenAndBackKeepingWhatTheGameSet) {
  EXPECT_FALSE(fullScreen());
  RECT client{};
  GetClientRect(win32_d3d9::mainWindowHandle(), &client);
  // Inside the 1024x768 screen with its frame, so smaller, at 4:3.
  EXPECT_LT(client.right, 1024);
  EXPECT_GT(client.right, 600);
  EXPECT_NEAR(client.right * 3, client.bottom * 4, 4);

  const MeshHandle mesh = wholeViewQuad(device);
  ASSERT_NE(mesh, 0u);
  Material red{};
  red.emissive = {1, 0.25f, 0, 1};
  device->setMaterial(red);
  drawQuad(mesh);
  EXPECT_RGB_NEAR(pixel(512, 384), 255, 64, 0, 1);

  // Set once, before: a reset that forgot it would draw black.
  altEnter();
  EXPECT_TRUE(fullScreen());
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);
  drawQuad(mesh);
  EXPECT_RGB_NEAR(pixel(512, 384), 255, 64, 0, 1);

  altEnter();
  EXPECT_FALSE(fullScreen());
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);
  drawQuad(mesh);
  EXPECT_RGB_NEAR(pixel(512, 384), 255, 64, 0, 1);
  EXPECT_EQ(device->present(), Result::Ok);
}

}  // namespace
}  // namespace rztest
