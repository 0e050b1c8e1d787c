#include "platform/win32_d3d9/d3d9_display.hpp"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/win32_d3d9/d3d9_device.hpp"

namespace platform::win32_d3d9 {

namespace {

constexpr LONG WINDOW_STYLE = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr LONG DESKTOP_STYLE = WS_POPUP | WS_VISIBLE;

// The largest rectangle of the picture's shape inside `area`, centred.
RECT fitInside(const RECT& area, uint32_t pictureWidth, uint32_t pictureHeight) {
  const int64_t aw = area.right - area.left, ah = area.bottom - area.top;
  const int64_t pw = std::max<uint32_t>(pictureWidth, 1), ph = std::max<uint32_t>(pictureHeight, 1);
  int64_t w = aw, h = ah;
  if (aw * ph > ah * pw)
    w = (ah * pw + ph / 2) / ph;
  else
    h = (aw * ph + pw / 2) / pw;
  const LONG x = area.left + static_cast<LONG>((aw - w) / 2);
  const LONG y = area.top + static_cast<LONG>((ah - h) / 2);
  return {x, y, x + static_cast<LONG>(w), y + static_cast<LONG>(h)};
}

MONITORINFO monitorOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
  return info;
}

}  // namespace

Shown startingShown(const DisplayOptions& options) {
  if (options.window) return Shown::Window;
  return options.desktop ? Shown::Desktop : Shown::Exclusive;
}

Shown switchedShown(Shown shown, const DisplayOptions& options) {
  if (shown != Shown::Window) return Shown::Window;
  return options.desktop ? Shown::Desktop : Shown::Exclusive;
}

void fitPresentParameters(Shown shown, const DisplayOptions& options, HWND window,
                          D3DPRESENT_PARAMETERS& p) {
  if (shown == Shown::Exclusive) return;
  p.Windowed = TRUE;
  p.SwapEffect = D3DSWAPEFFECT_COPY;
  p.BackBufferCount = 1;
  p.FullScreen_RefreshRateInHz = 0;
  if (!options.sharp) return;
  const RECT shownAt = pictureRect(window, p.BackBufferWidth, p.BackBufferHeight);
  if (shownAt.right <= shownAt.left || shownAt.bottom <= shownAt.top) return;  // minimised
  p.BackBufferWidth = static_cast<UINT>(shownAt.right - shownAt.left);
  p.BackBufferHeight = static_cast<UINT>(shownAt.bottom - shownAt.top);
}

