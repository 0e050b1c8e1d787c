#include "runner.hpp"

#include <cinttypes>

#include "app/entry.hpp"
#include "app/main_loop.hpp"
#include "audio/background_music.hpp"
#include "platform/null/null_backend.hpp"
#include "render/graphics_device.hpp"
#include "state_line.hpp"

namespace {

using platform::Result;
using platform::null::Backend;

// The present after this reports the device lost; then the device test
// answers lost `lostTests` times, not-reset once (so the game resets and sets
// the scene up again) and then usable. The usable answer is queued too, so a
// later loss starts only after this one has ended.
void queueDeviceLoss(platform::null::NullDevice& dev, uint32_t lostTests) {
  dev.presentResults.push_back(Result::DeviceLost);
  for (uint32_t i = 0; i < lostTests; ++i) dev.testResults.push_back(Result::DeviceLost);
  dev.testResults.push_back(Result::DeviceNotReset);
  dev.testResults.push_back(Result::Ok);
}

// The null backend records every call; a long replay needs none of it.
void dropCallLogs(Backend& b) {
  b.system.log.clear();
  b.keyboard.log.clear();
  b.graphics.log.clear();
  b.music.log.clear();
  if (b.graphics.device) b.graphics.device->log.clear();
}

void holdKeys(Backend& b, const ScriptStep& step) {
  b.keyboard.releaseAll();
  for (uint8_t code : step.keys) b.keyboard.press(code);
  b.system.active = !step.inactive;
}

bool musicFileReadable() {
  std::FILE* f = std::fopen(MUSIC_FILE, "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

}  // namespace

int runReplay(const std::vector<ScriptStep>& steps, std::FILE* out) {
  Backend& b = platform::null::install();
  // Like a real graph, a missing music file fails to render; the game says
  // so and runs on in silence.
  b.music.fileMissing = !musicFileReadable();
  if (!startUpGame()) {
    releaseGraphicsDevice();
    return 1;
  }
  platform::null::NullDevice& dev = *b.graphics.device;

  startFrameClock();
  printStateColumns(out);
  uint64_t frame = 0;
  for (const ScriptStep& step : steps) {
    if (step.kind == StepKind::Lose) {
      queueDeviceLoss(dev, step.count);
      continue;
    }
    holdKeys(b, step);
    // Output that cannot be written ends the replay rather than running on.
    for (uint32_t i = 0; i < step.count && !std::ferror(out); ++i) {
      b.system.clockMs += step.ms;
      runFrame(b.system.timeMs());
      printStateLine(out, ++frame);
      dropCallLogs(b);
    }
  }
  releaseGraphicsDevice();
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(stderr, "replay: writing the frames failed after frame %" PRIu64 "\n", frame);
    return 1;
  }
  return 0;
}
