#include "platform/win32_d3d9/xinput_pad.hpp"

#include <windows.h>
#include <xinput.h>

#include <cstdio>
#include <initializer_list>

#include "platform/pad_mapping.hpp"

namespace platform::win32_d3d9 {

namespace {

// Only the header's records and constants are used: the function is looked
// up at run time, so the game links against no XInput library.
using GetStateFunction = DWORD(WINAPI*)(DWORD userIndex, XINPUT_STATE* state);

constexpr DWORD PAD_COUNT = 4;
// Asking for a pad that is not there is slow on some systems: an empty slot
// is asked again once in this many reads (about a second of frames).
constexpr uint32_t EMPTY_SLOT_PERIOD = 64;

struct XInputRecord {
  bool loaded = false;
  GetStateFunction getState = nullptr;  // null when no XInput could be loaded
  uint32_t reads = 0;
  bool connected[PAD_COUNT] = {};
  StickLatch latches[PAD_COUNT];
};

XInputRecord& xinputRecord() {
  static XInputRecord record;
  return record;
}

void load(XInputRecord& r) {
  r.loaded = true;
  // Newest first: Windows 8 and later, then the DirectX runtime's, then the
  // one Vista and 7 carry. From the system folder only: by its bare name, a
  // DLL of that name beside the game (or in the working folder) would be
  // loaded first.
  for (const char* name : {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"}) {
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) continue;
    r.getState = reinterpret_cast<GetStateFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "XInputGetState")));
    if (r.getState) return;
    FreeLibrary(module);
  }
  std::fputs("riderozad: no XInput; the keyboard alone drives\n", stderr);
}

// XInput's triggers run 0..255; the mapping counts in 0..32767.
int32_t triggerTravel(BYTE value) { return static_cast<int32_t>(value) * 32767 / 255; }

PadReading readingOf(const XINPUT_GAMEPAD& g) {
  PadReading r;
  r.leftStickX = g.sThumbLX;
  r.leftTrigger = triggerTravel(g.bLeftTrigger);
  r.rightTrigger = triggerTravel(g.bRightTrigger);
  r.dpadLeft = (g.wButtons & XINPUT_GAMEPAD_DPAD_LEFT) != 0;
  r.dpadRight = (g.wButtons & XINPUT_GAMEPAD_DPAD_RIGHT) != 0;
  r.south = (g.wButtons & XINPUT_GAMEPAD_A) != 0;
  r.west = (g.wButtons & XINPUT_GAMEPAD_X) != 0;
  r.north = (g.wButtons & XINPUT_GAMEPAD_Y) != 0;
  r.start = (g.wButtons & XINPUT_GAMEPAD_START) != 0;
  return r;
}

}  // namespace

void mergePadState(uint8_t (&state)[KEY_STATE_SIZE]) {
  XInputRecord& r = xinputRecord();
  if (!r.loaded) load(r);
  if (!r.getState) return;
  const bool askEmpty = r.reads++ % EMPTY_SLOT_PERIOD == 0;
  for (DWORD pad = 0; pad < PAD_COUNT; ++pad) {
    if (!r.connected[pad] && !askEmpty) continue;
    XINPUT_STATE s{};
    const bool connected = r.getState(pad, &s) == ERROR_SUCCESS;
    if (connected != r.connected[pad])
      std::fprintf(stderr, "riderozad: gamepad %s: XInput pad %lu\n",
                   connected ? "connected" : "removed", static_cast<unsigned long>(pad + 1));
    r.connected[pad] = connected;
    if (!connected) {
      r.latches[pad] = StickLatch{};
      continue;
    }
    mergePadReading(readingOf(s.Gamepad), r.latches[pad], state);
  }
}

}  // namespace platform::win32_d3d9
