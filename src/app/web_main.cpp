// The game in a web page: WebAssembly, WebGL2 and the page's audio. The page
// cannot block, so the main loop does not run here: the browser wakes it
// once per animation frame, and each wake-up takes the pending events and
// at most one frame.
#include "app/command_line.hpp"
#include "app/data_folder.hpp"
#include "app/entry.hpp"
#include "app/main_loop.hpp"
#include "platform/web_gl/web_gl_backend.hpp"
#include "render/graphics_device.hpp"

namespace {

bool wakeUp() {
  int32_t exitCode = 0;
  uint32_t waitUs = 0;
  for (;;) {
    switch (stepMainLoop(exitCode, waitUs, WOKEN_FRAME_WINDOW)) {
      case LoopStep::Event:
        continue;
      case LoopStep::Quit:
        // Escape: in a page there is nothing to quit to; the drive ends and
        // the page says so.
        releaseGraphicsDevice();
        platform::web_gl::uninstall();
        return false;
      case LoopStep::Wait:
      case LoopStep::Frame:
        return true;
    }
  }
}

}  // namespace

// The page passes the options of its address (?window, ?sharp) as arguments.
int main(int argc, char** argv) {
  platform::DisplayOptions options;
  if (const int32_t answered =
          answerCommandLine(argc, argv, "  the page's data package\n", options);
      answered >= 0) {
    platform::web_gl::tellPageStartFailed();
    return answered;
  }
  findDataFolder(platform::web_gl::GAME_FOLDER, {}, "");
  if (!platform::web_gl::install(options) || !startUpGame()) {
    releaseGraphicsDevice();
    platform::web_gl::tellPageStartFailed();
    return 1;
  }
  startFrameClock();
  platform::web_gl::wakeEachFrame(wakeUp);
  return 0;
}
