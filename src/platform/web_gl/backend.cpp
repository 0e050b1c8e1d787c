#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include "platform/web_gl/backend_parts.hpp"
#include "platform/web_gl/page_state.hpp"
#include "platform/web_gl/web_gl_backend.hpp"

// The page's side of the game's life: it shows what ended the game.
// clang-format off
EM_JS(void, rzTellPage, (const char* what), {
  const hook = Module["riderozad" + UTF8ToString(what)];
  if (hook) hook();
});
// clang-format on

namespace platform::web_gl {

namespace {

// While the page is hidden the browser sends no animation frames; a timer
// keeps the loop going, as a minimised window's loop goes on on the
// desktop, so that the game sees its device lost and pauses the music. The
// browser may slow such timers to one a second.
constexpr double HIDDEN_TICK_MS = 16;

bool (*loopStep)() = nullptr;
bool installed = false;
// The one wake-up asked for, an animation frame or a timer; 0 when none.
long frameRequest = 0;
long timerRequest = 0;

void scheduleNext();

// One wake-up: the step runs unless a sleep the game asked for holds it.
void wake() {
  if (!loopStep) return;
  if (pageTimeUs() >= pageRecord().sleepUntilUs && !loopStep()) {
    loopStep = nullptr;
    return;
  }
  scheduleNext();
}

EM_BOOL onAnimationFrame(double, void*) {
  frameRequest = 0;
  wake();
  return EM_FALSE;  // scheduleNext asks for the next one
}

void onTimer(void*) {
  timerRequest = 0;
  wake();
}

void scheduleNext() {
  if (!loopStep) return;
  if (pageRecord().hidden)
    timerRequest = emscripten_set_timeout(onTimer, HIDDEN_TICK_MS, nullptr);
  else
    frameRequest = emscripten_request_animation_frame(onAnimationFrame, nullptr);
}

void cancelWake() {
  if (frameRequest) emscripten_cancel_animation_frame(frameRequest);
  if (timerRequest) emscripten_clear_timeout(timerRequest);
  frameRequest = timerRequest = 0;
}

}  // namespace

// A page hidden while it waits for an animation frame would never get it:
// the wake-up moves to a timer, and back to the frames once it is shown.
void pageVisibilityChanged() {
  if (!loopStep) return;
  cancelWake();
  scheduleNext();
}

bool install(const DisplayOptions& options) {
  if (installed) return true;
  pageRecord().options = options;
  if (!listenToPage()) return false;
  Services& s = services();
  s.system = systemService();
  s.keyboard = keyboardService();
  s.graphics = graphicsService();
  s.music = musicService();
  installed = true;
  return true;
}

void uninstall() {
  if (!installed) return;
  loopStep = nullptr;
  cancelWake();
  shutDownMusic();
  shutDownGraphics();
  shutDownPads();
  stopListening();
  services() = Services{};
  installed = false;
  rzTellPage("Ended");
}

void wakeEachFrame(bool (*step)()) {
  loopStep = step;
  scheduleNext();
}

void tellPageStartFailed() { rzTellPage("StartFailed"); }

}  // namespace platform::web_gl
