// System and window service: the one main window, its events, the quit
// message, the active-window test, the cursor, sleeping and the clock.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.hpp"

namespace platform {

enum class EventType {
  Close,         // the user asked to close the window
  Destroy,       // the window is being destroyed
  KeyDown,       // a key went down; `virtualKey` holds its virtual-key code
  MouseMove,     // `packedPosition` holds x in the low word, y in the high word
  DropBegin,     // a drop of one or more files starts
  DropFile,      // one dropped file; `path` holds its path
  DropComplete,  // the drop is complete
  Quit,          // the quit message; `exitCode` holds its code. Has no window.
};

struct Event {
  EventType type = EventType::Quit;
  uint32_t virtualKey = 0;
  uint32_t packedPosition = 0;
  int32_t exitCode = 0;
  std::string path;
};

constexpr uint32_t VK_ESCAPE_CODE = 0x1B;
constexpr uint32_t WINDOW_STYLE_OVERLAPPED = 0x00CF0000;

struct WindowDesc {
  const char* className;
  const char* caption;
  uint32_t style;
  int32_t x, y, width, height;
  bool acceptFiles;
};

class System {
 public:
  virtual ~System() = default;

  virtual bool registerWindowClass(const char* className) = 0;
  // Creates the main window, hidden. False when it cannot be made.
  virtual bool createMainWindow(const WindowDesc& desc) = 0;
  virtual void showMainWindow() = 0;
  virtual void updateMainWindow() = 0;
  // Takes the next pending event off the queue, without waiting.
  virtual bool peekEvent(Event& out) = 0;
  // Waits until an event is pending or `timeoutUs` microseconds have passed
  // on the timeUs clock; true when one is pending. Sleeps rather than spins,
  // and ends within a fraction of a millisecond of the timeout, so that
  // frames can be paced at 60 a second.
  virtual bool waitForEventUs(uint32_t timeoutUs) = 0;
  // Queues the quit event behind whatever is pending.
  virtual void postQuit(int32_t exitCode) = 0;
  // True while the main window is the active (keyboard-focused) window.
  virtual bool isMainWindowActive() = 0;
  virtual void showCursor(bool visible) = 0;
  // While on, the display neither sleeps nor starts its screen saver: a
  // player driving with a gamepad alone touches neither keyboard nor mouse.
  // Off when the backend starts. A backend whose display never sleeps while
  // the game runs (SDL keeps it on by default) need not do anything.
  virtual void keepDisplayOn(bool /*on*/) {}
  virtual Rect clientRect() = 0;
  virtual void sleep(uint32_t ms) = 0;
  // Milliseconds on a 32-bit clock that wraps, as the classic multimedia timer.
  virtual uint32_t timeMs() = 0;
  // Microseconds on a steady clock that does not wrap: the frame pacing's.
  virtual uint64_t timeUs() = 0;
};

}  // namespace platform
