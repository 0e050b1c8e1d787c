#include <limits>
#include <string>
#include <vector>

#include "app_fixture.hpp"

using platform::Result;

namespace {

class FrameDriverTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    startUp();
    nullDevice().log.clear();
  }

  // The device calls that make up a frame, in order.
  std::vector<std::string> frameCalls() {
    std::vector<std::string> out;
    for (const auto& c : nullDevice().log.calls()) {
      if (c.name == "clear" || c.name == "beginScene" || c.name == "endScene" ||
          c.name == "present" || c.name == "testCooperativeLevel" || c.name == "reset") {
        out.push_back(c.name);
      }
    }
    nullDevice().log.clear();
    return out;
  }
};

using Calls = std::vector<std::string>;

TEST_F(FrameDriverTest, ClearColourChannelsAreTruncatedTimes255) {
  EXPECT_EQ(clearColorArgb({0, 0, 0}), 0xFF000000u);
  EXPECT_EQ(clearColorArgb({1, 0.5f, 0}), 0xFFFF7F00u);  // 127.5 truncates to 127
  EXPECT_EQ(clearColorArgb({0.2f, 0.999f, 0.004f}), 0xFF33FE01u);
  // Out of range: only the low 8 bits of the truncated value count.
  EXPECT_EQ(clearColorArgb({2, -1, 0}), 0xFFFE0100u);  // 510 = 0x1FE, -255 = ...FF01
  // Too large for an int, or not a number: that channel is 0.
  EXPECT_EQ(clearColorArgb({1e30f, std::numeric_limits<float>::quiet_NaN(), 1}), 0xFF0000FFu);
}

TEST_F(FrameDriverTest, AFrameClearsReadsTheKeyboardDrawsAndPresents) {
  clearColor = {1, 0.5f, 0};
  constexpr uint8_t KEY_Q = 0x10;  // a key the game leaves alone
  backend->keyboard.press(KEY_Q);
  driveFrame();
  // Target and depth, depth 1, stencil 0.
  ASSERT_FALSE(nullDevice().log.calls().empty());
  EXPECT_EQ(nullDevice().log.calls().front().args, "3 FFFF7F00 1.000000 0");
  EXPECT_EQ(frameCalls(), (Calls{"clear", "beginScene", "endScene", "present"}));
  EXPECT_EQ(KeyState[KEY_Q], 0x80);
  EXPECT_EQ(backend->keyboard.log.count("acquire"), 1);
}

TEST_F(FrameDriverTest, SkipPresentDrawsButNeverPresentsNorNoticesLoss) {
  appState->skipPresent = 1;
  nullDevice().presentResults = {Result::DeviceLost};
  driveFrame();
  driveFrame();
  EXPECT_EQ(frameCalls(),
            (Calls{"clear", "beginScene", "endScene", "clear", "beginScene", "endScene"}));
  EXPECT_EQ(deviceLost, 0);
}

TEST_F(FrameDriverTest, ALostDeviceSleepsPausesTheMusicResetsAndDrawsAFrameLater) {
  mediaControl = &backend->music;
  backend->music.state = platform::null::MusicState::Running;
  const platform::PresentParams created = nullDevice().params;
  nullDevice().presentResults = {Result::DeviceLost};
  nullDevice().testResults = {Result::DeviceLost, Result::DeviceNotReset, Result::Ok};

  driveFrame();  // presents and finds the device lost
  EXPECT_EQ(deviceLost, 1);
  frameCalls();

  const uint32_t before = system().clockMs;
  driveFrame();  // still lost: sleep, test, pause, nothing drawn
  EXPECT_EQ(system().clockMs - before, 100u);
  EXPECT_EQ(frameCalls(), Calls{"testCooperativeLevel"});
  EXPECT_EQ(backend->music.state, platform::null::MusicState::Paused);
  EXPECT_EQ(appState->afterReset, 0);

  driveFrame();  // can be reset now: reset with the creation's parameters, set the scene up again
  EXPECT_EQ(frameCalls(), (Calls{"testCooperativeLevel", "reset"}));
  EXPECT_EQ(appState->afterReset, 1);
  ASSERT_EQ(nullDevice().resets.size(), 1u);
  const platform::PresentParams& used = nullDevice().resets[0];
  EXPECT_EQ(used.backBufferWidth, 1024u);
  EXPECT_EQ(used.backBufferHeight, 768u);
  EXPECT_EQ(used.windowed, 0);
  EXPECT_EQ(used.autoDepthStencilFormat, created.autoDepthStencilFormat);
  EXPECT_EQ(used.presentationInterval, created.presentationInterval);
  EXPECT_EQ(sceneSetUpRuns, 2);
  EXPECT_EQ(deviceLost, 1);

  driveFrame();  // usable: draws again
  EXPECT_EQ(frameCalls(),
            (Calls{"testCooperativeLevel", "clear", "beginScene", "endScene", "present"}));
  EXPECT_EQ(deviceLost, 0);
  EXPECT_EQ(backend->music.log.count("pause"), 2);
  EXPECT_EQ(backend->system.log.count("sleep"), 3);
}

TEST_F(FrameDriverTest, AFailedResetIsRetriedAfterAnotherSleepWithoutSceneSetUp) {
  deviceLost = 1;
  nullDevice().testResults = {Result::DeviceNotReset, Result::DeviceNotReset};
  nullDevice().resetResults = {Result::Failed, Result::Ok};
  driveFrame();
  EXPECT_EQ(sceneSetUpRuns, 1);  // only the start-up's
  driveFrame();
  EXPECT_EQ(sceneSetUpRuns, 2);
  EXPECT_EQ(nullDevice().resets.size(), 2u);
  EXPECT_EQ(backend->system.log.count("sleep"), 2);
  EXPECT_EQ(frameCalls(),
            (Calls{"testCooperativeLevel", "reset", "testCooperativeLevel", "reset"}));
}

TEST_F(FrameDriverTest, TheDisplayIsKeptOnOnlyWhileTheDrivingViewRuns) {
  auto said = [&] {
    std::vector<std::string> out;
    for (const auto& c : system().log.calls())
      if (c.name == "keepDisplayOn") out.push_back(c.args);
    return out;
  };
  driveFrame();
  driveFrame();
  EXPECT_EQ(said(), Calls{});  // the title screen may let the display sleep
  backend->keyboard.press(platform::DIK_RETURN);
  driveFrame();
  backend->keyboard.release(platform::DIK_RETURN);
  driveFrame();
  EXPECT_EQ(said(), Calls{"1"});  // from the first driving frame, said once
  // Lost to another program: off while it waits; on again once it draws.
  nullDevice().presentResults = {Result::DeviceLost};
  nullDevice().testResults = {Result::DeviceLost, Result::Ok};
  driveFrame();
  driveFrame();
  EXPECT_EQ(said(), (Calls{"1", "0"}));
  driveFrame();
  EXPECT_EQ(said(), (Calls{"1", "0", "1"}));
}

TEST_F(FrameDriverTest, LossWithoutMusicStillRecovers) {
  mediaControl = nullptr;
  deviceLost = 1;
  nullDevice().testResults = {Result::Failed, Result::Ok};
  driveFrame();
  driveFrame();
  EXPECT_EQ(deviceLost, 0);
  EXPECT_EQ(backend->music.log.count("pause"), 0);
}

}  // namespace
