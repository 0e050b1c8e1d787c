#include "platform/sdl_gl/sdl_pad.hpp"

#include <SDL2/SDL.h>

#include <cstdio>

#include "platform/pad_mapping.hpp"

namespace platform::sdl_gl {

namespace {

// More pads than anyone plugs in; a further one waits until one is removed.
constexpr int MAX_PADS = 8;

struct OpenPad {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID id = -1;
  StickLatch latch;
  char name[128] = {};  // kept from the connect: a removed pad has none to ask
};

struct PadRecord {
  bool started = false;
  bool unavailable = false;  // SDL's controller support could not start
  OpenPad pads[MAX_PADS];
};

PadRecord& padRecord() {
  static PadRecord record;
  return record;
}

bool start(PadRecord& r) {
  if (r.started) return true;
  if (r.unavailable) return false;
  // Read like the keyboard, whichever window is in front: the key test's
  // active-window rule is the one that ignores them.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "riderozad: no gamepads (%s); the keyboard alone drives\n",
                 SDL_GetError());
    r.unavailable = true;
    return false;
  }
  r.started = true;
  return true;
}

void dropRemoved(PadRecord& r) {
  for (OpenPad& p : r.pads) {
    if (!p.controller || SDL_GameControllerGetAttached(p.controller)) continue;
    std::fprintf(stderr, "riderozad: gamepad removed: %s\n", p.name);
    SDL_GameControllerClose(p.controller);
    p = OpenPad{};
  }
}

bool isOpen(const PadRecord& r, SDL_JoystickID id) {
  for (const OpenPad& p : r.pads)
    if (p.controller && p.id == id) return true;
  return false;
}

// True when a pad was opened: some drivers (SDL's virtual pads among them)
// report its axes at rest until the next update.
bool takeUpNew(PadRecord& r) {
  bool opened = false;
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    if (id < 0 || isOpen(r, id) || !SDL_IsGameController(i)) continue;
    OpenPad* slot = nullptr;
    for (OpenPad& p : r.pads)
      if (!p.controller && !slot) slot = &p;
    if (!slot) continue;
    SDL_GameController* c = SDL_GameControllerOpen(i);
    if (!c) continue;
    *slot = OpenPad{c, id, {}, {}};
    const char* name = SDL_GameControllerName(c);
    SDL_strlcpy(slot->name, name ? name : "unnamed pad", sizeof slot->name);
    std::fprintf(stderr, "riderozad: gamepad connected: %s\n", slot->name);
    opened = true;
  }
  return opened;
}

PadReading readPad(SDL_GameController* c) {
  const auto button = [c](SDL_GameControllerButton b) {
    return SDL_GameControllerGetButton(c, b) != 0;
  };
  PadReading r;
  r.leftStickX = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
  r.leftTrigger = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
  r.rightTrigger = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  r.dpadLeft = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  r.dpadRight = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  r.south = button(SDL_CONTROLLER_BUTTON_A);
  r.west = button(SDL_CONTROLLER_BUTTON_X);
  r.north = button(SDL_CONTROLLER_BUTTON_Y);
  r.start = button(SDL_CONTROLLER_BUTTON_START);
  return r;
}

}  // namespace

void mergePadState(uint8_t (&state)[KEY_STATE_SIZE]) {
  PadRecord& r = padRecord();
  if (!start(r)) return;
  SDL_GameControllerUpdate();
  dropRemoved(r);
  if (takeUpNew(r)) SDL_GameControllerUpdate();
  for (OpenPad& p : r.pads)
    if (p.controller) mergePadReading(readPad(p.controller), p.latch, state);
}

void shutDownPads() {
  PadRecord& r = padRecord();
  for (OpenPad& p : r.pads)
    if (p.controller) SDL_GameControllerClose(p.controller);
  if (r.started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  r = PadRecord{};
}

}  // namespace platform::sdl_gl
