#include "app/main_loop.hpp"

#include <cmath>

#include "app/app_state.hpp"
#include "app/frame_driver.hpp"
#include "app/main_window.hpp"
#include "platform/services.hpp"

namespace {

// Clock readings are kept as the 32-bit timer gives them and compared by
// unsigned difference, so the timer's wrap after 49.7 days gives a normal
// step instead of a huge negative one.
uint32_t previousFrameTime = 0;
uint32_t fpsWindowStart = 0;
int32_t fpsFrameCount = 0;
bool frameRan = false;  // the first frame does not wait

uint32_t msSince(uint32_t now, uint32_t then) { return now - then; }

}  // namespace

void runFrame(uint32_t now) {
  appState->frameStep =
      static_cast<float>(static_cast<double>(msSince(now, previousFrameTime)) * 0.01);
  ++fpsFrameCount;
  if (msSince(platform::sys().timeMs(), fpsWindowStart) >= 1000) {
    appState->framesPerSecond = fpsFrameCount;
    fpsWindowStart = platform::sys().timeMs();
    fpsFrameCount = 0;
  }
  driveFrame();
  previousFrameTime = now;
  frameRan = true;
}

void startFrameClock() {
  const uint32_t now = platform::sys().timeMs();
  previousFrameTime = now;
  fpsWindowStart = now;
  fpsFrameCount = 0;
  frameRan = false;
}

bool runMainLoopStep(int32_t& exitCode) {
  platform::System& system = platform::sys();
  platform::Event event;
  if (system.peekEvent(event)) {
    if (event.type == platform::EventType::Quit) {
      exitCode = event.exitCode;
      return false;
    }
    mainWindowProc(event);
    return true;
  }

  const uint32_t now = system.timeMs();
  const double wait = FRAME_PERIOD_MS - static_cast<double>(msSince(now, previousFrameTime));
  if (frameRan && wait > 0) {
    // Sleep until the frame is due; an event wakes the wait and is handled
    // by the next step.
    system.waitForEvent(static_cast<uint32_t>(std::ceil(wait)));
    return true;
  }
  runFrame(now);
  return true;
}

int32_t runMainLoop() {
  startFrameClock();
  int32_t exitCode = 0;
  while (runMainLoopStep(exitCode)) {
  }
  return exitCode;
}

void resetMainLoopState() {
  previousFrameTime = 0;
  fpsWindowStart = 0;
  fpsFrameCount = 0;
  frameRan = false;
}
