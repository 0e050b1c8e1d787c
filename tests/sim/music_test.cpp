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

// Three frames of one stream from a four-byte header, each `length` bytes
// long (worked out from the header by hand), the data all zeros.
std::string frames3(const char* header, size_t length) {
  std::string frame(length, '\0');
  frame.replace(0, 4, header, 4);
  return frame + frame + frame;
}

// An ID3v2.4 tag of `body` bytes, its size in four 7-bit bytes.
std::string id3Tag(size_t body) {
  const char size[4] = {static_cast<char>(body >> 21 & 0x7F), static_cast<char>(body >> 14 & 0x7F),
                        static_cast<char>(body >> 7 & 0x7F), static_cast<char>(body & 0x7F)};
  return std::string("ID3\x04\x00\x00", 6) + std::string(size, 4) + std::string(body, 'T');
}

// What every build sees in M.mp3 before its own decoder does: a file that
// is not MPEG audio is never handed over, and says why in one line.
TEST_F(MusicTest, OnlyMpegAudioFramesInARowAreHandedToThePlatform) {
  // 144 * 128000 / 44100 = 417 bytes (MPEG 1 layer III); 72 * 64000 / 22050
  // = 208 (MPEG 2 layer III); 144 * 192000 / 48000 = 576 (MPEG 1 layer II);
  // 4 * (12 * 384000 / 48000) = 384 (MPEG 1 layer I); 72 * 8000 / 8000 = 72
  // (MPEG 2.5 layer III).
  const std::string mpeg1 = frames3("\xFF\xFB\x90\x00", 417);
  const std::string playable[] = {
      mpeg1,
      frames3("\xFF\xF3\x80\x00", 208),
      frames3("\xFF\xFD\xA4\x00", 576),
      frames3("\xFF\xFF\xC4\x00", 384),
      frames3("\xFF\xE3\x18\x00", 72),
      id3Tag(70000) + mpeg1,
      std::string(4000, 'x') + mpeg1,  // junk before the first frame
  };
  for (const std::string& bytes : playable) {
    writeFile("M.mp3", bytes);
    b().music = {};
    testing::internal::CaptureStderr();
    startMusic();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(b().music.log.count("renderFile"), 1) << bytes.size();
  }

  std::string noise(256 << 10, '\0');
  uint32_t seed = 12345;
  for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
  // Every header one byte after the end of the frame before.
  std::string misplaced;
  for (int i = 0; i < 6; ++i) misplaced += mpeg1.substr(0, 417) + '\0';
  const std::pair<std::string, std::string> refused[] = {
      {noise, "is not MPEG audio (no 3 frame headers in a row in the 4096 bytes at its start)"},
      {misplaced, "is not MPEG audio (no 3 frame headers in a row in the 4096 bytes at its start)"},
      {id3Tag(100) + noise,
       "is not MPEG audio (no 3 frame headers in a row in the 4096 bytes after its ID3 tag)"},
      {std::string(5000, 'x') + mpeg1,
       "is not MPEG audio (no 3 frame headers in a row in the 4096 bytes at its start)"},
      {mpeg1.substr(0, 417 * 2 + 3), "ends within its first MPEG audio frames"},
      {mpeg1.substr(0, 100), "ends within its first MPEG audio frames"},
      {id3Tag(70000).substr(0, 5000), "holds an ID3 tag and nothing after it"},
      {"", "is empty"},
  };
  for (const auto& [bytes, why] : refused) {
    writeFile("M.mp3", bytes);
    b().music = {};
    testing::internal::CaptureStderr();
    startMusic();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "music: M.mp3 " + why + "; the game runs without music\n");
    EXPECT_EQ(b().music.log.count("renderFile"), 0) << why;
    EXPECT_EQ(mediaControl, &b().music);
  }
  // The graph is kept, silent, and the game plays on.
  testing::internal::CaptureStderr();
  startGame();
  testing::internal::GetCapturedStderr();
  hold(DIK_RETURN);
  frames(2);
  EXPECT_EQ(frameCounter, 2);
  EXPECT_EQ(b().music.log.count("renderFile"), 0);
}

TEST_F(MusicTest, NothingHappensOnceAResetHasStarted) {
  appState->afterReset = 1;
  startMusic();
  EXPECT_EQ(mediaControl, nullptr);
  EXPECT_TRUE(b().music.log.calls().empty());
}

}  // namespace
