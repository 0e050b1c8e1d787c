// The background music on the null music service: built once, stopped on
// the title screen, run by every driving frame, never restarted.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.hpp"
#include "app/frame_driver.hpp"
#include "audio/background_music.hpp"
#include "sim/game_state.hpp"
#include "sim/scene.hpp"
#include "sim_fixture.hpp"

namespace {

using platform::DIK_RETURN;
using platform::null::MusicState;

class MusicTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    writeSmallModels();
    writeTrack();
    writeLane(
        "L.wp", 85, [](int) { return 0; }, [](int) { return 0; });
    writeLane(
        "R.wp", 120, [](int) { return 0; }, [](int) { return 0; });
  }
  void loseAndResetDevice() {
    dev().presentResults.push_back(platform::Result::DeviceLost);
    frame();
    dev().testResults.push_back(platform::Result::DeviceNotReset);
    frame();
  }
};

TEST_F(MusicTest, BuiltStoppedAtStartAndRunFromTheFirstDrivingFrame) {
  startGame();
  auto& music = b().music;
  EXPECT_EQ(mediaControl, &music);
  EXPECT_EQ(music.log.names(),
            (std::vector<std::string>{"createGraph", "renderFile", "placeVideo"}));
  EXPECT_EQ(music.file, "M.mp3");
  EXPECT_EQ(music.log.calls()[2].args, "0 0 400 400");  // the client area
  frames(5);
  EXPECT_EQ(music.state, MusicState::Stopped);
  EXPECT_EQ(music.log.count("run"), 0);
  hold(DIK_RETURN);
  frame();
  EXPECT_EQ(music.state, MusicState::Running);
  frames(3);
  EXPECT_EQ(music.log.count("run"), 4);  // every driving frame
}

TEST_F(MusicTest, DeviceResetPausesAndDoesNotRebuild) {
  startGame();
  hold(DIK_RETURN);
  frame();
  loseAndResetDevice();
  ASSERT_EQ(sceneSetUpRuns, 2);
  auto& music = b().music;
  EXPECT_EQ(music.state, MusicState::Paused);
  EXPECT_EQ(music.log.count("createGraph"), 1);
  EXPECT_EQ(music.log.count("renderFile"), 1);
  frame();
  EXPECT_EQ(music.state, MusicState::Running);
}

TEST_F(MusicTest, PlayedThroughStaysEnded) {
  startGame();
  hold(DIK_RETURN);
  frame();
  b().music.finish();
  frames(5);
  EXPECT_EQ(b().music.state, MusicState::Ended);
}

TEST_F(MusicTest, NoGraphGivesOneLineAndASilentGameThatRunsOn) {
  b().music.graphFails = true;
  testing::internal::CaptureStderr();
  startGame();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("music"), std::string::npos);
  EXPECT_EQ(mediaControl, nullptr);
  hold(DIK_RETURN);
  frames(3);
  EXPECT_EQ(frameCounter, 3);
  EXPECT_EQ(b().music.log.count("run"), 0);
  // A lost device has no music to pause either.
  loseAndResetDevice();
  frame();
  EXPECT_EQ(frameCounter, 5);
}

TEST_F(MusicTest, UnplayableFileGivesOneLineAndKeepsTheGraph) {
  b().music.fileMissing = true;
  testing::internal::CaptureStderr();
  startGame();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("M.mp3"), std::string::npos);
  EXPECT_EQ(mediaControl, &b().music);
  EXPECT_EQ(b().music.log.count("placeVideo"), 1);
  hold(DIK_RETURN);
  frame();
  EXPECT_EQ(frameCounter, 1);
}

TEST_F(MusicTest, NothingHappensOnceAResetHasStarted) {
  appState->afterReset = 1;
  startMusic();
  EXPECT_EQ(mediaControl, nullptr);
  EXPECT_TRUE(b().music.log.calls().empty());
}

}  // namespace
