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
    options.window = true;
    ASSERT_TRUE(win32_d3d9::install(options));
    sys().registerWindowClass(gameWindow().className);
    ASSERT_TRUE(sys().createMainWindow(gameWindow()));
    sys().showMainWindow();
    device = services().graphics->createDevice(gameParams());
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override { win32_d3d9::uninstall(); }
  DisplayOptions options;

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

class SharpWindow : public DisplaySwitch {
 protected:
  void SetUp() override {
    options.sharp = true;
    DisplaySwitch::SetUp();
  }
  void expectBackBuffer(LONG w, LONG h) {
    readBack();
    EXPECT_EQ(width, static_cast<uint32_t>(w));
    EXPECT_EQ(height, static_cast<uint32_t>(h));
  }
};

TEST_F(SharpWindow, BackBufferIsThePicturesPlaceInTheWindowAndFollowsIt) {
  HWND window = win32_d3d9::mainWindowHandle();
  RECT client{};
  GetClientRect(window, &client);
  expectBackBuffer(client.right, client.bottom);  // the window is 4:3 already
  // A window whose inside is 800x450: the picture 600x450 between bars.
  RECT outer{0, 0, 800, 450};
  AdjustWindowRect(&outer, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(device->present(), Result::Ok);
  expectBackBuffer(600, 450);
  // The game's text rectangle and height stay in its 1024x768 terms.
  const FontHandle font = device->createFont(62, 400, "");
  ASSERT_NE(font, 0u);
  device->clear(CLEAR_TARGET, 0xFF000000, 1, 0);
  device->beginScene();
  const int32_t drawn =
      device->drawText(font, "Dulmar", 6, Rect{512, 384, 1024, 768}, TEXT_LEFT_TOP, 0xFFFFFFFF);
  device->endScene();
  EXPECT_NEAR(drawn, 62, 2);
  frame.clear();
  const Ink ink = inkOf([&](int x, int y) { return pixel(x, y); }, 600, 450, 255, 255, 255);
  // At (300, 225) of the 600x450 back buffer, within the font's leading.
  EXPECT_GE(ink.left, 300);
  EXPECT_LT(ink.left, 320);
  EXPECT_GE(ink.top, 225);
  EXPECT_LT(ink.top, 250);
}

}  // namespace
}  // namespace rztest
