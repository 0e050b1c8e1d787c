#include <emscripten/emscripten.h>
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
  wake();
  return EM_FALSE;  // scheduleNext asks for the next one
}

void onTimer(void*) { wake(); }

void scheduleNext() {
  if (!loopStep) return;
  if (pageRecord().hidden)
    emscripten_set_timeout(onTimer, HIDDEN_TICK_MS, nullptr);
  else
    emscripten_request_animation_frame(onAnimationFrame, nullptr);
}

}  // namespace

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
