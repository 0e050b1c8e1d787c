// Music through SDL's disk audio driver, which writes what plays to a file:
// silent until run, paused while paused, played once through, then silent.
#include <SDL2/SDL.h>
#include <lame/lame.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gl_test_support.hpp"

namespace rztest {
namespace {

constexpr int RATE = 44100;

// A tone of `seconds` as a constant-rate MP3.
bool writeTone(const std::string& path, double seconds) {
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, RATE);
  lame_set_out_samplerate(lame, RATE);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, 128);
  lame_set_bWriteVbrTag(lame, 0);
  if (lame_init_params(lame) < 0) return false;
  const int n = static_cast<int>(seconds * RATE);
  std::vector<short> left(n), right(n);
  for (int i = 0; i < n; ++i) left[i] = right[i] = static_cast<short>(12000 * std::sin(i * 0.0627));
  std::vector<unsigned char> mp3(n * 5 / 4 + 7200 + 7200);
  int size = lame_encode_buffer(lame, left.data(), right.data(), n, mp3.data(),
                                static_cast<int>(mp3.size()));
  size += lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
  lame_close(lame);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fwrite(mp3.data(), 1, static_cast<size_t>(size), f);
  std::fclose(f);
  return true;
}

// The recording as runs of 10 ms windows: true where something sounds.
std::vector<bool> loudWindows(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t frames = bytes.size() / 4;  // 16-bit stereo
  const size_t window = RATE / 100;
  std::vector<bool> loud;
  for (size_t start = 0; start + window <= frames; start += window) {
    int peak = 0;
    for (size_t i = start * 2; i < (start + window) * 2; ++i) {
      const auto lo = static_cast<uint8_t>(bytes[i * 2]);
      const auto hi = static_cast<int8_t>(bytes[i * 2 + 1]);
      peak = std::max(peak, std::abs(hi * 256 + lo));
    }
    loud.push_back(peak > 1000);
  }
  return loud;
}

struct SoundRun {
  bool loud;
  int windows;
};

std::vector<SoundRun> runsOf(const std::vector<bool>& loud) {
  std::vector<SoundRun> runs;
  for (bool l : loud) {
    if (runs.empty() || runs.back().loud != l)
      runs.push_back({l, 1});
    else
      ++runs.back().windows;
  }
  return runs;
}

TEST(Music, PlaysOnceThroughWithAPauseOnTheDiskDriver) {
  // Named after the process: other build trees may run this test meanwhile.
  const std::string stem = testing::TempDir() + "rz_music_" + std::to_string(getpid());
  const std::string mp3 = stem + ".mp3", raw = stem + ".raw";
  ASSERT_TRUE(writeTone(mp3, 0.8));
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ASSERT_TRUE(sdl_gl::install());
  Music& music = *services().music;
  ASSERT_TRUE(music.createGraph());
  ASSERT_EQ(music.renderFile(mp3.c_str()), Result::Ok);
  // Paused before it ever ran (a loss on the title screen): the first run
  // still plays it from its start.
  music.pause();
  SDL_Delay(300);
  EXPECT_EQ(music.run(), Result::Ok);
  SDL_Delay(300);
  music.run();  // running already: nothing changes
  SDL_Delay(100);
  music.pause();
  SDL_Delay(400);
  music.run();
  SDL_Delay(1000);  // the last 0.4 s play, then it ends
  music.run();      // ended: stays silent
  SDL_Delay(300);
  sdl_gl::uninstall();

  const std::vector<SoundRun> runs = runsOf(loudWindows(raw));
  std::remove(mp3.c_str());
  std::remove(raw.c_str());
  ASSERT_EQ(runs.size(), 5u) << "silence, sound, pause, sound, silence";
  EXPECT_FALSE(runs[0].loud);
  EXPECT_GE(runs[0].windows, 20);
  // 400 ms before the pause; the driver writes 2048-frame (46 ms) buffers,
  // so each edge may move by about five windows.
  EXPECT_NEAR(runs[1].windows, 40, 10);
  EXPECT_NEAR(runs[2].windows, 40, 10);
  // The whole tone, 0.8 s, plays once: what is left after the pause.
  EXPECT_NEAR(runs[1].windows + runs[3].windows, 80, 10);
  EXPECT_GE(runs[4].windows, 30);
}

TEST(Music, NoAudioOutputFallsBackToSilence) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ASSERT_TRUE(sdl_gl::install());
  Music& music = *services().music;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(music.createGraph());
  EXPECT_EQ(music.renderFile("/nonexistent/M.mp3"), Result::Failed);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("no audio output"), std::string::npos) << said;
  EXPECT_NE(said.find("/nonexistent/M.mp3"), std::string::npos) << said;
  EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
  // Without a piece nothing plays and nothing breaks.
  EXPECT_EQ(music.run(), Result::Failed);
  EXPECT_EQ(music.pause(), Result::Failed);
  sdl_gl::uninstall();
}

// Only our own lines reach standard error: not ALSA's (there is no sound
// card here) nor libmpg123's (a damaged file); and a folder is called one.
TEST(Music, OnlyOurOwnLinesReachStandardError) {
  const std::string stem = testing::TempDir() + "rz_music_noise_" + std::to_string(getpid());
  const std::string damaged = stem + ".mp3", folder = stem + "_folder.mp3";
  {
    // Three frames of silence, then bytes the decoder cannot follow.
    std::string frame("\xff\xfb\x90\x64", 4);
    frame += std::string(413, '\0');
    std::ofstream(damaged, std::ios::binary) << frame << frame << frame << std::string(500, 'U');
  }
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ASSERT_TRUE(sdl_gl::install());
  Music& music = *services().music;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(music.createGraph());
  EXPECT_EQ(music.renderFile(folder.c_str()), Result::Failed);
  if (music.renderFile(damaged.c_str()) == Result::Ok) music.run();
  SDL_Delay(200);
  sdl_gl::uninstall();
  const std::string said = testing::internal::GetCapturedStderr();
  std::remove(damaged.c_str());
  rmdir(folder.c_str());
  EXPECT_NE(said.find(folder + ": is a folder, not a file"), std::string::npos) << said;
  std::istringstream lines(said);
  for (std::string line; std::getline(lines, line);)
    EXPECT_EQ(line.rfind("riderozad: ", 0), 0u) << line;
}

}  // namespace
}  // namespace rztest
