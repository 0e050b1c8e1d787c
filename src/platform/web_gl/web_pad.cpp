// Gamepads through the page's Gamepad API: pads in the "standard" layout,
// read each frame through the project's one pad mapping. Pads come and go
// while the game runs.
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/pad_mapping.hpp"
#include "platform/web_gl/backend_parts.hpp"

namespace platform::web_gl {

namespace {

// More pads than anyone plugs in; the page numbers them from 0.
constexpr int MAX_PADS = 8;

struct PadSlot {
  bool connected = false;
  bool ignored = false;  // connected, but not in the standard layout
  StickLatch latch;
};

struct PadRecord {
  bool unavailable = false;  // the page has no Gamepad API
  PadSlot pads[MAX_PADS];
};

PadRecord& padRecord() {
  static PadRecord record;
  return record;
}

// The page's -1..1 and 0..1 as the mapping's units, SDL's.
int32_t axisUnits(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int32_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
}

// The "standard" layout's buttons: 0 south, 2 west, 3 north, 6 and 7 the
// analogue triggers, 9 Start, 14 and 15 the d-pad's left and right.
PadReading readPad(const EmscriptenGamepadEvent& g) {
  const auto button = [&g](int i) { return i < g.numButtons && g.digitalButton[i] != 0; };
  const auto analogue = [&g](int i) { return i < g.numButtons ? g.analogButton[i] : 0.0; };
  PadReading r;
  r.leftStickX = g.numAxes > 0 ? axisUnits(g.axis[0]) : 0;
  r.leftTrigger = axisUnits(analogue(6));
  r.rightTrigger = axisUnits(analogue(7));
  r.dpadLeft = button(14);
  r.dpadRight = button(15);
  r.south = button(0);
  r.west = button(2);
  r.north = button(3);
  r.start = button(9);
  return r;
}

}  // namespace

void mergePadState(uint8_t (&state)[KEY_STATE_SIZE]) {
  PadRecord& r = padRecord();
  if (r.unavailable) return;
  if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
    r.unavailable = true;
    std::fputs("riderozad: the page has no gamepads; the keyboard alone drives\n", stderr);
    return;
  }
  const int count = std::min(emscripten_get_num_gamepads(), MAX_PADS);
  for (int i = 0; i < MAX_PADS; ++i) {
    PadSlot& slot = r.pads[i];
    EmscriptenGamepadEvent g{};
    const bool connected = i < count &&
                           emscripten_get_gamepad_status(i, &g) == EMSCRIPTEN_RESULT_SUCCESS &&
                           g.connected;
    // Only the standard layout says which button is which.
    const bool usable = connected && std::strcmp(g.mapping, "standard") == 0;
    if (connected && !usable && !slot.ignored)
      std::fprintf(stderr, "riderozad: gamepad %s has no standard layout; it is ignored\n", g.id);
    slot.ignored = connected && !usable;
    if (usable != slot.connected) {
      if (usable)
        std::fprintf(stderr, "riderozad: gamepad connected: %s\n", g.id);
      else
        std::fprintf(stderr, "riderozad: gamepad %d removed\n", i);
      slot = PadSlot{};
      slot.connected = usable;
    }
    if (usable) mergePadReading(readPad(g), slot.latch, state);
  }
}

void shutDownPads() { padRecord() = PadRecord{}; }

}  // namespace platform::web_gl
