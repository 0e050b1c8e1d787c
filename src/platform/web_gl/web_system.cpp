// System and keyboard services in the page: the page's events (keys,
// focus, visibility) queued as the game's events, the page's clocks, and
// the key state kept from the page's key events.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>

#include "platform/web_gl/backend_parts.hpp"
#include "platform/web_gl/key_codes.hpp"
#include "platform/web_gl/page_state.hpp"

namespace platform::web_gl {

namespace {

// Keys held down now, by DirectInput code: the page reports changes only.
uint8_t heldKeys[KEY_STATE_SIZE] = {};

// The keys the game plays with; the page must not scroll or press a button
// with them. Every other key keeps its browser meaning (F5, F11, Ctrl+W).
bool gameKey(uint8_t code) {
  return code == DIK_UP || code == DIK_DOWN || code == DIK_LEFT || code == DIK_RIGHT ||
         code == DIK_SPACE || code == DIK_RETURN || code == 0x9C;  // the keypad's Enter
}

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* e, void*) {
  const uint8_t code = directInputCode(e->code);
  const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  if (code) heldKeys[code] = down ? 0x80 : 0;
  // Robots and some keyboards send Enter as the keypad's: both start the drive.
  if (code == 0x9C) heldKeys[DIK_RETURN] = down ? 0x80 : 0;
  if (down && e->keyCode != 0) {
    // The page's key codes are the window message's virtual-key codes.
    Event event;
    event.type = EventType::KeyDown;
    event.virtualKey = static_cast<uint32_t>(e->keyCode);
    pageRecord().events.push_back(std::move(event));
  }
  return gameKey(code);
}

EM_BOOL onFocus(int type, const EmscriptenFocusEvent*, void*) {
  pageRecord().focused = type == EMSCRIPTEN_EVENT_FOCUS;
  // A key let go while the page had no focus sends no key-up to it.
  if (!pageRecord().focused) std::fill(std::begin(heldKeys), std::end(heldKeys), uint8_t{0});
  return EM_FALSE;
}

EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* e, void*) {
  pageRecord().hidden = e->hidden != 0;
  return EM_FALSE;
}

class WebSystem : public System {
 public:
  bool registerWindowClass(const char* className) override { return className && className[0]; }
  bool createMainWindow(const WindowDesc& desc) override;
  void showMainWindow() override {}
  void updateMainWindow() override {}
  bool peekEvent(Event& out) override;
  // Nothing in a page may block: the loop is woken by the page instead.
  bool waitForEventUs(uint32_t) override { return !pageRecord().events.empty(); }
  void postQuit(int32_t exitCode) override;
  bool isMainWindowActive() override { return pageRecord().focused && !pageRecord().hidden; }
  void showCursor(bool visible) override;
  Rect clientRect() override;
  // Holds the loop's wake-ups back until the time has passed.
  void sleep(uint32_t ms) override {
    pageRecord().sleepUntilUs = pageTimeUs() + uint64_t{ms} * 1000;
  }
  uint32_t timeMs() override { return static_cast<uint32_t>(pageTimeUs() / 1000); }
  uint64_t timeUs() override { return pageTimeUs(); }
};

class WebKeyboard : public Keyboard {
 public:
  void setCooperativeLevel() override {}
  Result acquire() override { return Result::Ok; }
  Result getState(uint8_t (&state)[KEY_STATE_SIZE]) override {
    std::copy(std::begin(heldKeys), std::end(heldKeys), std::begin(state));
    mergePadState(state);
    return Result::Ok;
  }
};

bool WebSystem::createMainWindow(const WindowDesc& desc) {
  // The canvas is the window; the caption names the page.
  PageRecord& page = pageRecord();
  page.caption = desc.caption ? desc.caption : "";
  page.desc = desc;
  page.desc.caption = page.caption.c_str();
  page.desc.className = "";
  page.described = true;
  emscripten_set_window_title(page.caption.c_str());
  return true;
}

bool WebSystem::peekEvent(Event& out) {
  PageRecord& page = pageRecord();
  if (page.events.empty()) return false;
  out = std::move(page.events.front());
  page.events.pop_front();
  return true;
}

void WebSystem::postQuit(int32_t exitCode) {
  Event q;
  q.type = EventType::Quit;
  q.exitCode = exitCode;
  pageRecord().events.push_back(std::move(q));
}

void WebSystem::showCursor(bool visible) {
  EM_ASM({ Module.canvas.style.cursor = $0 ? "" : "none"; }, visible);
}

Rect WebSystem::clientRect() {
  const PageRecord& page = pageRecord();
  // The game sees the back buffer as its window, whatever the canvas's size
  // on the page.
  if (page.pictureWidth > 0)
    return {0, 0, static_cast<int32_t>(page.pictureWidth),
            static_cast<int32_t>(page.pictureHeight)};
  if (page.described) return {0, 0, page.desc.width, page.desc.height};
  return {0, 0, 0, 0};
}

}  // namespace

PageRecord& pageRecord() {
  static PageRecord record;
  return record;
}

uint64_t pageTimeUs() { return static_cast<uint64_t>(emscripten_get_now() * 1000.0); }

System* systemService() {
  static WebSystem instance;
  return &instance;
}

Keyboard* keyboardService() {
  static WebKeyboard instance;
  return &instance;
}

bool listenToPage() {
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  const bool ok =
      emscripten_set_keydown_callback(window, nullptr, EM_TRUE, onKey) ==
          EMSCRIPTEN_RESULT_SUCCESS &&
      emscripten_set_keyup_callback(window, nullptr, EM_TRUE, onKey) == EMSCRIPTEN_RESULT_SUCCESS &&
      emscripten_set_blur_callback(window, nullptr, EM_TRUE, onFocus) ==
          EMSCRIPTEN_RESULT_SUCCESS &&
      emscripten_set_focus_callback(window, nullptr, EM_TRUE, onFocus) ==
          EMSCRIPTEN_RESULT_SUCCESS &&
      emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, onVisibility) ==
          EMSCRIPTEN_RESULT_SUCCESS;
  if (!ok) std::fputs("riderozad: the page's key and focus events cannot be had\n", stderr);
  PageRecord& page = pageRecord();
  EmscriptenVisibilityChangeEvent visibility{};
  if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS)
    page.hidden = visibility.hidden != 0;
  page.focused = EM_ASM_INT({ return document.hasFocus() ? 1 : 0; }) != 0;
  return ok;
}

void stopListening() {
  emscripten_html5_remove_all_event_listeners();
  std::fill(std::begin(heldKeys), std::end(heldKeys), uint8_t{0});
  pageRecord() = PageRecord{};
}

}  // namespace platform::web_gl
