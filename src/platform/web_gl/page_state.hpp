// The page as the system service and the device share it: what the game
// described as its window, the events taken from the page, whether the page
// can be seen and has the keyboard, and the WebGL context's state.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/display_options.hpp"
#include "platform/system.hpp"

namespace platform::web_gl {

struct PageRecord {
  std::string caption;
  WindowDesc desc{};
  bool described = false;
  std::deque<Event> events;
  bool hidden = false;  // another tab, a minimised window
  bool focused = true;  // the page has the keyboard
  bool contextLost = false;
  // Counts the times the context came back empty, so that the device knows
  // that every GL name it held is gone.
  uint32_t contextGeneration = 0;
  // The back buffer's size once a device draws into the canvas; 0 before.
  uint32_t pictureWidth = 0;
  uint32_t pictureHeight = 0;
  // A sleep the game asked for ends here, on the microsecond clock.
  uint64_t sleepUntilUs = 0;
  DisplayOptions options;
};

PageRecord& pageRecord();

// The page's clocks: milliseconds since it loaded, and the same in
// microseconds.
uint64_t pageTimeUs();

}  // namespace platform::web_gl
