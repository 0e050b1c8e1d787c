// System service on Win32: the main window and its procedure, the message
// queue turned into the game's events, the active-window test, the cursor,
// keeping the display on, sleeping and the multimedia clock.
#include <windows.h>
// (after windows.h, which it needs)
#include <shellapi.h>

#include <deque>
#include <string>

#include "platform/win32_d3d9/backend_parts.hpp"
#include "platform/win32_d3d9/d3d9_device.hpp"

namespace platform::win32_d3d9 {

namespace {

class WinSystem : public System {
 public:
  bool registerWindowClass(const char* className) override;
  bool createMainWindow(const WindowDesc& desc) override;
  void showMainWindow() override {
    if (window) ShowWindow(window, SW_SHOW);
  }
  void updateMainWindow() override {
    if (window) UpdateWindow(window);
  }
  bool peekEvent(Event& out) override;
  bool waitForEventUs(uint32_t timeoutUs) override;
  void postQuit(int32_t exitCode) override { PostQuitMessage(exitCode); }
  bool isMainWindowActive() override { return window && GetActiveWindow() == window; }
  void showCursor(bool visible) override;
  void keepDisplayOn(bool on) override;
  Rect clientRect() override;
  void sleep(uint32_t ms) override { Sleep(ms); }
  uint32_t timeMs() override { return timeGetTime(); }
  uint64_t timeUs() override {
    static const uint64_t frequency = [] {
      LARGE_INTEGER f{};
      QueryPerformanceFrequency(&f);
      return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto ticks = static_cast<uint64_t>(now.QuadPart);
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
  }

  void shutDown();

  HWND window = nullptr;
  std::string className;  // registered, until shut down
  bool cursorHidden = false;
  bool displayKeptOn = false;
  // Events made by the window procedure, handed out by the next peeks. The
  // procedure also runs outside the loop's dispatch (the system sends
  // messages during creation and showing), so it queues rather than returns.
  std::deque<Event> held;
};

WinSystem& theSystem() {
  static WinSystem instance;
  return instance;
}

void queue(EventType type) {
  Event e;
  e.type = type;
  theSystem().held.push_back(std::move(e));
}

void takeDroppedFiles(HDROP drop) {
  queue(EventType::DropBegin);
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first: a path longer than MAX_PATH arrives whole.
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    Event e;
    e.type = EventType::DropFile;
    e.path.resize(length + 1);
    e.path.resize(DragQueryFileA(drop, i, e.path.data(), length + 1));
    theSystem().held.push_back(std::move(e));
  }
  DragFinish(drop);
  queue(EventType::DropComplete);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:  // the game decides; the window is not destroyed here
      queue(EventType::Close);
      return 0;
    case WM_DESTROY:
      queue(EventType::Destroy);
      return 0;
    case WM_KEYDOWN: {
      Event e;
      e.type = EventType::KeyDown;
      e.virtualKey = static_cast<uint32_t>(wParam);
      theSystem().held.push_back(std::move(e));
      return 0;
    }
    case WM_MOUSEMOVE: {
      Event e;
      e.type = EventType::MouseMove;
      e.packedPosition = static_cast<uint32_t>(lParam);
      theSystem().held.push_back(std::move(e));
      return 0;
    }
    case WM_SYSKEYDOWN:
      // Alt+Enter, once a press: window and full screen swap places.
      if (wParam == VK_RETURN && (lParam & (1 << 29)) && !(lParam & (1 << 30))) {
        askDisplaySwitch();
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCHAR:
      if (wParam == '\r') return 0;  // no beep for the Enter of Alt+Enter
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_DROPFILES:
      takeDroppedFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_SYSCOMMAND:
      // Alt or F10 alone, or Alt+Space, starts the system's menu loop, in
      // which no frame runs: the picture freezes, and the next Escape closes
      // the menu instead of quitting. The full-screen game has no menu to
      // show, so the keyboard menu is swallowed; Alt+F4's close and every
      // other command pass on.
      if ((wParam & 0xFFF0) == SC_KEYMENU && fullScreenDeviceUp()) return 0;
      [[fallthrough]];
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool WinSystem::registerWindowClass(const char* name) {
  if (!name || !name[0]) return false;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instanceHandle();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  // The game's own icon (resource 1 of riderozad.exe) on the taskbar and in
  // Alt+Tab; none in a program without it.
  wc.hIcon = LoadIconA(instanceHandle(), MAKEINTRESOURCEA(1));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = name;
  if (!RegisterClassExA(&wc)) return false;
  className = name;
  return true;
}

bool WinSystem::createMainWindow(const WindowDesc& desc) {
  if (window) return false;
  window = CreateWindowExA(desc.acceptFiles ? WS_EX_ACCEPTFILES : 0, desc.className, desc.caption,
                           desc.style, desc.x, desc.y, desc.width, desc.height, nullptr, nullptr,
                           instanceHandle(), nullptr);
  if (!window) return false;
  if (desc.acceptFiles) DragAcceptFiles(window, TRUE);
  return true;
}

bool WinSystem::peekEvent(Event& out) {
  for (;;) {
    if (!held.empty()) {
      out = std::move(held.front());
      held.pop_front();
      return true;
    }
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
      out = Event{};
      out.type = EventType::Quit;
      out.exitCode = static_cast<int32_t>(msg.wParam);
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool WinSystem::waitForEventUs(uint32_t timeoutUs) {
  if (!held.empty()) return true;
  const uint64_t deadline = timeUs() + timeoutUs;
  for (;;) {
    const uint64_t now = timeUs();
    const uint64_t left = now >= deadline ? 0 : deadline - now;
    // The kernel's wait counts whole milliseconds (1 ms apart with
    // timeBeginPeriod) and may oversleep by one: it takes all but the last
    // two, and zero-length waits that look at the queue take the rest.
    // MWMO_INPUTAVAILABLE also wakes for messages queued but not yet taken.
    const DWORD ms = left > 2000 ? static_cast<DWORD>(left / 1000 - 1) : 0;
    if (MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
        WAIT_OBJECT_0)
      return true;
    if (left == 0) return false;
    if (ms == 0) Sleep(0);
  }
}

void WinSystem::showCursor(bool visible) {
  // The system counts calls; the scene set-up hides it again after every
  // reset, so only changes are passed on.
  if (cursorHidden == !visible) return;
  ShowCursor(visible ? TRUE : FALSE);
  cursorHidden = !visible;
}

void WinSystem::keepDisplayOn(bool on) {
  if (displayKeptOn == on) return;
  SetThreadExecutionState(on ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED : ES_CONTINUOUS);
  displayKeptOn = on;
}

Rect WinSystem::clientRect() {
  RECT r{};
  if (!window || !GetClientRect(window, &r)) return {0, 0, 0, 0};
  return {r.left, r.top, r.right, r.bottom};
}

void WinSystem::shutDown() {
  showCursor(true);
  keepDisplayOn(false);
  if (window) DestroyWindow(window);
  window = nullptr;
  if (!className.empty()) UnregisterClassA(className.c_str(), instanceHandle());
  className.clear();
  // The destroy message above, and whatever else was left, belong to the
  // run that ended.
  held.clear();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace

System* systemService() { return &theSystem(); }

HWND mainWindowHandle() { return theSystem().window; }

void shutDownSystem() { theSystem().shutDown(); }

}  // namespace platform::win32_d3d9
