#include "app/keyboard_input.hpp"

#include <algorithm>
#include <cstdio>

#include "platform/services.hpp"

uint8_t KeyState[platform::KEY_STATE_SIZE] = {};
platform::Keyboard* keyboardDevice = nullptr;

void createKeyboard() {
  keyboardDevice = platform::services().keyboard;
  // Without a keyboard the game still runs and quits on Escape; every key
  // simply reads as released.
  if (!keyboardDevice) std::fputs("riderozad: no keyboard device; keys are ignored\n", stderr);
}

void bindKeyboardToWindow() {
  if (keyboardDevice) keyboardDevice->setCooperativeLevel();
}

void readKeyboard() {
  if (!keyboardDevice) return;
  keyboardDevice->acquire();
  keyboardDevice->getState(KeyState);
}

bool isKeyDown(uint8_t code) { return platform::sys().isMainWindowActive() && KeyState[code] != 0; }

void resetKeyboardState() {
  std::fill(std::begin(KeyState), std::end(KeyState), uint8_t{0});
  keyboardDevice = nullptr;
}
