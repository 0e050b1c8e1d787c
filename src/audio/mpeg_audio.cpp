#include "audio/mpeg_audio.hpp"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr size_t ID3_HEADER = 10;
// The longest frame: layer II at 160 kbit/s and 8000 Hz, padded.
constexpr size_t LONGEST_FRAME = 144 * 160000 / 8000 + 1;
constexpr int FRAMES_IN_A_ROW = 3;
constexpr long MOST_TAG_BYTES = 1L << 30;

struct FrameHeader {
  int version;  // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1, as the header codes it
  int layer;    // 1 to 3
  int sampleRate;
  size_t length;  // bytes, header included
};

// The frame header at `p`, or false when the four bytes are none (free-format
// frames included: their length cannot be known from the header).
bool frameHeader(const uint8_t* p, FrameHeader& out) {
  static const int KBPS[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  static const int RATES[3] = {44100, 48000, 32000};
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int version = (p[1] >> 3) & 3, layerBits = (p[1] >> 1) & 3;
  const int rateIndex = p[2] >> 4, frequency = (p[2] >> 2) & 3, padding = (p[2] >> 1) & 1;
  if (version == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || frequency == 3)
    return false;
  const int layer = 4 - layerBits;
  const long bitrate = 1000L * KBPS[version == 3 ? 0 : 1][layer - 1][rateIndex];
  const int sampleRate = RATES[frequency] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  long length;
  if (layer == 1)
    length = (12 * bitrate / sampleRate + padding) * 4;
  else if (layer == 3 && version != 3)
    length = 72 * bitrate / sampleRate + padding;
  else
    length = 144 * bitrate / sampleRate + padding;
  out = {version, layer, sampleRate, static_cast<size_t>(length)};
  return true;
}

// The size of the ID3v2 tag at `p` (header and footer included), or 0 when
// there is none. Its size is four 7-bit bytes.
size_t id3TagSize(const uint8_t* p, size_t size) {
  if (size < ID3_HEADER || p[0] != 'I' || p[1] != 'D' || p[2] != '3' || p[3] == 0xFF ||
      p[4] == 0xFF || (p[6] | p[7] | p[8] | p[9]) & 0x80)
    return 0;
  const size_t body = (size_t{p[6]} << 21) | (size_t{p[7]} << 14) | (size_t{p[8]} << 7) | p[9];
  const bool footer = (p[5] & 0x10) != 0;
  return ID3_HEADER + body + (footer ? ID3_HEADER : 0);
}

// Reads up to `count` bytes from `at`; false when the file cannot be read.
bool readAt(std::FILE* file, long at, size_t count, std::vector<uint8_t>& bytes) {
  bytes.resize(count);
  if (std::fseek(file, at, SEEK_SET) != 0) return false;
  bytes.resize(std::fread(bytes.data(), 1, count, file));
  return !std::ferror(file);
}

enum class Run { Found, RunsOut, None };

// Looks for FRAMES_IN_A_ROW headers of one stream, each where the last ends,
// starting within the first MPEG_SEARCH_BYTES of `bytes`. RunsOut when a run
// that began on the first byte, or had two headers already, met the end of
// the bytes: a file cut short rather than noise.
Run frameRun(const std::vector<uint8_t>& bytes) {
  Run best = Run::None;
  for (size_t start = 0; start < MPEG_SEARCH_BYTES && start + 4 <= bytes.size(); ++start) {
    FrameHeader first;
    if (!frameHeader(&bytes[start], first)) continue;
    size_t at = start;
    FrameHeader frame = first;
    int found = 1;
    while (found < FRAMES_IN_A_ROW) {
      at += frame.length;
      if (at + 4 > bytes.size()) {
        if (start == 0 || found > 1) best = Run::RunsOut;
        break;
      }
      if (!frameHeader(&bytes[at], frame) || frame.version != first.version ||
          frame.layer != first.layer || frame.sampleRate != first.sampleRate)
        break;
      ++found;
    }
    if (found == FRAMES_IN_A_ROW) return Run::Found;
  }
  return best;
}

}  // namespace

std::string mpegAudioProblem(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return "";
  std::vector<uint8_t> bytes;
  // Tags may follow one another; each is skipped whole, however large.
  long at = 0;
  bool tagged = false;
  bool readable = readAt(file, at, ID3_HEADER, bytes);
  for (size_t tag; readable && (tag = id3TagSize(bytes.data(), bytes.size())) != 0;) {
    // Each tag claims at most 256 MiB, and a claim beyond the file ends the
    // loop; this only keeps the offset within a 32-bit long.
    if (at > MOST_TAG_BYTES) {
      std::fclose(file);
      return "holds ID3 tags of more than 1 GiB";
    }
    at += static_cast<long>(tag);
    tagged = true;
    readable = readAt(file, at, ID3_HEADER, bytes);
  }
  const size_t window = MPEG_SEARCH_BYTES + (FRAMES_IN_A_ROW - 1) * LONGEST_FRAME + 4;
  readable = readable && readAt(file, at, window, bytes);
  std::fclose(file);
  if (!readable) return "";  // a folder, or a read error: the platform names it
  const char* where = tagged ? "after its ID3 tag" : "at its start";
  if (bytes.empty()) return tagged ? "holds an ID3 tag and nothing after it" : "is empty";
  switch (frameRun(bytes)) {
    case Run::Found:
      return "";
    case Run::RunsOut:
      return "ends within its first MPEG audio frames";
    case Run::None:
      break;
  }
  return "is not MPEG audio (no " + std::to_string(FRAMES_IN_A_ROW) +
         " frame headers in a row in the " + std::to_string(MPEG_SEARCH_BYTES) + " bytes " + where +
         ")";
}
