// Gamepads through SDL's virtual joystick: each control's key byte, the
// stick's thresholds, and pads plugged in and pulled out while frames run.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/services.hpp"
#include "virtual_pad.hpp"

namespace rztest {
namespace {

using namespace platform;

class Pad : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_TRUE(sdl_gl::install());
  }
  void TearDown() override { sdl_gl::uninstall(); }

  // One frame's read of the keyboard service, as the frame driver makes it.
  std::vector<int> keysDown() {
    uint8_t state[KEY_STATE_SIZE] = {};
    services().keyboard->getState(state);
    std::vector<int> down;
    for (int code = 0; code < KEY_STATE_SIZE; ++code) {
      if (state[code] == 0x80)
        down.push_back(code);
      else
        EXPECT_EQ(state[code], 0) << "code " << code;
    }
    return down;
  }
  static std::vector<int> only(int code) { return {code}; }
  const std::vector<int> none;
};

TEST_F(Pad, EachControlSetsOnlyItsKeyAndNothingQuits) {
  VirtualPad pad("Riderozad test pad");
  // Triggers rest at the low end of the joystick's axis.
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  EXPECT_EQ(keysDown(), none);
  struct Button {
    SDL_GameControllerButton button;
    int code;
  };
  for (const Button& b :
       {Button{SDL_CONTROLLER_BUTTON_DPAD_LEFT, DIK_LEFT},
        Button{SDL_CONTROLLER_BUTTON_DPAD_RIGHT, DIK_RIGHT},
        Button{SDL_CONTROLLER_BUTTON_A, DIK_UP}, Button{SDL_CONTROLLER_BUTTON_X, DIK_DOWN},
        Button{SDL_CONTROLLER_BUTTON_START, DIK_RETURN},
        Button{SDL_CONTROLLER_BUTTON_Y, DIK_SPACE}}) {
    pad.button(b.button, true);
    EXPECT_EQ(keysDown(), only(b.code)) << "button " << b.button;
    pad.button(b.button, false);
    EXPECT_EQ(keysDown(), none) << "button " << b.button;
  }
  struct Axis {
    SDL_GameControllerAxis axis;
    int16_t full, rest;
    int code;
  };
  for (const Axis& a : {Axis{SDL_CONTROLLER_AXIS_LEFTX, -32768, 0, DIK_LEFT},
                        Axis{SDL_CONTROLLER_AXIS_LEFTX, 32767, 0, DIK_RIGHT},
                        Axis{SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767, -32768, DIK_UP},
                        Axis{SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, -32768, DIK_DOWN}}) {
    pad.axis(a.axis, a.full);
    EXPECT_EQ(keysDown(), only(a.code)) << "axis " << a.axis << " at " << a.full;
    pad.axis(a.axis, a.rest);
    EXPECT_EQ(keysDown(), none) << "axis " << a.axis << " back";
  }
  // Everything else at once: no key, and no close or quit event.
  for (auto b : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_GUIDE,
                 SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                 SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                 SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN})
    pad.button(b, true);
  for (auto a : {SDL_CONTROLLER_AXIS_LEFTY, SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY})
    pad.axis(a, 32767);
  EXPECT_EQ(keysDown(), none);
  Event e;
  while (sys().peekEvent(e))
    EXPECT_TRUE(e.type != EventType::Close && e.type != EventType::Quit &&
                e.type != EventType::KeyDown);
}

TEST_F(Pad, StickDeadZoneAndHysteresisAndTriggerThird) {
  VirtualPad pad("Riderozad test pad");
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  // Dead zone 7767, 25000 units of travel beyond it: taken at half of that,
  // 7767 + 12500 = 20267, let go below 40%, 7767 + 10000 = 17767.
  struct Step {
    int16_t x;
    std::vector<int> down;
  };
  const std::vector<Step> steps = {
      {7767, none},
      {20266, none},
      {20267, only(DIK_RIGHT)},
      {17767, only(DIK_RIGHT)},
      {20000, only(DIK_RIGHT)},
      {17766, none},
      {17767, none},
      {20266, none},
      {32767, only(DIK_RIGHT)},
      {-32768, only(DIK_LEFT)},
      {-17767, only(DIK_LEFT)},
      {-17766, none},
      {-20266, none},
      {-20267, only(DIK_LEFT)},
      {0, none},
  };
  for (const Step& s : steps) {
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, s.x);
    EXPECT_EQ(keysDown(), s.down) << "stick at " << s.x;
  }
  // A trigger's joystick axis runs -32768..32767 for 0..32767 of pull, so a
  // third of the pull (10923) lies at about -10919 on it; 50 either side.
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -10970);
  EXPECT_EQ(keysDown(), none);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -10870);
  EXPECT_EQ(keysDown(), only(DIK_UP));
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -10970);
  EXPECT_EQ(keysDown(), none);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -10870);
  EXPECT_EQ(keysDown(), only(DIK_DOWN));
}

TEST_F(Pad, PadsPluggedInAndPulledOutWhileFramesRunAllCount) {
  EXPECT_EQ(keysDown(), none);
  testing::internal::CaptureStderr();
  // Pulled before the game first sees the pad: its first frame has it.
  auto first = std::make_unique<VirtualPad>("First pad");
  first->axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  first->axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_EQ(keysDown(), only(DIK_UP));
  VirtualPad second("Second pad");
  second.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  second.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  second.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_EQ(keysDown(), std::vector<int>({DIK_UP, DIK_LEFT}));
  first.reset();
  EXPECT_EQ(keysDown(), only(DIK_LEFT));
  second.detach();
  EXPECT_EQ(keysDown(), none);
  EXPECT_EQ(keysDown(), none);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "riderozad: gamepad connected: First pad\n"
            "riderozad: gamepad connected: Second pad\n"
            "riderozad: gamepad removed: First pad\n"
            "riderozad: gamepad removed: Second pad\n");
}

}  // namespace
}  // namespace rztest
