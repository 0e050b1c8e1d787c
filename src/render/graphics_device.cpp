#include "render/graphics_device.hpp"

#include <cstdio>

#include "platform/services.hpp"
#include "sim/scene.hpp"

platform::GraphicsSystem* direct3d = nullptr;
platform::Device* device = nullptr;
platform::PresentParams presentParams = {};
uint32_t backBufferWidth = 0;
uint32_t backBufferHeight = 0;
uint8_t windowedFlag = 0;
int32_t deviceCallCount = 0;

namespace {

using platform::Format;

void reportMissing(const char* what) { std::fprintf(stderr, "riderozad: %s\n", what); }

}  // namespace

void createGraphicsDevice() {
  direct3d = platform::services().graphics;
  if (!direct3d) {
    reportMissing("no graphics system is available");
    return;
  }
  if (direct3d->adapterModeCount(Format::X8R8G8B8) == 0) {
    reportMissing("the display has no 24-bit colour mode");
    return;
  }
  platform::DisplayMode mode{};
  if (!platform::succeeded(direct3d->enumAdapterMode(Format::X8R8G8B8, 0, mode))) {
    reportMissing("the display's 24-bit colour mode could not be read");
    return;
  }
  if (!platform::succeeded(direct3d->checkDeviceType(Format::X8R8G8B8, Format::X8R8G8B8, false))) {
    reportMissing("the display cannot show a full-screen 32-bit colour back buffer");
    return;
  }
  if (!platform::succeeded(direct3d->checkDepthStencilFormat(Format::X8R8G8B8, Format::D24S8))) {
    reportMissing("the graphics device offers no 24-bit depth and 8-bit stencil buffer");
    return;
  }
  if (!platform::succeeded(direct3d->getDeviceCaps())) {
    reportMissing("the graphics device's capabilities could not be read");
    return;
  }

  presentParams = {};
  presentParams.backBufferWidth = backBufferWidth;
  presentParams.backBufferHeight = backBufferHeight;
  presentParams.backBufferFormat = mode.format;
  presentParams.backBufferCount = 0;
  presentParams.multiSampleType = 0;
  presentParams.multiSampleQuality = 0;
  presentParams.swapEffect = platform::SWAP_EFFECT_DISCARD;
  presentParams.deviceWindow = 0;
  presentParams.windowed = windowedFlag;
  presentParams.enableAutoDepthStencil = 1;
  presentParams.autoDepthStencilFormat = Format::D24S8;
  presentParams.flags = 0;
  presentParams.fullScreenRefreshRateInHz = 0;
  // On a display that refreshes 60 times a second, presents wait for it and
  // pace the frames; on any other the game paces them by sleeping.
  platform::DisplayMode display{};
  const bool sixtyHz = platform::succeeded(direct3d->adapterDisplayMode(display)) &&
                       display.refreshRate == DISPLAY_SYNC_RATE;
  presentParams.presentationInterval =
      sixtyHz ? platform::PRESENT_INTERVAL_ONE : platform::PRESENT_INTERVAL_IMMEDIATE;

  if (device) {
    direct3d->releaseDevice(device);
    device = nullptr;
  }
  device = direct3d->createDevice(presentParams);
  // The scene set-up loads everything onto the device, so it must not run on
  // nothing: a failed creation is reported and not counted.
  if (!device) {
    reportMissing("the graphics device could not be created");
    return;
  }
  ++deviceCallCount;
  if (deviceCallCount == 1) setUpScene();
}

void releaseGraphicsDevice() {
  if (device && direct3d) direct3d->releaseDevice(device);
  device = nullptr;
  direct3d = nullptr;
}

void resetGraphicsDeviceState() {
  direct3d = nullptr;
  device = nullptr;
  presentParams = {};
  backBufferWidth = 0;
  backBufferHeight = 0;
  windowedFlag = 0;
  deviceCallCount = 0;
}