void shapeWindow(HWND window, Shown shown, uint32_t pictureWidth, uint32_t pictureHeight) {
  if (!window || shown == Shown::Exclusive) return;
  const MONITORINFO monitor = monitorOf(window);
  RECT frame = monitor.rcMonitor;
  LONG style = DESKTOP_STYLE;
  if (shown == Shown::Window) {
    style = WINDOW_STYLE;
    // The client area at the picture's size, or the largest of its shape
    // that the work area holds with the window's frame around it.
    RECT border{0, 0, 0, 0};
    AdjustWindowRect(&border, style, FALSE);
    const RECT& work = monitor.rcWork;
    RECT room{0, 0, (work.right - work.left) - (border.right - border.left),
              (work.bottom - work.top) - (border.bottom - border.top)};
    RECT client{0, 0, static_cast<LONG>(pictureWidth), static_cast<LONG>(pictureHeight)};
    if (client.right > room.right || client.bottom > room.bottom)
      client = fitInside(room, pictureWidth, pictureHeight);
    const LONG w = (client.right - client.left) + (border.right - border.left);
    const LONG h = (client.bottom - client.top) + (border.bottom - border.top);
    const LONG x = work.left + ((work.right - work.left) - w) / 2;
    const LONG y = work.top + ((work.bottom - work.top) - h) / 2;
    frame = {x, y, x + w, y + h};
  }
  SetWindowLongPtrA(window, GWL_STYLE, style);
  SetWindowPos(window, HWND_NOTOPMOST, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  // The bars are the window's black background, painted anew.
  InvalidateRect(window, nullptr, TRUE);
}

RECT pictureRect(HWND window, uint32_t pictureWidth, uint32_t pictureHeight) {
  RECT client{};
  GetClientRect(window, &client);
  return fitInside(client, pictureWidth, pictureHeight);
}

// The device's side: presents into the picture's place, and Alt+Enter.

namespace {

bool switchAsked = false;

}  // namespace

void askDisplaySwitch() { switchAsked = true; }

Result D3d9Device::present() {
  HRESULT hr;
  if (shown_ == Shown::Exclusive) {
    hr = device_->Present(nullptr, nullptr, nullptr, nullptr);
  } else {
    const RECT to = pictureRect(window_, params_.backBufferWidth, params_.backBufferHeight);
    hr = device_->Present(nullptr, &to, nullptr, nullptr);
  }
  if (SUCCEEDED(hr) && switchAsked) {
    switchAsked = false;
    switchShown();
  }
  // Sharp: the next frame is drawn at the picture's new place in a window
  // that changed its size.
  const D3DPRESENT_PARAMETERS wanted = parametersFor(shown_);
  if (SUCCEEDED(hr) &&
      (wanted.BackBufferWidth != backBufferWidth_ || wanted.BackBufferHeight != backBufferHeight_))
    resetOwn(wanted, "cannot draw at the window's new size");
  return resultOf(hr);
}

D3DPRESENT_PARAMETERS D3d9Device::parametersFor(Shown shown) {
  D3DPRESENT_PARAMETERS d = presentParametersOf(params_);
  fitPresentParameters(shown, options_, window_, d);
  return d;
}

bool D3d9Device::resetOwn(D3DPRESENT_PARAMETERS d, const char* what) {
  const HRESULT hr = device_->Reset(&d);
  if (FAILED(hr)) {
    // The device waits for a reset now: the game's own, which it sees as
    // a lost device, puts it back.
    std::fprintf(stderr, "riderozad: %s (0x%08lx)\n", what, static_cast<unsigned long>(hr));
    return false;
  }
  backBufferWidth_ = d.BackBufferWidth;
  backBufferHeight_ = d.BackBufferHeight;
  text_.setScale(static_cast<float>(backBufferHeight_) /
                 static_cast<float>(params_.backBufferHeight));
  restoreStates();
  return true;
}

void D3d9Device::switchShown() {
  const Shown next = switchedShown(shown_, options_);
  if ((next == Shown::Exclusive) != (shown_ == Shown::Exclusive)) {
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    // The exclusive device covers the window's whole rectangle: no frame.
    if (next == Shown::Exclusive) SetWindowLongPtrA(window_, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    if (!resetOwn(parametersFor(next), next == Shown::Exclusive ? "cannot switch to full screen"
                                                                : "cannot switch to a window")) {
      SetWindowLongPtrA(window_, GWL_STYLE, style);
      return;
    }
  }
  shown_ = next;
  shapeWindow(window_, shown_, params_.backBufferWidth, params_.backBufferHeight);
}

void D3d9Device::restoreStates() {
  for (const auto& [state, value] : kept_.renderStates) device_->SetRenderState(state, value);
  for (const auto& [state, matrix] : kept_.transforms) device_->SetTransform(state, &matrix);
  if (kept_.materialSet) device_->SetMaterial(&kept_.material);
  for (DWORD i = 0; i < MAX_LIGHTS; ++i) {
    if (kept_.lightSet[i]) device_->SetLight(i, &kept_.lights[i]);
    if (kept_.lightOn[i]) device_->LightEnable(i, TRUE);
  }
  for (DWORD stage = 0; stage < std::size(kept_.textures); ++stage)
    if (kept_.textures[stage]) device_->SetTexture(stage, textureOf(kept_.textures[stage]));
}

}  // namespace platform::win32_d3d9
