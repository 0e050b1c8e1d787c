// M.mp3: an original tune from a small synthesiser (pad chords, bass line,
// drums, a lead melody), encoded with LAME at 160 kbit/s, 44.1 kHz stereo.
#pragma once

#include <string>
#include <vector>

constexpr int SAMPLE_RATE = 44100;

struct Song {
  std::vector<float> left, right;  // -1 .. 1
};

// The whole tune, the same samples on every run.
Song composeSong();
bool writeMusic(const std::string& path);
