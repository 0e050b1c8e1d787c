// System and keyboard services on SDL2.
#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>

#include "platform/sdl_gl/backend_parts.hpp"
#include "platform/sdl_gl/key_codes.hpp"
#include "platform/sdl_gl/sdl_pad.hpp"
#include "platform/sdl_gl/window_state.hpp"

namespace platform::sdl_gl {

namespace {

bool isAltEnter(const SDL_Keysym& key) {
  return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
}

class SdlSystem : public System {
 public:
  bool registerWindowClass(const char* className) override;
  bool createMainWindow(const WindowDesc& desc) override;
  void showMainWindow() override {}
  void updateMainWindow() override {}
  bool peekEvent(Event& out) override;
  bool waitForEventUs(uint32_t timeoutUs) override;
  void postQuit(int32_t exitCode) override;
  bool isMainWindowActive() override;
  void showCursor(bool visible) override;
  Rect clientRect() override;
  void sleep(uint32_t ms) override { SDL_Delay(ms); }
  uint32_t timeMs() override { return static_cast<uint32_t>(SDL_GetTicks64()); }
  uint64_t timeUs() override {
    static const uint64_t frequency = SDL_GetPerformanceFrequency();
    const uint64_t ticks = SDL_GetPerformanceCounter();
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
  }

  // Events taken off SDL's queue by a wait, handed out by the next peeks.
  std::deque<Event> held;

