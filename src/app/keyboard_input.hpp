// The keyboard snapshot, read once per frame, and the key test every gameplay
// rule goes through.
#pragma once

#include <cstdint>

#include "platform/keyboard.hpp"

extern uint8_t KeyState[platform::KEY_STATE_SIZE];
// The keyboard service the snapshot is read from; null when there is none.
extern platform::Keyboard* keyboardDevice;

// Sets up the keyboard device (before the window exists).
void createKeyboard();
// Binds the keyboard to the main window.
void bindKeyboardToWindow();
// Acquire, then read the whole keyboard into KeyState.
void readKeyboard();
// True only while the main window is the active window and the key's byte is
// non-zero.
bool isKeyDown(uint8_t code);
void resetKeyboardState();
