#include "platform/pad_mapping.hpp"

namespace platform {

namespace {

int8_t stickSide(int32_t x, int8_t previous) {
  const int8_t side = x < 0 ? -1 : 1;
  // -32768 is one step further than full right; both count as full travel.
  const int32_t deflection = x < 0 ? (x < -32767 ? 32767 : -x) : x;
  if (previous == side && deflection >= STICK_RELEASE_BELOW) return side;
  return deflection >= STICK_PRESS_AT ? side : 0;
}

}  // namespace

void mergePadReading(const PadReading& pad, StickLatch& latch, uint8_t (&state)[KEY_STATE_SIZE]) {
  latch.side = stickSide(pad.leftStickX, latch.side);
  const auto hold = [&](uint8_t code, bool down) {
    if (down) state[code] = 0x80;
  };
  hold(DIK_LEFT, pad.dpadLeft || latch.side < 0);
  hold(DIK_RIGHT, pad.dpadRight || latch.side > 0);
  hold(DIK_UP, pad.rightTrigger >= TRIGGER_PRESS_AT || pad.south);
  hold(DIK_DOWN, pad.leftTrigger >= TRIGGER_PRESS_AT || pad.west);
  hold(DIK_RETURN, pad.start);
  hold(DIK_SPACE, pad.north);
}

}  // namespace platform
