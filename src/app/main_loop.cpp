#include "app/main_loop.hpp"

#include <cstdint>

#include "app/app_state.hpp"
#include "app/frame_driver.hpp"
#include "app/main_window.hpp"
#include "platform/services.hpp"
#include "render/graphics_device.hpp"

namespace {

// Clock readings are kept as the 32-bit timer gives them and compared by
// unsigned difference, so the timer's wrap after 49.7 days gives a normal
// step instead of a huge negative one.
uint32_t previousFrameTime = 0;
uint32_t fpsWindowStart = 0;
int32_t fpsFrameCount = 0;
bool frameRan = false;  // the first frame does not wait
// When the next frame is due on the fine clock, in nanoseconds so that the
// period of 1/60 s adds up without drift.
uint64_t nextFrameDueNs = 0;
// Whether the device's presents wait for a 60 Hz display and so pace the
// frames; false once a frame shows that they do not.
bool presentPaces = false;

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
  nextFrameDueNs = 0;
  presentPaces = presentParams.presentationInterval == platform::PRESENT_INTERVAL_ONE;
}

bool presentsPaceFrames() { return presentPaces; }

LoopStep stepMainLoop(int32_t& exitCode, uint32_t& waitUs, const FrameWindow& window) {
  platform::System& system = platform::sys();
  platform::Event event;
  if (system.peekEvent(event)) {
    if (event.type == platform::EventType::Quit) {
      exitCode = event.exitCode;
      return LoopStep::Quit;
    }
    mainWindowProc(event);
    return LoopStep::Event;
  }

  const uint64_t nowNs = system.timeUs() * 1000;
  const uint64_t earlyNs = frameRan && nowNs < nextFrameDueNs ? nextFrameDueNs - nowNs : 0;
  // Presents that wait for the display may let one frame through before its
  // time (the driver queues a picture), never a whole period: a frame that
  // early shows that they do not wait (no sync after all, or a faster
  // display), and from then on the frames sleep until they are due.
  if (presentPaces && earlyNs > FRAME_PERIOD_NS) presentPaces = false;
  // A frame is never due more than two periods ahead; if it seems to be,
  // the clock went back, and the frame runs rather than wait for it.
  if (!presentPaces && earlyNs > window.earlyNs && earlyNs <= 2 * FRAME_PERIOD_NS) {
    waitUs = static_cast<uint32_t>((earlyNs - window.earlyNs + 999) / 1000);
    return LoopStep::Wait;
  }
  // Frames are due 1/60 s after the time the previous one was due, so a
  // wake-up that comes a little late, or a frame the display lets through a
  // little early, does not move every later frame and the rate stays
  // 60.000. A frame that starts later than that (a slow frame, a busy
  // machine) puts the next one 1/60 s after its own start: the game never
  // catches up by running frames faster.
  const bool onGrid = frameRan && (earlyNs > 0 ? presentPaces || earlyNs <= window.earlyNs
                                               : nowNs - nextFrameDueNs < window.lateNs);
  nextFrameDueNs = onGrid ? nextFrameDueNs + FRAME_PERIOD_NS : nowNs + FRAME_PERIOD_NS;
  runFrame(system.timeMs());
  return LoopStep::Frame;
}

bool runMainLoopStep(int32_t& exitCode) {
  uint32_t waitUs = 0;
  switch (stepMainLoop(exitCode, waitUs, SLEEPING_FRAME_WINDOW)) {
    case LoopStep::Quit:
      return false;
    case LoopStep::Wait:
      // An event wakes the wait and is handled by the next step.
      platform::sys().waitForEventUs(waitUs);
      return true;
    default:
      return true;
  }
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
  nextFrameDueNs = 0;
  presentPaces = false;
}
