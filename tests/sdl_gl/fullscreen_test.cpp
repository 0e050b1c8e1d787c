// On a real X server (run_under_xvfb.sh starts one of 1280x720): the window
// covers the whole screen as X itself reports it, the picture sits in it at
// 4:3 between black bars, keys and pads reach the game together, only while
// its window is the active one, and unmapping the window loses the device
// until it is mapped again and reset. With --sharp the back buffer is the
// picture's place on the screen and follows the window; Alt+Enter switches
// to a window and back without losing the device or starting the drive.
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/keyboard_input.hpp"
#include "gl_test_support.hpp"
#include "virtual_pad.hpp"

namespace rztest {
namespace {

std::string output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

class FullScreen : public DeviceTest {
 protected:
  void SetUp() override {
    if (!std::getenv("RZ_XVFB_TEST")) GTEST_SKIP() << "run by run_under_xvfb.sh";
    DeviceTest::SetUp();
  }
  // Takes events for a while, presenting the clear colour meanwhile.
  std::vector<Event> pump(int ms, uint32_t argb = 0xFF20C040) {
    std::vector<Event> events;
    const uint32_t end = sys().timeMs() + ms;
    while (sys().timeMs() < end) {
      Event e;
      while (sys().peekEvent(e)) events.push_back(e);
      device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, argb, 1, 0);
      device->present();
      sys().sleep(10);
    }
    return events;
  }
  // The window's line in X's own tree: id, then WxH+X+Y.
  bool windowGeometry(std::string& id, std::string& geometry) {
    const std::string tree = output("xwininfo -root -tree");
    const size_t at = tree.find("\"NALIK Application\"");
    if (at == std::string::npos) return false;
    const size_t lineStart = tree.rfind('\n', at) + 1;
    const std::string line = tree.substr(lineStart, tree.find('\n', at) - lineStart);
    char idBuf[64] = {}, geoBuf[64] = {};
    if (std::sscanf(line.c_str(), " %63s", idBuf) != 1) return false;
    const size_t close = line.find(')', line.find("\"NALIK Application\""));
    if (close == std::string::npos || std::sscanf(line.c_str() + close + 1, " %63s", geoBuf) != 1)
      return false;
    id = idBuf;
    geometry = geoBuf;
    return true;
  }
};

TEST_F(FullScreen, CoversTheScreenWithThePictureBetweenBars) {
  pump(500);
  std::string id, geometry;
  ASSERT_TRUE(windowGeometry(id, geometry));
  EXPECT_EQ(geometry, "1280x720+0+0");
  const std::string shot = output("import -window root -depth 8 rgb:-");
  ASSERT_EQ(shot.size(), 1280u * 720 * 3);
  auto at = [&](int x, int y) {
    const size_t i = (static_cast<size_t>(y) * 1280 + x) * 3;
    return std::array<int, 3>{static_cast<uint8_t>(shot[i]), static_cast<uint8_t>(shot[i + 1]),
                              static_cast<uint8_t>(shot[i + 2])};
  };
  // 960x720 of picture from x 160 to 1119.
  EXPECT_RGB_NEAR(at(640, 360), 0x20, 0xC0, 0x40, 0);
  EXPECT_RGB_NEAR(at(162, 5), 0x20, 0xC0, 0x40, 0);
  EXPECT_RGB_NEAR(at(1117, 714), 0x20, 0xC0, 0x40, 0);
  EXPECT_RGB_NEAR(at(157, 360), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(at(1122, 360), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(at(0, 0), 0, 0, 0, 0);
}

TEST_F(FullScreen, KeysReachTheGame) {
  pump(300);
  EXPECT_TRUE(sys().isMainWindowActive());
  std::system("xdotool keydown Up");
  pump(200);
  uint8_t keys[KEY_STATE_SIZE] = {};
  services().keyboard->getState(keys);
  EXPECT_EQ(keys[DIK_UP], 0x80);
  EXPECT_EQ(keys[DIK_DOWN], 0);
  std::system("xdotool keyup Up key Escape");
  bool escape = false;
  for (const Event& e : pump(300))
    if (e.type == EventType::KeyDown && e.virtualKey == VK_ESCAPE_CODE) escape = true;
  EXPECT_TRUE(escape);
  services().keyboard->getState(keys);
  EXPECT_EQ(keys[DIK_UP], 0);
}

TEST_F(FullScreen, KeysAndPadHeldTogetherEachLetGoAlone) {
  pump(300);
  VirtualPad pad("Riderozad test pad");
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  uint8_t keys[KEY_STATE_SIZE] = {};
  const auto read = [&] {
    pump(200);
    services().keyboard->getState(keys);
  };
  std::system("xdotool keydown Up");
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  read();
  EXPECT_EQ(keys[DIK_UP], 0x80);
  EXPECT_EQ(keys[DIK_LEFT], 0x80);
  std::system("xdotool keyup Up");
  read();
  EXPECT_EQ(keys[DIK_UP], 0);
  EXPECT_EQ(keys[DIK_LEFT], 0x80);
  // Both hold Up: letting go of either leaves it held by the other.
  std::system("xdotool keydown Up");
  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  read();
  EXPECT_EQ(keys[DIK_UP], 0x80);
  EXPECT_EQ(keys[DIK_LEFT], 0);
  pad.button(SDL_CONTROLLER_BUTTON_A, false);
  read();
  EXPECT_EQ(keys[DIK_UP], 0x80);
  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  std::system("xdotool keyup Up");
  read();
  EXPECT_EQ(keys[DIK_UP], 0x80);
  pad.button(SDL_CONTROLLER_BUTTON_A, false);
  read();
  EXPECT_EQ(keys[DIK_UP], 0);
}

TEST_F(FullScreen, PadCountsOnlyWhileTheWindowIsActive) {
  pump(300);
  VirtualPad pad("Riderozad test pad");
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  pad.button(SDL_CONTROLLER_BUTTON_START, true);
  createKeyboard();
  readKeyboard();
  EXPECT_TRUE(isKeyDown(DIK_UP));
  EXPECT_TRUE(isKeyDown(DIK_RETURN));
  SDL_Window* other = SDL_CreateWindow("other", 0, 0, 200, 200, SDL_WINDOW_SHOWN);
  ASSERT_NE(other, nullptr);
  pump(200);
  SDL_SetWindowInputFocus(other);
  pump(300);
  EXPECT_FALSE(sys().isMainWindowActive());
  readKeyboard();
  // The snapshot still shows the pad; the key test ignores it.
  EXPECT_EQ(KeyState[DIK_UP], 0x80);
  EXPECT_FALSE(isKeyDown(DIK_UP));
  EXPECT_FALSE(isKeyDown(DIK_RETURN));
  // With no window of the game's active at all, the pad is still read, as
  // the keyboard is: what changed meanwhile holds when the game is back.
  SDL_DestroyWindow(other);
  pump(300);
  EXPECT_EQ(SDL_GetKeyboardFocus(), nullptr);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  pad.button(SDL_CONTROLLER_BUTTON_Y, true);
  pump(200);
  SDL_SetWindowInputFocus(sdl_gl::deviceWindow());
  pump(300);
  readKeyboard();
  EXPECT_FALSE(isKeyDown(DIK_UP));
  EXPECT_TRUE(isKeyDown(DIK_RETURN));
  EXPECT_TRUE(isKeyDown(DIK_SPACE));
  resetKeyboardState();
}

TEST_F(FullScreen, UnmappedWindowLosesTheDevice) {
  pump(300);
  std::string id, geometry;
  ASSERT_TRUE(windowGeometry(id, geometry));
  std::system(("xdotool windowunmap --sync " + id).c_str());
  pump(200);
  EXPECT_EQ(device->present(), Result::DeviceLost);
  EXPECT_EQ(device->testCooperativeLevel(), Result::DeviceLost);
  std::system(("xdotool windowmap --sync " + id).c_str());
  pump(200);
  EXPECT_EQ(device->testCooperativeLevel(), Result::DeviceNotReset);
  EXPECT_EQ(device->reset(gameParams()), Result::Ok);
  EXPECT_EQ(device->present(), Result::Ok);
  ASSERT_TRUE(windowGeometry(id, geometry));
  EXPECT_EQ(geometry, "1280x720+0+0");
  // Back on the screen, the window has the keyboard again.
  pump(200);
  EXPECT_TRUE(sys().isMainWindowActive());
  std::system("xdotool key Escape");
  bool escape = false;
  for (const Event& e : pump(300))
    if (e.type == EventType::KeyDown && e.virtualKey == VK_ESCAPE_CODE) escape = true;
  EXPECT_TRUE(escape);
}

class FullScreenSharp : public FullScreen {
 protected:
  void SetUp() override {
    displayOptions.sharp = true;
    FullScreen::SetUp();
  }
  void expectBackBuffer(uint32_t w, uint32_t h) {
    readBack();
    EXPECT_EQ(width, w);
    EXPECT_EQ(height, h);
  }
};

TEST_F(FullScreenSharp, BackBufferFollowsThePicturesPlaceAndAltEnterSwitches) {
  pump(300);
  expectBackBuffer(960, 720);
  // The game still sees its own size.
  EXPECT_EQ(sys().clientRect().right, 1024);
  EXPECT_EQ(sys().clientRect().bottom, 768);

  std::system("xdotool keydown alt keydown Return");
  bool enterSeen = false;
  for (const Event& e : pump(300))
    if (e.type == EventType::KeyDown && e.virtualKey == 0x0D) enterSeen = true;
  uint8_t keys[KEY_STATE_SIZE] = {};
  services().keyboard->getState(keys);
  std::system("xdotool keyup Return keyup alt");
  EXPECT_FALSE(enterSeen);
  EXPECT_EQ(keys[DIK_RETURN], 0);
  SDL_Window* window = sdl_gl::deviceWindow();
  EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);

  // A window of 640x480, then one of 800x800: 4:3 between bars above and below.
  SDL_SetWindowSize(window, 640, 480);
  pump(300);
  expectBackBuffer(640, 480);
  SDL_SetWindowSize(window, 800, 800);
  pump(300);
  expectBackBuffer(800, 600);

  std::system("xdotool key alt+Return");
  pump(300);
  EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
  expectBackBuffer(960, 720);
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);
}

}  // namespace
}  // namespace rztest
