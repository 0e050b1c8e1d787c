// The frame report on the Windows backend: the game's full-screen Direct3D 9
// device (under Wine, on the session's X server).
#include <windows.h>

#include <algorithm>
#include <thread>

#include "platform/win32_d3d9/win32_d3d9_backend.hpp"
#include "report_backend.hpp"

bool installReportBackend(const platform::DisplayOptions& options) {
  return platform::win32_d3d9::install(options);
}

void uninstallReportBackend() { platform::win32_d3d9::uninstall(); }

// Direct3D 9 offers no wait through the game's device interface. Present
// hands the frame on, and the driver holds Present back once it is a few
// frames behind, so over a whole drive the frame rate is still the device's;
// only the split between the game's code and the device is less sharp.
void finishPicture() {}

std::string rendererName() { return "Direct3D 9"; }

std::string deviceName() { return rendererName() + ", full screen 1024x768"; }

bool readPicture(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  return platform::win32_d3d9::readBackBuffer(rgba, width, height);
}

void pinToLastCore() {
  const DWORD cores = std::max(1u, std::thread::hardware_concurrency());
  SetThreadAffinityMask(GetCurrentThread(), DWORD_PTR{1} << (cores - 1));
}

bool mainLoopRunsToTheEnd() { return true; }
