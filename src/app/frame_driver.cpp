#include "app/frame_driver.hpp"

#include <cmath>

#include "app/app_state.hpp"
#include "app/keyboard_input.hpp"
#include "audio/background_music.hpp"
#include "platform/services.hpp"
#include "render/graphics_device.hpp"
#include "sim/frame_update.hpp"
#include "sim/game_state.hpp"
#include "sim/scene.hpp"

uint8_t deviceLost = 0;
ClearColor clearColor = {0, 0, 0};

namespace {

constexpr uint32_t LOST_DEVICE_SLEEP_MS = 100;

bool displayKeptOn = false;

// The display is kept on while the driving view runs, and only then: not on
// the title screen, nor while the device is lost to another program.
void keepDisplayOnWhile(bool driving) {
  if (driving == displayKeptOn) return;
  platform::sys().keepDisplayOn(driving);
  displayKeptOn = driving;
}

// One colour channel: scaled to 0..255 and truncated toward zero, of which
// the low 8 bits are used. A value too large for an int (or not a number)
// would make the conversion undefined, so it gives 0 instead.
uint32_t channelByte(float c) {
  const float scaled = c * 255;
  if (!(std::fabs(scaled) < 2147483648.0f)) return 0;
  return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xFFu;
}

// Waits out a lost device. True when it is usable again and this frame can
// be drawn.
bool recoverDevice() {
  platform::sys().sleep(LOST_DEVICE_SLEEP_MS);
  const platform::Result test = device->testCooperativeLevel();
  if (platform::succeeded(test)) {
    deviceLost = 0;
    return true;
  }
  if (mediaControl) mediaControl->pause();
  if (test == platform::Result::DeviceNotReset) {
    appState->afterReset = 1;
    if (platform::succeeded(device->reset(presentParams))) setUpScene();
  }
  // Still lost: the next frame sleeps and tests again, and only then draws.
  return false;
}

}  // namespace

uint32_t clearColorArgb(const ClearColor& c) {
  return 0xFF000000u | channelByte(c.r) << 16 | channelByte(c.g) << 8 | channelByte(c.b);
}

void driveFrame() {
  if (!device) return;
  if (deviceLost && !recoverDevice()) {
    keepDisplayOnWhile(false);
    return;
  }

  device->clear(platform::CLEAR_TARGET | platform::CLEAR_ZBUFFER, clearColorArgb(clearColor), 1.0f,
                0);
  device->beginScene();
  readKeyboard();
  updateFrame();
  keepDisplayOnWhile(GameState == GAME_STATE_DRIVING);
  device->endScene();
  if (!appState->skipPresent && device->present() == platform::Result::DeviceLost) deviceLost = 1;
}

void resetFrameDriverState() {
  deviceLost = 0;
  displayKeptOn = false;
  clearColor = {0, 0, 0};
}