 private:
  bool translate(SDL_Event& e, Event& out);
};

class SdlKeyboard : public Keyboard {
 public:
  void setCooperativeLevel() override {}
  Result acquire() override { return Result::Ok; }
  Result getState(uint8_t (&state)[KEY_STATE_SIZE]) override;
};

SdlSystem& theSystem() {
  static SdlSystem instance;
  return instance;
}

bool SdlSystem::registerWindowClass(const char* className) {
  // SDL has no window classes; the name only has to be usable.
  return className && className[0] && SDL_WasInit(SDL_INIT_VIDEO);
}

bool SdlSystem::createMainWindow(const WindowDesc& desc) {
  // The window itself is opened by the device, full screen from the start;
  // here only its description is kept.
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  WindowRecord& w = windowRecord();
  w.caption = desc.caption ? desc.caption : "";
  w.desc = desc;
  w.desc.caption = w.caption.c_str();
  w.desc.className = "";
  w.described = true;
  w.acceptFiles = desc.acceptFiles;
  const uint8_t dropState = desc.acceptFiles ? SDL_ENABLE : SDL_DISABLE;
  SDL_EventState(SDL_DROPBEGIN, dropState);
  SDL_EventState(SDL_DROPFILE, dropState);
  SDL_EventState(SDL_DROPCOMPLETE, dropState);
  SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
  return true;
}

bool SdlSystem::translate(SDL_Event& e, Event& out) {
  const WindowRecord& w = windowRecord();
  out = Event{};
  switch (e.type) {
    case SDL_QUIT:
      out.type = EventType::Close;
      return true;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_SHOWN || e.window.event == SDL_WINDOWEVENT_RESTORED) {
        // Back on the screen: take the keyboard again, which no window
        // manager may be there to give.
        if (w.window && SDL_GetWindowID(w.window) == e.window.windowID) {
          SDL_RaiseWindow(w.window);
          SDL_SetWindowInputFocus(w.window);
        }
        return false;
      }
      if (e.window.event != SDL_WINDOWEVENT_CLOSE) return false;
      out.type = EventType::Close;
      return true;
    case SDL_KEYDOWN:
      if (isAltEnter(e.key.keysym)) {
        if (!e.key.repeat) switchFullScreen();
        return false;
      }
      out.virtualKey = virtualKeyCode(e.key.keysym);
      if (out.virtualKey == 0) return false;
      out.type = EventType::KeyDown;
      return true;
    case SDL_MOUSEMOTION: {
      int32_t x = e.motion.x, y = e.motion.y;
      if (w.window && w.pictureWidth > 0) {
        int ww = 0, wh = 0;
        SDL_GetWindowSize(w.window, &ww, &wh);
        const int32_t pw = static_cast<int32_t>(w.pictureWidth);
        const int32_t ph = static_cast<int32_t>(w.pictureHeight);
        gl::windowToPicture(gl::fitPicture(pw, ph, ww, wh), pw, ph, e.motion.x, e.motion.y, x, y);
      }
      out.type = EventType::MouseMove;
      out.packedPosition = packPosition(x, y);
      return true;
    }
    case SDL_DROPBEGIN:
      out.type = EventType::DropBegin;
      return w.acceptFiles;
    case SDL_DROPFILE:
      out.type = EventType::DropFile;
      if (e.drop.file) {
        out.path = e.drop.file;
        SDL_free(e.drop.file);
        e.drop.file = nullptr;
      }
      return w.acceptFiles;
    case SDL_DROPTEXT:
      SDL_free(e.drop.file);
      return false;
    case SDL_DROPCOMPLETE:
      out.type = EventType::DropComplete;
      return w.acceptFiles;
    default:
      if (w.quitEventType != 0 && e.type == w.quitEventType) {
        out.type = EventType::Quit;
        out.exitCode = e.user.code;
        return true;
      }
      return false;
  }
}

bool SdlSystem::peekEvent(Event& out) {
  if (!held.empty()) {
    out = std::move(held.front());
    held.pop_front();
    return true;
  }
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (translate(e, out)) return true;
  return false;
}

bool SdlSystem::waitForEventUs(uint32_t timeoutUs) {
  if (!held.empty()) return true;
  const uint64_t deadline = timeUs() + timeoutUs;
  for (;;) {
    SDL_Event e;
    Event out;
    const uint64_t now = timeUs();
    const uint64_t left = now >= deadline ? 0 : deadline - now;
    // SDL_WaitEventTimeout sleeps on the display connection in whole
    // milliseconds and may oversleep by one: it takes all but the last two,
    // and short sleeps that look at the queue between them take the rest.
    int got = 0;
    if (left > 2000) {
      got =
          SDL_WaitEventTimeout(&e, static_cast<int>(std::min<uint64_t>(left / 1000 - 1, 1u << 30)));
    } else {
      got = SDL_PollEvent(&e);
      if (!got && left > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(std::min<uint64_t>(left, 250)));
    }
    if (got && translate(e, out)) {
      held.push_back(std::move(out));
      return true;
    }
    if (!got && timeUs() >= deadline) return false;
  }
}

void SdlSystem::postQuit(int32_t exitCode) {
  SDL_Event e{};
  e.type = windowRecord().quitEventType;
  e.user.code = exitCode;
  // Behind every event SDL already holds; if its queue is full, behind the
  // ones taken so far.
  if (e.type == 0 || SDL_PushEvent(&e) != 1) {
    Event q;
    q.type = EventType::Quit;
    q.exitCode = exitCode;
    held.push_back(std::move(q));
  }
}

bool SdlSystem::isMainWindowActive() {
  SDL_Window* window = windowRecord().window;
  return window && SDL_GetKeyboardFocus() == window;
}

void SdlSystem::showCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

Rect SdlSystem::clientRect() {
  const WindowRecord& w = windowRecord();
  // The game sees the back buffer as its window, whatever the screen size.
  if (w.window && w.pictureWidth > 0)
    return {0, 0, static_cast<int32_t>(w.pictureWidth), static_cast<int32_t>(w.pictureHeight)};
  if (w.described) return {0, 0, w.desc.width, w.desc.height};
  return {0, 0, 0, 0};
}

Result SdlKeyboard::getState(uint8_t (&state)[KEY_STATE_SIZE]) {
  std::fill(std::begin(state), std::end(state), uint8_t{0});
  int count = 0;
  const uint8_t* keys = SDL_GetKeyboardState(&count);
  if (!keys) return Result::Failed;
  for (int sc = 0; sc < count; ++sc) {
    if (!keys[sc]) continue;
    const uint8_t code = directInputCode(static_cast<SDL_Scancode>(sc));
    if (code) state[code] = 0x80;
  }
  // The Enter of Alt+Enter switches the window; it does not start the drive.
  if (state[DIK_LMENU] || state[DIK_RMENU]) {
    state[DIK_RETURN] = 0;
    state[DIK_NUMPADENTER] = 0;
  }
  mergePadState(state);
  return Result::Ok;
}

}  // namespace

System* systemService() { return &theSystem(); }

Keyboard* keyboardService() {
  static SdlKeyboard instance;
  return &instance;
}

void shutDownSystem() {
  closeDeviceWindow();
  theSystem().held.clear();
  WindowRecord& w = windowRecord();
  const uint32_t quitType = w.quitEventType;
  w = WindowRecord{};
  w.quitEventType = quitType;
}

}  // namespace platform::sdl_gl
