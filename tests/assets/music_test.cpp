// The music as a player hears it: decoded by mpg123, as the sound stack
// would decode it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/mpeg_audio.hpp"
#include "generated_folder.hpp"

namespace {

// The first MPEG audio frame header after any tag frame: sample rate,
// channels and bit rate.
struct FrameInfo {
  int sampleRate = 0, bitrate = 0;
  bool stereo = false;
};

FrameInfo secondFrame(const std::vector<uint8_t>& b) {
  static const int RATES[4] = {44100, 48000, 32000, 0};
  static const int KBPS[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  FrameInfo info;
  int frames = 0;
  for (size_t i = 0; i + 4 < b.size();) {
    if (b[i] != 0xFF || (b[i + 1] & 0xFE) != 0xFA) {  // MPEG-1 layer III sync
      ++i;
      continue;
    }
    int br = KBPS[b[i + 2] >> 4], sr = RATES[(b[i + 2] >> 2) & 3], pad = (b[i + 2] >> 1) & 1;
    if (br == 0 || sr == 0) {
      ++i;
      continue;
    }
    // The first frame is the encoder's tag frame; the second is music.
    if (++frames == 2) {
      info.sampleRate = sr;
      info.bitrate = br;
      info.stereo = (b[i + 3] >> 6) != 3;
      return info;
    }
    i += size_t(144000 * br / sr + pad);
  }
  return info;
}

}  // namespace

TEST(Music, EncodedAsTheGameExpects) {
  const std::string path = generatedFolder() + "/M.mp3";
  // The game's own look at the file, before any decoder, lets it through.
  EXPECT_EQ(mpegAudioProblem(path.c_str()), "");
  std::vector<uint8_t> bytes = readBytes(path);
  ASSERT_GT(bytes.size(), 100000u);
  FrameInfo f = secondFrame(bytes);
  EXPECT_EQ(f.sampleRate, 44100);
  EXPECT_TRUE(f.stereo);
  EXPECT_GE(f.bitrate, 128);
  EXPECT_LE(f.bitrate, 192);
}

TEST(Music, LastsTwoToFourMinutesBelowFullScaleWithoutGaps) {
  std::string cmd = "mpg123 -q -s " + generatedFolder() + "/M.mp3";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::vector<int16_t> pcm;
  int16_t buf[8192];
  size_t got;
  while ((got = fread(buf, sizeof(int16_t), 8192, p)) > 0) pcm.insert(pcm.end(), buf, buf + got);
  ASSERT_EQ(pclose(p), 0) << "mpg123 failed";
  const double rate = 44100;
  double seconds = pcm.size() / 2 / rate;
  EXPECT_GE(seconds, 120.0);
  EXPECT_LE(seconds, 240.0);
  int peak = 0;
  for (int16_t s : pcm) peak = std::max(peak, std::abs(int(s)));
  EXPECT_LT(peak, 32767 * 0.97) << "peak " << peak;
  EXPECT_GT(peak, 32767 * 0.5) << "far too quiet";
  // No 100 ms stretch after the first second without sound (below -60 dB).
  const size_t window = size_t(rate / 10) * 2;
  for (size_t start = size_t(rate) * 2; start + window <= pcm.size(); start += window / 2) {
    int top = 0;
    for (size_t i = start; i < start + window; ++i) top = std::max(top, std::abs(int(pcm[i])));
    ASSERT_GT(top, 32) << "silent at " << start / 2 / rate << " s";
  }
}
