// Keyboard service on DirectInput 8: the system keyboard in its standard
// 256-byte format, non-exclusive and in the background, read whole once a
// frame. Without it the game runs with every key released.
//
// The platform's headers come first: dinput.h defines the key codes as
// macros, which would rewrite the layer's own names for them.
#include "platform/win32_d3d9/backend_parts.hpp"
#include "platform/win32_d3d9/xinput_pad.hpp"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <algorithm>
#include <cstdio>

namespace platform::win32_d3d9 {

namespace {

class DInputKeyboard : public Keyboard {
 public:
  void setCooperativeLevel() override;
  Result acquire() override;
  Result getState(uint8_t (&state)[KEY_STATE_SIZE]) override;

  void startUp();
  void shutDown();

 private:
  // One line on stderr for the first failure only: the game goes on without
  // keys, and saying so every frame would bury everything else.
  void fail(const char* what, HRESULT hr);

  IDirectInput8A* input_ = nullptr;
  IDirectInputDevice8A* device_ = nullptr;
  bool reported_ = false;
};

void DInputKeyboard::fail(const char* what, HRESULT hr) {
  if (!reported_)
    std::fprintf(stderr,
                 "riderozad: no DirectInput keyboard (%s failed, error 0x%08lX); keys "
                 "are ignored\n",
                 what, static_cast<unsigned long>(hr));
  reported_ = true;
  shutDown();
}

void DInputKeyboard::startUp() {
  if (device_) return;
  HRESULT hr = DirectInput8Create(instanceHandle(), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<void**>(&input_), nullptr);
  if (FAILED(hr)) return fail("DirectInput8Create", hr);
  hr = input_->CreateDevice(GUID_SysKeyboard, &device_, nullptr);
  if (FAILED(hr)) return fail("creating the system keyboard", hr);
  hr = device_->SetDataFormat(&c_dfDIKeyboard);
  if (FAILED(hr)) return fail("setting the keyboard's data format", hr);
}

void DInputKeyboard::setCooperativeLevel() {
  if (!device_) return;
  const HRESULT hr =
      device_->SetCooperativeLevel(mainWindowHandle(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  if (FAILED(hr)) fail("binding the keyboard to the window", hr);
}

Result DInputKeyboard::acquire() {
  if (!device_) return Result::Failed;
  return SUCCEEDED(device_->Acquire()) ? Result::Ok : Result::Failed;
}

Result DInputKeyboard::getState(uint8_t (&state)[KEY_STATE_SIZE]) {
  const bool read = device_ && SUCCEEDED(device_->GetDeviceState(KEY_STATE_SIZE, state));
  if (!read) std::fill(std::begin(state), std::end(state), uint8_t{0});
  // The Enter of Alt+Enter switches the window; it does not start the drive.
  if (state[DIK_LMENU] || state[DIK_RMENU]) {
    state[DIK_RETURN] = 0;
    state[DIK_NUMPADENTER] = 0;
  }
  // The pads drive through the same bytes, with or without a keyboard.
  mergePadState(state);
  return read ? Result::Ok : Result::Failed;
}

void DInputKeyboard::shutDown() {
  if (device_) {
    device_->Unacquire();
    device_->Release();
  }
  device_ = nullptr;
  if (input_) input_->Release();
  input_ = nullptr;
}

DInputKeyboard& theKeyboard() {
  static DInputKeyboard instance;
  return instance;
}

}  // namespace

Keyboard* keyboardService() { return &theKeyboard(); }

void startUpKeyboard() { theKeyboard().startUp(); }

void shutDownKeyboard() { theKeyboard().shutDown(); }

}  // namespace platform::win32_d3d9
