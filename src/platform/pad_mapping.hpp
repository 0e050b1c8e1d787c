// Gamepads drive the game by setting the same key bytes the keyboard sets, so
// no gameplay rule knows about them. Each backend reads its pads into a
// PadReading; this one mapping turns a reading into key bytes on every
// platform.
//
//   d-pad left / right, left stick past half its travel   Left, Right
//   right trigger past a third, south button (A, Cross)    Up
//   left trigger past a third, west button (X, Square)     Down
//   Start                                                  Enter
//   north button (Y, Triangle)                             Space
//
// Nothing on a pad quits the game.
#pragma once

#include <cstdint>

#include "platform/keyboard.hpp"

namespace platform {

// One pad's controls in one frame, in SDL's units.
struct PadReading {
  int32_t leftStickX = 0;    // -32768 full left .. 32767 full right
  int32_t leftTrigger = 0;   // 0 released .. 32767 fully pulled
  int32_t rightTrigger = 0;  // 0 released .. 32767 fully pulled
  bool dpadLeft = false;
  bool dpadRight = false;
  bool south = false;
  bool west = false;
  bool north = false;
  bool start = false;
};

// The stick's side as last mapped: -1 left, 0 neither, +1 right. Each pad
// keeps its own, from one frame to the next.
struct StickLatch {
  int8_t side = 0;
};

// The stick's travel counts from the edge of a dead zone of 7767 (near the
// 7849 that XInput recommends for a worn stick), which leaves 25000 units of
// travel. A side is taken at half of that travel (deflection 20267) and let
// go only below 40% of it (17767), so a stick resting near the edge does not
// chatter.
constexpr int32_t STICK_DEAD_ZONE = 7767;
constexpr int32_t STICK_PRESS_AT = STICK_DEAD_ZONE + 12500;
constexpr int32_t STICK_RELEASE_BELOW = STICK_DEAD_ZONE + 10000;
// A trigger counts from past a third of its travel: 10923 of 32767.
constexpr int32_t TRIGGER_PRESS_AT = 10923;

// Sets 0x80 in `state` for every key the reading holds down; bytes already
// set (by the keyboard or another pad) stay set. Updates the pad's latch.
void mergePadReading(const PadReading& pad, StickLatch& latch, uint8_t (&state)[KEY_STATE_SIZE]);

}  // namespace platform
